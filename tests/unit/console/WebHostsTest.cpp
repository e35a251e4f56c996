#include <gtest/gtest.h>

#include "console/WebHosts.h"

using ostiva::WebHosts;

TEST(WebHosts, HistoryAddressKeepsTheIdInsideTheQuery) {
    EXPECT_EQ(WebHosts::HistoryAddress(u"www.example", u"helper01"),
              u"http://www.example/admin/pages/helper/index.php?hid=helper01");
    EXPECT_EQ(WebHosts::HistoryAddress(u"127.0.0.1:8080", u"a b&hid=x#top"),
              u"http://127.0.0.1:8080/admin/pages/helper/index.php?hid=a%20b%26hid%3Dx%23top");
    // Non-ASCII as UTF-8 bytes; the unreserved marks stay.
    EXPECT_EQ(WebHosts::EncodeQueryValue(u"山田-_.~+%/?"), u"%E5%B1%B1%E7%94%B0-_.~%2B%25%2F%3F");
    EXPECT_EQ(WebHosts::HistoryAddress(u"h", u""), u"http://h/admin/pages/helper/index.php?hid=");
}

TEST(WebHosts, InformationAddressIsTheInfoPath) {
    EXPECT_EQ(WebHosts::InformationAddress(u"www.example"), u"http://www.example/info");
}

TEST(WebHosts, OverrideTakesOnlyAPlainHost) {
    EXPECT_EQ(WebHosts::OverrideFrom(nullptr), u"");
    EXPECT_EQ(WebHosts::OverrideFrom(""), u"");
    EXPECT_EQ(WebHosts::OverrideFrom("127.0.0.1:8080"), u"127.0.0.1:8080");
    EXPECT_EQ(WebHosts::OverrideFrom("[::1]:80"), u"[::1]:80");
    EXPECT_EQ(WebHosts::OverrideFrom("web.example"), u"web.example");
    for (const char* bad :
         {"evil.example/path", "a?b", "a#b", "user@host", "a b", "h\n", "http://x"}) {
        EXPECT_EQ(WebHosts::OverrideFrom(bad), u"") << bad;
    }
    EXPECT_EQ(WebHosts::OverrideFrom(std::string(300, 'a').c_str()), u"");
}
