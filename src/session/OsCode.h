#pragma once
// The 16-bit OsCode: which Windows version a computer runs, as the login
// record reports the console's own computer and the code-status record the
// customer's. The rule that derives it works on the version facts alone, so
// that it can be checked here without Windows.

#include <cstdint>
#include <string_view>

namespace ostiva {

// What the version rule reads. On Windows: GetVersionExW with the extended
// structure, else the basic one (product type then 0), SM_SERVERR2, and the
// registry value "CurrentMajorVersionNumber".
struct OsVersionData {
    bool extendedInfoRead = false;
    bool basicInfoRead = false;
    uint32_t major = 0;
    uint32_t minor = 0;
    uint8_t productType = 0;  // 1: workstation (VER_NT_WORKSTATION)
    int serverR2 = 0;         // GetSystemMetrics(SM_SERVERR2)
    bool registryValueRead = false;
    uint32_t registryMajor = 0;
};

inline constexpr uint16_t kOsCodeCount = 15;  // codes 0 to 14

uint16_t ComputeOsCode(const OsVersionData& version);

// The version name of a code: u"Windows 10" for 14, empty for 0 and for
// codes beyond the table.
std::u16string_view OsCodeName(uint16_t code);

// The code of this computer. It is not Windows, so it has none: 0.
uint16_t LocalOsCode();

}  // namespace ostiva
