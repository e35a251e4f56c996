#pragma once
// The text of one settings file, held line by line exactly as it was read,
// so that setting one key rewrites that one line and writes every other byte
// back unchanged: comments, blank lines, unknown keys, their order, line
// endings and even bytes that are not valid text.
//
// File format (INI):
//   [section]          a header: the name between '[' and the first ']'
//   key=value          a value line: the key before the first '=', the value after it
//   ; note  /  # note  comment lines
// Section names and keys match without regard to the case of ASCII letters.
// White space (space, tab, CR, LF, VT, FF, Ctrl-Z) around section names,
// keys and values is not part of them; quotes are kept. Lines before the
// first header, and lines that are neither header, comment nor value line,
// belong to no key. A section may appear more than once: a key is looked up
// in every section of that name in file order and the first line holding it
// wins; setting a key changes that same line, or adds the key at the end of
// the first section of that name, or adds the section at the end of the file.
//
// Encodings: a file beginning with the UTF-16LE byte-order mark is UTF-16LE
// and new lines are written in UTF-16LE; anything else is UTF-8 (with or
// without its byte-order mark, which is kept). New lines take the line ending
// of the file's first line ending ("\n" for a file that has none).

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ostiva {

class ProfileDocument {
  public:
    enum class Encoding { Utf8, Utf8WithBom, Utf16Le };

    // An empty document: a file that does not exist yet (UTF-8, "\n").
    ProfileDocument() = default;

    // Takes any bytes; Serialize() gives them back unchanged.
    static ProfileDocument Parse(std::string_view bytes);

    // The value of the key, up to its first zero unit; nothing when the
    // section or the key is missing.
    std::optional<std::u16string> Find(std::u16string_view section, std::u16string_view key) const;

    // Sets the key to the value, adding the key or the section when missing.
    // Returns false, changing nothing, for what the format cannot hold: an
    // empty section or key, a line break or zero unit in any of the three, a
    // ']' in the section, a '=' in the key, or a key that would read as a
    // comment or a header. White space around the names is dropped.
    bool Set(std::u16string_view section, std::u16string_view key, std::u16string_view value);

    std::string Serialize() const;

    Encoding encoding() const { return encoding_; }

  private:
    struct Line {
        std::string content;  // the raw bytes before the line ending
        std::string ending;   // the raw line ending: CR LF, LF, or nothing at the end
        std::u16string text;  // `content` decoded, for matching
    };

    // Where a key is, or where it would go.
    struct Place {
        std::optional<size_t> keyLine;      // the line holding the key
        std::optional<size_t> sectionLast;  // last non-blank line of the first matching section
    };

    Place Locate(std::u16string_view section, std::u16string_view key) const;
    std::string Encode(std::u16string_view text) const;
    std::string NewLineEnding() const;

    Encoding encoding_ = Encoding::Utf8;
    std::string byteOrderMark_;
    std::vector<Line> lines_;
};

}  // namespace ostiva
