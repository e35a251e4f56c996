#include "Account.h"

namespace ostiva::server {

bool IsDateText(const std::string& text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return false;
    for (size_t i : {0, 1, 2, 3, 5, 6, 8, 9}) {
        if (text[i] < '0' || text[i] > '9') return false;
    }
    int month = (text[5] - '0') * 10 + (text[6] - '0');
    int day = (text[8] - '0') * 10 + (text[9] - '0');
    return month >= 1 && month <= 12 && day >= 1 && day <= 31;
}

bool IsExpired(const std::string& expiry, const std::string& today) {
    if (expiry.empty()) return false;
    if (!IsDateText(expiry)) return true;
    // Dates of this form order like their texts.
    return expiry < today;
}

}  // namespace ostiva::server
