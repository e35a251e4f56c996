#include "HtmlText.h"

#include "util/Utf.h"

namespace ostiva::server {

std::string HtmlEscape(std::string_view text) {
    std::string escaped;
    escaped.reserve(text.size() + text.size() / 8);
    for (char c : text) {
        switch (c) {
            case '&':
                escaped += "&amp;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            case '"':
                escaped += "&quot;";
                break;
            case '\'':
                escaped += "&#39;";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

std::string CleanInput(std::string_view text, size_t maxBytes) {
    std::string clean = ToUtf8(FromUtf8(text));
    if (clean.size() <= maxBytes) return clean;
    size_t end = maxBytes;
    // Back up to the first byte of a character (not a continuation byte).
    while (end > 0 && (static_cast<unsigned char>(clean[end]) & 0xC0) == 0x80) --end;
    clean.resize(end);
    return clean;
}

std::string PercentEncode(std::string_view value) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    for (char byte : value) {
        auto c = static_cast<unsigned char>(byte);
        bool unreserved = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                          (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_' || c == '~';
        if (unreserved) {
            encoded += char(c);
        } else {
            encoded += '%';
            encoded += kHex[c >> 4];
            encoded += kHex[c & 0x0F];
        }
    }
    return encoded;
}

std::string HtmlDocument(std::string_view title, std::string_view body) {
    std::string page =
        "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
        "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>";
    page += HtmlEscape(title);
    page +=
        "</title>\n<style>\n"
        "body{font-family:sans-serif;font-size:14px;margin:1em 2em;color:#222;background:#fff}\n"
        "h1{font-size:1.4em;color:#1d4f91;border-bottom:2px solid #1d4f91;padding-bottom:.2em}\n"
        "h2{font-size:1.1em;margin-top:1.5em}\n"
        "table{border-collapse:collapse;width:100%}\n"
        "th,td{border:1px solid #bbb;padding:.3em .5em;text-align:left;vertical-align:top}\n"
        "th{background:#e8eef7}\n"
        "tr:nth-child(even) td{background:#f7f9fc}\n"
        ".memo{white-space:pre-wrap}\n"
        ".n{white-space:nowrap}\n"
        ".note{color:#555}\n"
        ".problem{color:#a00}\n"
        "form{margin:1em 0;padding:.5em;background:#f0f0f0}\n"
        "label{margin-right:1em}\n"
        "</style>\n</head>\n<body>\n<h1>";
    page += HtmlEscape(title);
    page += "</h1>\n";
    page += body;
    page += "</body>\n</html>\n";
    return page;
}

std::string CodeText(int32_t code) {
    return std::to_string(code / 1000) + "-" + std::to_string(code % 1000);
}

}  // namespace ostiva::server
