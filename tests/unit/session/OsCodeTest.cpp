#include <gtest/gtest.h>

#include "session/OsCode.h"

using ostiva::ComputeOsCode;
using ostiva::OsCodeName;
using ostiva::OsVersionData;

namespace {

constexpr uint8_t kWorkstation = 1;
constexpr uint8_t kServer = 3;  // VER_NT_SERVER

OsVersionData Version(uint32_t major, uint32_t minor, uint8_t productType = kWorkstation) {
    OsVersionData v;
    v.extendedInfoRead = true;
    v.basicInfoRead = true;
    v.major = major;
    v.minor = minor;
    v.productType = productType;
    return v;
}

OsVersionData WithRegistry(OsVersionData v, uint32_t registryMajor) {
    v.registryValueRead = true;
    v.registryMajor = registryMajor;
    return v;
}

}  // namespace

TEST(OsCode, VersionTable) {
    struct Case {
        OsVersionData version;
        uint16_t code;
        const char16_t* name;
    } cases[] = {
        {Version(5, 0), 1, u"Windows 2000"},
        {Version(5, 1), 2, u"Windows XP"},
        {Version(5, 2, kServer), 3, u"Windows Server 2003"},
        {Version(6, 0), 5, u"Windows Vista"},
        {Version(6, 0, kServer), 6, u"Windows Server 2008"},
        {Version(6, 1, kServer), 7, u"Windows Server 2008 R2"},
        {Version(6, 1), 8, u"Windows 7"},
        {Version(6, 2, kServer), 9, u"Windows Server 2012"},
        {Version(6, 2), 10, u"Windows 8"},
        {Version(6, 3, kServer), 11, u"Windows Server 2012 R2"},
        {Version(6, 3), 12, u"Windows 8.1"},
        {WithRegistry(Version(6, 2, kServer), 10), 13, u"Windows Server 2016"},
        {WithRegistry(Version(6, 2), 10), 14, u"Windows 10"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.version.major << "." << c.version.minor);
        EXPECT_EQ(ComputeOsCode(c.version), c.code);
        EXPECT_EQ(OsCodeName(c.code), std::u16string_view(c.name));
    }
}

TEST(OsCode, ServerR2NeedsTheMetric) {
    OsVersionData v = Version(5, 2, kServer);
    v.serverR2 = 1;
    EXPECT_EQ(ComputeOsCode(v), 4);
    EXPECT_EQ(OsCodeName(4), u"Windows Server 2003 R2");
    v.major = 6;  // the metric means nothing after version 5
    EXPECT_EQ(ComputeOsCode(v), 9);
}

TEST(OsCode, RegistryRuleDecidesWhateverTheMinor) {
    for (uint32_t minor : {0u, 1u, 2u, 3u, 4u, 99u}) {
        EXPECT_EQ(ComputeOsCode(WithRegistry(Version(6, minor, kServer), 10)), 13) << minor;
        EXPECT_EQ(ComputeOsCode(WithRegistry(Version(10, minor), 11)), 14) << minor;
    }
    // Below 10, or unread, the registry value does not count.
    EXPECT_EQ(ComputeOsCode(WithRegistry(Version(6, 1), 9)), 8);
    OsVersionData unread = Version(6, 3);
    unread.registryMajor = 10;
    EXPECT_EQ(ComputeOsCode(unread), 12);
    // Nor does it for version 5.
    EXPECT_EQ(ComputeOsCode(WithRegistry(Version(5, 1), 10)), 2);
}

TEST(OsCode, UnknownVersionsGiveZero) {
    EXPECT_EQ(ComputeOsCode(OsVersionData{}), 0);  // nothing could be read
    EXPECT_EQ(ComputeOsCode(Version(4, 0)), 0);
    EXPECT_EQ(ComputeOsCode(Version(5, 3)), 0);
    EXPECT_EQ(ComputeOsCode(Version(6, 4)), 0);
    EXPECT_EQ(ComputeOsCode(Version(10, 4)), 0);  // without the registry value

    OsVersionData failed = Version(6, 1);
    failed.extendedInfoRead = false;
    failed.basicInfoRead = false;
    EXPECT_EQ(ComputeOsCode(failed), 0);
}

TEST(OsCode, BasicInfoHasNoProductTypeSoNeverAWorkstation) {
    OsVersionData v = Version(6, 1, kWorkstation);
    v.extendedInfoRead = false;
    EXPECT_EQ(ComputeOsCode(v), 7);
    EXPECT_EQ(ComputeOsCode(WithRegistry(v, 10)), 13);
}

TEST(OsCode, NamesOutsideTheTableAreEmpty) {
    EXPECT_EQ(OsCodeName(0), u"");
    EXPECT_EQ(OsCodeName(15), u"");
    EXPECT_EQ(OsCodeName(0xFFFF), u"");
    EXPECT_EQ(ostiva::LocalOsCode(), 0);
}
