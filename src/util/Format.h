#pragma once
// printf-style formatting for wide (UTF-16) and narrow (UTF-8) text, with the
// arguments checked at run time instead of read blindly from a va_list.
//
// Conversions: %s a text of the format's own width (a text of the other width
// is converted), %S a text of the other width (converted), %d %i a signed
// integer, %u an unsigned integer, %x %X hexadecimal, %c one character, %% a
// percent sign. Flags '-' and '0' and a decimal width are honoured. A
// conversion whose argument is missing or of the wrong kind is written as
// the conversion text itself, so a bad format never reads foreign memory.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <type_traits>

namespace ostiva {

class StringStorage;
class AnsiStringStorage;

class FormatArg {
  public:
    enum class Kind { Signed, Unsigned, Wide, Narrow };

    template <class T, std::enable_if_t<std::is_integral_v<T> && std::is_signed_v<T>, int> = 0>
    FormatArg(T value) : kind_(Kind::Signed), signed_(value) {}
    template <class T, std::enable_if_t<std::is_integral_v<T> && std::is_unsigned_v<T> &&
                                            !std::is_same_v<T, bool>,
                                        int> = 0>
    FormatArg(T value) : kind_(Kind::Unsigned), unsigned_(value) {}
    FormatArg(const char16_t* text) : kind_(Kind::Wide), wide_(text ? text : u"") {}
    FormatArg(std::u16string_view text) : kind_(Kind::Wide), wide_(text) {}
    FormatArg(const std::u16string& text) : kind_(Kind::Wide), wide_(text) {}
    FormatArg(const char* text) : kind_(Kind::Narrow), narrow_(text ? text : "") {}
    FormatArg(std::string_view text) : kind_(Kind::Narrow), narrow_(text) {}
    FormatArg(const std::string& text) : kind_(Kind::Narrow), narrow_(text) {}
    FormatArg(const StringStorage& text);
    FormatArg(const AnsiStringStorage& text);

    Kind kind() const { return kind_; }
    int64_t AsSigned() const { return kind_ == Kind::Signed ? signed_ : int64_t(unsigned_); }
    uint64_t AsUnsigned() const { return kind_ == Kind::Unsigned ? unsigned_ : uint64_t(signed_); }
    std::u16string_view wide() const { return wide_; }
    std::string_view narrow() const { return narrow_; }

  private:
    Kind kind_;
    int64_t signed_ = 0;
    uint64_t unsigned_ = 0;
    std::u16string_view wide_;
    std::string_view narrow_;
};

std::u16string FormatWide(std::u16string_view format, std::initializer_list<FormatArg> args);
std::string FormatNarrow(std::string_view format, std::initializer_list<FormatArg> args);

}  // namespace ostiva
