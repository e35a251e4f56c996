#include "console/WebHosts.h"

#include <cstdlib>

#include "util/Utf.h"

namespace ostiva {

namespace {

// Longer than any host name (253) with a port.
constexpr size_t kMaxHostLength = 260;

const std::u16string& Override() {
    static const std::u16string value = WebHosts::OverrideFrom(std::getenv("OSTIVA_WEB_HOST"));
    return value;
}

bool IsUnreserved(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~';
}

}  // namespace

bool WebHosts::IsPlainHost(std::string_view host) {
    if (host.empty() || host.size() > kMaxHostLength) return false;
    for (const char c : host) {
        const bool allowed = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                             (c >= '0' && c <= '9') || c == '.' || c == '-' || c == ':' ||
                             c == '[' || c == ']';
        if (!allowed) return false;
    }
    return true;
}

std::u16string WebHosts::OverrideFrom(const char* value) {
    if (value == nullptr || !IsPlainHost(value)) return {};
    return FromUtf8(value);
}

std::u16string WebHosts::ServiceHost() {
    return Override().empty() ? std::u16string(kServiceWebHost) : Override();
}

std::u16string WebHosts::MakerHost() {
    return Override().empty() ? std::u16string(kMakerWebHost) : Override();
}

std::u16string WebHosts::EncodeQueryValue(std::u16string_view value) {
    static constexpr char16_t kHex[] = u"0123456789ABCDEF";
    std::u16string encoded;
    for (const char byte : ToUtf8(value)) {
        const auto c = static_cast<unsigned char>(byte);
        if (IsUnreserved(c)) {
            encoded.push_back(c);
        } else {
            encoded.push_back(u'%');
            encoded.push_back(kHex[c >> 4]);
            encoded.push_back(kHex[c & 0x0F]);
        }
    }
    return encoded;
}

std::u16string WebHosts::HistoryAddress(std::u16string_view host, std::u16string_view helperId) {
    std::u16string address = u"http://";
    address += host;
    address += kHistoryPath;
    address += u"?hid=";
    address += EncodeQueryValue(helperId);
    return address;
}

std::u16string WebHosts::InformationAddress(std::u16string_view host) {
    std::u16string address = u"http://";
    address += host;
    address += kInformationPath;
    return address;
}

}  // namespace ostiva
