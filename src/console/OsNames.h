#pragma once
// Display names of the customer's Windows version code, as the report panel
// shows them (the same text in every language).

#include <cstdint>
#include <string_view>

namespace ostiva {

// The name for an OsCode; empty for 0 and for any code above 14.
std::u16string_view OsDisplayName(uint16_t osCode);

}  // namespace ostiva
