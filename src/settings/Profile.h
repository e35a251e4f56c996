#pragma once
// The settings file "info.dat": the three profile operations, on one path.
// Nothing is cached: every read opens the file and every write replaces it,
// so the console and the viewer always see what the other last wrote.
//
// A write replaces the file atomically (a temporary file beside it, flushed
// to disk, then renamed over it), so a crash or a full disk leaves either the
// old or the new file, never half of one. A file the write creates gets mode
// 0600, as it holds passwords; an existing file keeps its mode, owner and
// group, and a symbolic link keeps pointing at the file it named. Writers
// of one file, in this process or another, take turns (a lock on its
// directory), so writes of different keys at the same time lose none; a
// write that cannot get its turn within a few seconds fails.
//
// A file larger than kMaxFileSize, or one that cannot be read (not a regular
// file, no permission), reads as missing: every read gives its default. A
// write never replaces such a file and returns false; a write that would
// make the file larger than kMaxFileSize fails the same way.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace ostiva {

// One key to set, for Profile::WriteStrings.
struct ProfileEntry {
    std::u16string_view section;
    std::u16string_view key;
    std::u16string_view value;
};

class Profile {
  public:
    static constexpr size_t kMaxFileSize = 1024 * 1024;

    explicit Profile(std::string path = "./info.dat") : path_(std::move(path)) {}

    // The key's value cut to capacity - 1 units (never splitting a surrogate
    // pair); the default, as given, when the file, the section or the key is
    // missing.
    std::u16string GetString(std::u16string_view section, std::u16string_view key,
                             std::u16string_view defaultValue, size_t capacity) const;

    // The decimal integer at the start of the value: an optional sign, then
    // digits; 0 when the value does not start with one; saturated at the
    // limits of int. The default when the file, the section or the key is
    // missing.
    int GetInt(std::u16string_view section, std::u16string_view key, int defaultValue) const;

    // Sets one key, creating the file, the section or the key when missing,
    // and leaving every other line as it was. False, with the file untouched,
    // when it cannot be done.
    bool WriteString(std::u16string_view section, std::u16string_view key,
                     std::u16string_view value);
    // Sets the keys in order in one replacement of the file, so one turn at
    // the lock: all of them or, returning false, none.
    bool WriteStrings(const std::vector<ProfileEntry>& entries);

    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

// The integer rule of GetInt, on a value already read.
int ParseProfileInt(std::u16string_view value);

}  // namespace ostiva
