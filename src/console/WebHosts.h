#pragma once
// The web addresses the console opens: the service's history page (history
// window) and the maker's information page ("Visit Homepage"). Their hosts
// are set here and nowhere else.
//
// The environment variable OSTIVA_WEB_HOST, read once per run, replaces both
// hosts, e.g. OSTIVA_WEB_HOST=127.0.0.1:8080 points them at the bundled
// server's web port for the demo. A value that is not a plain host name or
// address with an optional port (letters, digits, '.', '-', ':', '[', ']')
// is ignored, so it can never change the path or the query.

#include <string>
#include <string_view>

namespace ostiva {

// The service's web host, which serves the history pages.
inline constexpr std::u16string_view kServiceWebHost = u"www.ostiva.example";
// The maker's web host, which serves the information page.
inline constexpr std::u16string_view kMakerWebHost = u"www.ostiva.example";

inline constexpr std::u16string_view kHistoryPath = u"/admin/pages/helper/index.php";
inline constexpr std::u16string_view kInformationPath = u"/info";

class WebHosts {
  public:
    // The hosts in effect for this run (OSTIVA_WEB_HOST or the constants).
    static std::u16string ServiceHost();
    static std::u16string MakerHost();

    // "http://<host>/admin/pages/helper/index.php?hid=<id>", the helper ID
    // percent-encoded (UTF-8), so that a space, '&' or '#' in it stays part
    // of the ID.
    static std::u16string HistoryAddress(std::u16string_view host, std::u16string_view helperId);
    static std::u16string HistoryAddress(std::u16string_view helperId) {
        return HistoryAddress(ServiceHost(), helperId);
    }

    // "http://<host>/info".
    static std::u16string InformationAddress(std::u16string_view host);
    static std::u16string InformationAddress() { return InformationAddress(MakerHost()); }

    // Whether a text may stand as the host part of an address.
    static bool IsPlainHost(std::string_view host);

    // A query value with everything but the unreserved characters
    // (A-Z a-z 0-9 - . _ ~) written as %XX of its UTF-8 bytes.
    static std::u16string EncodeQueryValue(std::u16string_view value);

    // The override as read from a value of OSTIVA_WEB_HOST (null: unset);
    // empty when it is unset or not a plain host. For tests.
    static std::u16string OverrideFrom(const char* value);
};

}  // namespace ostiva
