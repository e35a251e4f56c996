#pragma once
// One technician's account as the server keeps it. Texts are UTF-8; the
// records cut them at their slots when they are sent.

#include <string>

namespace ostiva::server {

struct Account {
    std::string id;
    std::string passwordHash;  // see PasswordHash.h
    std::string company;
    std::string name;
    std::string expiry;  // "YYYY-MM-DD", or empty: never expires
    std::string customerUrl;
    std::string link1;
    std::string link2;
};

// True when `expiry` is a date before `today` (both "YYYY-MM-DD"). An empty
// expiry never expires; one that is not a date of that form counts as
// expired, so a typing error locks an account out instead of opening it
// forever.
bool IsExpired(const std::string& expiry, const std::string& today);

// True for a text of the form "YYYY-MM-DD" with a month 01-12 and a day 01-31.
bool IsDateText(const std::string& text);

}  // namespace ostiva::server
