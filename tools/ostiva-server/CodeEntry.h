#pragma once
// One access code the server issued, with what it knows of the customer's
// side. Texts are UTF-16 as they go on the wire.

#include <cstdint>
#include <string>

namespace ostiva::server {

struct CodeEntry {
    int32_t code = 0;
    std::string helperId;  // the console that asked for it
    std::string issuedAt;
    uint16_t state = 0;  // AccessCodeState, or whatever a control command set
    int32_t connectionNumber = 0;
    std::u16string firstAddress;
    std::u16string secondAddress;
    std::u16string beginTime;
    std::u16string endTime;
    uint16_t osCode = 0;
    bool deleted = false;  // the console deleted it
};

}  // namespace ostiva::server
