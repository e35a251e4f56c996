// Feeds arbitrary settings files to the profile parser, then sets one key.
// Input: byte 0 picks the section, byte 1 the key, byte 2 the length n of the
// value, the next n bytes are the value (UTF-8), the rest is the file.
// Checked: the file comes back byte for byte; every value found reads as an
// integer within int and is cut for a caller's buffer without splitting a
// surrogate pair; after a successful set the key reads back as set and every
// other key reads as before.
#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "settings/Profile.h"
#include "settings/ProfileDocument.h"
#include "util/Utf.h"

using ostiva::ProfileDocument;

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

// Distinct even without regard to case, so that two indexes name two keys.
constexpr std::u16string_view kNames[] = {
    u"server", u"helper", u"Proxy", u"options", u"id", u"pw",           u"svr_addr", u"version",
    u"a=b",    u"",       u"[x",    u"k]",      u";c", u"\u65E5\u672C", u"\u00C9",   u"#",
};
constexpr size_t kNameCount = sizeof(kNames) / sizeof(kNames[0]);

std::u16string_view Trim(std::u16string_view text) {
    auto space = [](char16_t c) {
        return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f' ||
               c == 0x1A;
    };
    while (!text.empty() && space(text.front())) text.remove_prefix(1);
    while (!text.empty() && space(text.back())) text.remove_suffix(1);
    return text;
}

// The integer a value starts with (sign, then digits), held at the limits
// of int.
int64_t ReferenceInt(std::u16string_view value) {
    size_t i = 0;
    bool negative = !value.empty() && value[0] == u'-';
    if (!value.empty() && (value[0] == u'-' || value[0] == u'+')) i = 1;
    int64_t number = 0;
    for (; i < value.size() && value[i] >= u'0' && value[i] <= u'9'; ++i) {
        number = std::min<int64_t>(number * 10 + (value[i] - u'0'), int64_t(1) << 40);
    }
    number = negative ? -number : number;
    return std::clamp<int64_t>(number, INT_MIN, INT_MAX);
}

bool IsHigh(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLow(char16_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

void CheckValue(const std::u16string& value) {
    Check(ostiva::ParseProfileInt(value) == ReferenceInt(value));
    for (size_t capacity : {size_t(1), size_t(2), size_t(16), size_t(256)}) {
        std::u16string_view cut = ostiva::CutUtf16(value, capacity - 1);
        size_t room = std::min(value.size(), capacity - 1);
        Check(std::u16string_view(value).starts_with(cut));
        // Only a pair that would be split loses a unit more.
        Check(cut.size() == room ||
              (cut.size() + 1 == room && IsHigh(value[cut.size()]) && IsLow(value[room])));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    size_t sectionIndex = data[0] % kNameCount;
    size_t keyIndex = data[1] % kNameCount;
    size_t valueLength = data[2];
    std::string_view rest(reinterpret_cast<const char*>(data) + 3, size - 3);
    if (valueLength > rest.size()) valueLength = rest.size();
    std::u16string value = ostiva::FromUtf8(rest.substr(0, valueLength));
    std::string_view file = rest.substr(valueLength);

    ProfileDocument document = ProfileDocument::Parse(file);
    Check(document.Serialize() == file);

    std::optional<std::u16string> before[kNameCount][kNameCount];
    for (size_t s = 0; s < kNameCount; ++s) {
        for (size_t k = 0; k < kNameCount; ++k) {
            before[s][k] = document.Find(kNames[s], kNames[k]);
            if (before[s][k]) CheckValue(*before[s][k]);
        }
    }

    if (!document.Set(kNames[sectionIndex], kNames[keyIndex], value)) {
        Check(document.Serialize() == file);  // a refused set changes nothing
        return 0;
    }
    ProfileDocument again = ProfileDocument::Parse(document.Serialize());
    Check(again.Serialize() == document.Serialize());
    for (size_t s = 0; s < kNameCount; ++s) {
        for (size_t k = 0; k < kNameCount; ++k) {
            std::optional<std::u16string> now = again.Find(kNames[s], kNames[k]);
            if (s == sectionIndex && k == keyIndex) {
                Check(now.has_value() && *now == Trim(value));
            } else {
                Check(now == before[s][k]);
            }
        }
    }
    return 0;
}
