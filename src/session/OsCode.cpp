#include "session/OsCode.h"

namespace ostiva {
namespace {

constexpr std::u16string_view kNames[kOsCodeCount] = {
    u"",
    u"Windows 2000",
    u"Windows XP",
    u"Windows Server 2003",
    u"Windows Server 2003 R2",
    u"Windows Vista",
    u"Windows Server 2008",
    u"Windows Server 2008 R2",
    u"Windows 7",
    u"Windows Server 2012",
    u"Windows 8",
    u"Windows Server 2012 R2",
    u"Windows 8.1",
    u"Windows Server 2016",
    u"Windows 10",
};

constexpr uint8_t kWorkstation = 1;

}  // namespace

uint16_t ComputeOsCode(const OsVersionData& version) {
    if (!version.extendedInfoRead && !version.basicInfoRead) return 0;
    // The basic structure has no product type: such a computer never counts
    // as a workstation.
    uint8_t productType = version.extendedInfoRead ? version.productType : 0;
    bool workstation = productType == kWorkstation;

    if (version.major == 5) {
        switch (version.minor) {
            case 0:
                return 1;
            case 1:
                return 2;
            case 2:
                return version.serverR2 != 0 ? 4 : 3;
            default:
                return 0;
        }
    }
    if (version.major >= 6) {
        // Windows 10 and later keep reporting 6.2 to programs without a
        // manifest; the registry knows better.
        if (version.registryValueRead && version.registryMajor >= 10) {
            return workstation ? 14 : 13;
        }
        switch (version.minor) {
            case 0:
                return workstation ? 5 : 6;
            case 1:
                return workstation ? 8 : 7;
            case 2:
                return workstation ? 10 : 9;
            case 3:
                return workstation ? 12 : 11;
            default:
                return 0;
        }
    }
    return 0;
}

std::u16string_view OsCodeName(uint16_t code) {
    return code < kOsCodeCount ? kNames[code] : std::u16string_view();
}

uint16_t LocalOsCode() {
    return 0;
}

}  // namespace ostiva
