#include "util/Format.h"

#include "util/AnsiStringStorage.h"
#include "util/StringStorage.h"
#include "util/Utf.h"

namespace ostiva {

FormatArg::FormatArg(const StringStorage& text) : kind_(Kind::Wide), wide_(text.view()) {}
FormatArg::FormatArg(const AnsiStringStorage& text) : kind_(Kind::Narrow), narrow_(text.view()) {}

namespace {

// Text of the output's width for an argument, converting when needed.
std::u16string TextOf(const FormatArg& arg, std::u16string*) {
    return arg.kind() == FormatArg::Kind::Wide ? std::u16string(arg.wide())
                                               : FromUtf8(arg.narrow());
}
std::string TextOf(const FormatArg& arg, std::string*) {
    return arg.kind() == FormatArg::Kind::Narrow ? std::string(arg.narrow()) : ToUtf8(arg.wide());
}

template <class String>
String Digits(uint64_t value, unsigned base, bool upper) {
    const char* digits = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    String out;
    do {
        out.insert(out.begin(), static_cast<typename String::value_type>(digits[value % base]));
        value /= base;
    } while (value != 0);
    return out;
}

template <class String>
String FormatAny(std::basic_string_view<typename String::value_type> format,
                 std::initializer_list<FormatArg> args) {
    using Char = typename String::value_type;
    String out;
    auto next = args.begin();
    size_t i = 0;
    while (i < format.size()) {
        Char c = format[i];
        if (c != Char('%')) {
            out += c;
            ++i;
            continue;
        }
        size_t start = i++;
        bool left = false, zero = false;
        while (i < format.size() && (format[i] == Char('-') || format[i] == Char('0'))) {
            (format[i] == Char('-') ? left : zero) = true;
            ++i;
        }
        size_t width = 0;
        while (i < format.size() && format[i] >= Char('0') && format[i] <= Char('9')) {
            width = width * 10 + size_t(format[i] - Char('0'));
            if (width > 4096) width = 4096;
            ++i;
        }
        // Length modifiers carry no meaning here; the argument knows its size.
        while (i < format.size() && (format[i] == Char('l') || format[i] == Char('h'))) ++i;
        if (i >= format.size()) {
            out.append(format.substr(start));
            break;
        }
        Char conv = format[i++];
        if (conv == Char('%')) {
            out += Char('%');
            continue;
        }
        if (next == args.end()) {
            out.append(format.substr(start, i - start));
            continue;
        }
        const FormatArg& arg = *next++;
        bool isText = arg.kind() == FormatArg::Kind::Wide || arg.kind() == FormatArg::Kind::Narrow;
        String piece;
        bool numeric = false;
        bool negative = false;
        switch (static_cast<char>(conv)) {
            case 's':
            case 'S':
                if (!isText) {
                    out.append(format.substr(start, i - start));
                    continue;
                }
                piece = TextOf(arg, static_cast<String*>(nullptr));
                break;
            case 'd':
            case 'i':
                if (isText) {
                    out.append(format.substr(start, i - start));
                    continue;
                }
                {
                    int64_t v = arg.AsSigned();
                    negative = v < 0;
                    piece = Digits<String>(negative ? uint64_t(0) - uint64_t(v) : uint64_t(v), 10,
                                           false);
                }
                numeric = true;
                break;
            case 'u':
            case 'x':
            case 'X':
                if (isText) {
                    out.append(format.substr(start, i - start));
                    continue;
                }
                {
                    uint64_t v = arg.AsUnsigned();
                    // A negative 32-bit value prints as its 32-bit pattern, as printf does.
                    if (arg.kind() == FormatArg::Kind::Signed && arg.AsSigned() < 0 &&
                        arg.AsSigned() >= INT32_MIN) {
                        v &= 0xFFFFFFFFu;
                    }
                    piece = Digits<String>(v, conv == Char('u') ? 10 : 16, conv == Char('X'));
                }
                numeric = true;
                break;
            case 'c':
                if (isText) {
                    out.append(format.substr(start, i - start));
                    continue;
                }
                piece = String(1, static_cast<Char>(arg.AsUnsigned()));
                break;
            default:
                out.append(format.substr(start, i - start));
                continue;
        }
        size_t length = piece.size() + (negative ? 1 : 0);
        size_t pad = width > length ? width - length : 0;
        if (left) {
            if (negative) out += Char('-');
            out += piece;
            out.append(pad, Char(' '));
        } else if (zero && numeric) {
            if (negative) out += Char('-');
            out.append(pad, Char('0'));
            out += piece;
        } else {
            out.append(pad, Char(' '));
            if (negative) out += Char('-');
            out += piece;
        }
    }
    return out;
}

}  // namespace

std::u16string FormatWide(std::u16string_view format, std::initializer_list<FormatArg> args) {
    return FormatAny<std::u16string>(format, args);
}

std::string FormatNarrow(std::string_view format, std::initializer_list<FormatArg> args) {
    return FormatAny<std::string>(format, args);
}

}  // namespace ostiva
