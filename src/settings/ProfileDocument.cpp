#include "settings/ProfileDocument.h"

#include "util/Utf.h"

namespace ostiva {
namespace {

constexpr std::string_view kUtf16LeMark = "\xFF\xFE";
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

bool IsSpace(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f' ||
           c == 0x1A;
}

std::u16string_view Trim(std::u16string_view text) {
    while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsSpace(text.back())) text.remove_suffix(1);
    return text;
}

char16_t FoldAscii(char16_t c) {
    return (c >= u'A' && c <= u'Z') ? char16_t(c - u'A' + u'a') : c;
}

bool SameName(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
    }
    return true;
}

enum class Kind { Other, Header, Value };

struct Classified {
    Kind kind = Kind::Other;
    std::u16string_view name;   // section name or key
    std::u16string_view value;  // value lines only
    size_t equals = 0;          // index of the '=' of a value line
};

Classified Classify(std::u16string_view text) {
    Classified line;
    std::u16string_view trimmed = Trim(text);
    if (trimmed.empty() || trimmed.front() == u';' || trimmed.front() == u'#') return line;
    if (trimmed.front() == u'[') {
        size_t close = trimmed.find(u']');
        if (close != std::u16string_view::npos) {
            line.kind = Kind::Header;
            line.name = Trim(trimmed.substr(1, close - 1));
        }
        return line;
    }
    size_t equals = text.find(u'=');
    if (equals == std::u16string_view::npos) return line;
    std::u16string_view key = Trim(text.substr(0, equals));
    if (key.empty()) return line;
    line.kind = Kind::Value;
    line.name = key;
    line.value = Trim(text.substr(equals + 1));
    line.equals = equals;
    return line;
}

bool HasLineBreakOrZero(std::u16string_view text) {
    return text.find_first_of(std::u16string_view(u"\r\n\0", 3)) != std::u16string_view::npos;
}

}  // namespace

ProfileDocument ProfileDocument::Parse(std::string_view bytes) {
    ProfileDocument document;
    if (bytes.starts_with(kUtf16LeMark)) {
        document.encoding_ = Encoding::Utf16Le;
        document.byteOrderMark_ = kUtf16LeMark;
    } else if (bytes.starts_with(kUtf8Mark)) {
        document.encoding_ = Encoding::Utf8WithBom;
        document.byteOrderMark_ = kUtf8Mark;
    }
    std::string_view body = bytes.substr(document.byteOrderMark_.size());

    Line line;
    if (document.encoding_ == Encoding::Utf16Le) {
        size_t i = 0;
        for (; i + 1 < body.size(); i += 2) {
            char16_t unit = static_cast<char16_t>(static_cast<uint8_t>(body[i]) |
                                                  (static_cast<uint8_t>(body[i + 1]) << 8));
            if (unit != u'\n') {
                line.content.append(body.substr(i, 2));
                line.text.push_back(unit);
                continue;
            }
            line.ending = body.substr(i, 2);
            if (!line.text.empty() && line.text.back() == u'\r') {
                line.text.pop_back();
                line.ending.insert(0, line.content, line.content.size() - 2, 2);
                line.content.resize(line.content.size() - 2);
            }
            document.lines_.push_back(std::move(line));
            line = Line();
        }
        // A stray last byte is no text, but it is kept.
        if (i < body.size()) line.content.push_back(body[i]);
    } else {
        size_t start = 0;
        while (start < body.size()) {
            size_t end = body.find('\n', start);
            if (end == std::string_view::npos) break;
            line.content = body.substr(start, end - start);
            line.ending = "\n";
            if (!line.content.empty() && line.content.back() == '\r') {
                line.content.pop_back();
                line.ending.insert(0, 1, '\r');
            }
            line.text = FromUtf8(line.content);
            document.lines_.push_back(std::move(line));
            line = Line();
            start = end + 1;
        }
        line.content = body.substr(start < body.size() ? start : body.size());
        line.text = FromUtf8(line.content);
    }
    if (!line.content.empty()) document.lines_.push_back(std::move(line));
    return document;
}

ProfileDocument::Place ProfileDocument::Locate(std::u16string_view section,
                                               std::u16string_view key) const {
    Place place;
    bool inSection = false;       // inside any section of that name
    bool inFirstSection = false;  // inside the first one
    for (size_t i = 0; i < lines_.size(); ++i) {
        Classified line = Classify(lines_[i].text);
        if (line.kind == Kind::Header) {
            inSection = SameName(line.name, section);
            inFirstSection = inSection && !place.sectionLast;
            if (inFirstSection) place.sectionLast = i;
        } else if (line.kind == Kind::Value && inSection) {
            if (SameName(line.name, key)) {
                place.keyLine = i;
                return place;
            }
            if (inFirstSection) place.sectionLast = i;
        }
    }
    return place;
}

std::optional<std::u16string> ProfileDocument::Find(std::u16string_view section,
                                                    std::u16string_view key) const {
    section = Trim(section);
    key = Trim(key);
    Place place = Locate(section, key);
    if (!place.keyLine) return std::nullopt;
    std::u16string_view value = Classify(lines_[*place.keyLine].text).value;
    return std::u16string(value.substr(0, value.find(u'\0')));
}

std::string ProfileDocument::Encode(std::u16string_view text) const {
    if (encoding_ != Encoding::Utf16Le) return ToUtf8(text);
    std::string bytes;
    bytes.reserve(text.size() * 2);
    for (char16_t unit : text) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    return bytes;
}

std::string ProfileDocument::NewLineEnding() const {
    for (const Line& line : lines_) {
        if (!line.ending.empty()) return line.ending;
    }
    // A UTF-16LE file comes from Windows.
    return encoding_ == Encoding::Utf16Le ? Encode(u"\r\n") : "\n";
}

bool ProfileDocument::Set(std::u16string_view section, std::u16string_view key,
                          std::u16string_view value) {
    section = Trim(section);
    key = Trim(key);
    if (section.empty() || key.empty() || HasLineBreakOrZero(section) || HasLineBreakOrZero(key) ||
        HasLineBreakOrZero(value) || section.find(u']') != std::u16string_view::npos ||
        key.find(u'=') != std::u16string_view::npos || key.front() == u';' || key.front() == u'#' ||
        key.front() == u'[') {
        return false;
    }

    Place place = Locate(section, key);
    if (place.keyLine) {
        // Keep everything up to and including the '=' as it is: the key's
        // spelling and indentation stay the file's own.
        Line& line = lines_[*place.keyLine];
        size_t equals = Classify(line.text).equals;
        size_t rawEquals = encoding_ == Encoding::Utf16Le ? 2 * equals : line.content.find('=');
        size_t unitBytes = encoding_ == Encoding::Utf16Le ? 2 : 1;
        line.content = line.content.substr(0, rawEquals + unitBytes) + Encode(value);
        line.text = line.text.substr(0, equals + 1).append(value);
        return true;
    }

    std::u16string keyLine = std::u16string(key).append(u"=").append(value);
    std::string ending = NewLineEnding();
    size_t at = place.sectionLast ? *place.sectionLast + 1 : lines_.size();
    if (at == lines_.size() && !lines_.empty() && lines_.back().ending.empty()) {
        // A UTF-16LE file that ends in a stray byte cannot take another line
        // without shifting every unit after it.
        if (encoding_ == Encoding::Utf16Le && lines_.back().content.size() % 2 != 0) return false;
        lines_.back().ending = ending;
    }
    std::vector<Line> added;
    if (!place.sectionLast) {
        std::u16string header = std::u16string(u"[").append(section).append(u"]");
        added.push_back(Line{Encode(header), ending, header});
    }
    added.push_back(Line{Encode(keyLine), ending, keyLine});
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), added.begin(), added.end());
    return true;
}

std::string ProfileDocument::Serialize() const {
    std::string bytes = byteOrderMark_;
    for (const Line& line : lines_) {
        bytes += line.content;
        bytes += line.ending;
    }
    return bytes;
}

}  // namespace ostiva
