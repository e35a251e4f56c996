#pragma once
// Conversions between the console's wide text (UTF-16) and narrow text.
// Narrow text is UTF-8 on this platform; both directions replace what cannot
// be represented (unpaired surrogates, malformed bytes) with U+FFFD.

#include <string>
#include <string_view>

namespace ostiva {

std::string ToUtf8(std::u16string_view text);
std::u16string FromUtf8(std::string_view text);

// Cuts a UTF-16 text to at most `units` code units without splitting a
// surrogate pair.
std::u16string_view CutUtf16(std::u16string_view text, size_t units);

}  // namespace ostiva
