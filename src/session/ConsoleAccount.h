#pragma once
// The technician's account as the server reported it at login. The main
// window copies it once when it opens and never changes its copy.

#include <cstdint>
#include <string>

namespace ostiva {

struct ConsoleAccount {
    std::u16string expiryDate;  // as the server formats it
    std::u16string companyName;
    std::u16string helperName;
    std::u16string helperId;
    std::u16string customerUrl;  // the address given to customers
    std::u16string linkUrl1;     // Link menu, first item
    std::u16string linkUrl2;     // Link menu, second item
    int32_t todayConnections = 0;
};

}  // namespace ostiva
