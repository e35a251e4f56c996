#pragma once
// The updater's files in the working directory: a downloaded "autoup2"
// replaces "autoup" when the console starts. The console never starts the
// updater; whatever downloads "autoup2" lies outside it.

#include <string>

namespace ostiva {

inline constexpr char kUpdaterFile[] = "autoup";
inline constexpr char kDownloadedUpdaterFile[] = "autoup2";

// When "<directory>/autoup2" is a regular file, deletes "<directory>/autoup"
// and renames "autoup2" to "autoup". Every failure is ignored: the console
// starts the same either way. Returns whether the swap was made.
bool SwapUpdater(const std::string& directory = ".");

}  // namespace ostiva
