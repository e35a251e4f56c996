#pragma once
// The viewer's options: section "options" of the settings file named on its
// command line, read once at start.

#include <string>
#include <utility>
#include <vector>

namespace ostiva::viewer {

// Each key of section "options" with its value (the settings dialog's
// default when the key is missing), in a fixed order: viewonly, autorec,
// fitwindow, scale_num, scale_den, 8bit, quality, compresslevel.
std::vector<std::pair<std::string, int>> ReadViewerOptions(const std::string& path);

}  // namespace ostiva::viewer
