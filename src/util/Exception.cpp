#include "util/Exception.h"

#include <locale.h>
#include <netdb.h>

#include <cerrno>
#include <clocale>
#include <cstring>

#include "util/Utf.h"

namespace ostiva {

Exception::Exception(std::u16string_view message) {
    SetMessage(message);
}

Exception::Exception(std::string_view utf8Message)
    : Exception(std::u16string_view(FromUtf8(utf8Message))) {}

void Exception::SetMessage(std::u16string_view message) {
    message_.SetString(message);
    utf8_ = ToUtf8(message);
}

std::string SystemErrorText(int code) {
    // The C locale gives the English texts whatever the user's language is.
    locale_t c = newlocale(LC_ALL_MASK, "C", locale_t(0));
    std::string text;
    if (c != locale_t(0)) {
        const char* s = strerror_l(code, c);
        text = s ? s : "";
        freelocale(c);
    }
    if (text.rfind("Unknown error", 0) == 0) text.clear();
    return text;
}

SocketException::SocketException() : SocketException(FromErrno(errno)) {}

SocketException SocketException::FromErrno(int code) {
    std::string text = SystemErrorText(code);
    if (text.empty()) text = "Socket error " + std::to_string(code);
    return SocketException(code, FromUtf8(text));
}

SocketException SocketException::FromResolver(int eaiCode) {
    if (eaiCode == EAI_SYSTEM) return FromErrno(errno);
    const char* text = gai_strerror(eaiCode);
    return SocketException(eaiCode, FromUtf8(text ? text : "Name resolution failed"));
}

SystemException::SystemException(int code) : errorCode_(code) {
    if (code == 0) {
        std::u16string fixed =
            u"Thrown a system exception but the program cannot identify the corresponding system "
            u"error.";
        systemMessage_.SetString(fixed);
        SetMessage(fixed);
        return;
    }
    std::string text = SystemErrorText(code);
    if (!text.empty()) {
        std::string cleaned;
        for (char c : text) {
            if (c != '\n' && c != '\r' && c != '\t') cleaned += c;
        }
        if (!cleaned.empty() && cleaned.back() == '.') cleaned.pop_back();
        systemMessage_.Format(u"%s (error code %d)", {cleaned, code});
    } else {
        systemMessage_.Format(u"Error code %d", {code});
    }
    SetMessage(systemMessage_.view());
}

}  // namespace ostiva
