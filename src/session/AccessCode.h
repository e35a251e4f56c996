#pragma once
// One entry of the console's access-code list. The entry lives only for one
// run of the console and is copied by value when the list shifts.

#include <cstdint>
#include <string>

namespace ostiva {

// The states the server reports for a code. The server may send any 16-bit
// value; an entry stores it as it came, so a value outside this set survives.
enum class AccessCodeState : uint16_t {
    Waiting = 0,
    Ready = 1,
    Connected = 2,
    Ended = 3,
};

struct AccessCode {
    std::u16string imagePath;  // picture shown for the code
    int32_t code = 0;          // the number the technician reads out
    uint16_t state = static_cast<uint16_t>(AccessCodeState::Waiting);
    int32_t connectionNumber = 0;  // sent back with the report; 0 until Connected
    std::u16string beginTime;
    std::u16string endTime;
    std::u16string firstAddress;
    std::u16string secondAddress;
    uint16_t osCode = 0;
    // Typed by the technician in the report panel.
    std::u16string company;
    std::u16string customerName;
    std::u16string email;
    std::u16string phone;
    std::u16string memo;

    bool Is(AccessCodeState s) const { return state == static_cast<uint16_t>(s); }
};

}  // namespace ostiva
