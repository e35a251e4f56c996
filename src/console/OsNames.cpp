#include "console/OsNames.h"

#include <array>

namespace ostiva {

std::u16string_view OsDisplayName(uint16_t osCode) {
    static constexpr std::array<std::u16string_view, 15> kNames = {
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
    return osCode < kNames.size() ? kNames[osCode] : std::u16string_view();
}

}  // namespace ostiva
