#pragma once
// The information page "/info" that the console's "Visit Homepage" opens:
// what this server is, how it is running, and where the history pages are.

#include <cstddef>
#include <string>

namespace ostiva::server {

inline constexpr const char* kInformationPath = "/info";

struct InformationFacts {
    std::string version;
    std::string startedAt;  // "YYYY-MM-DD HH:MM:SS", UTC
    std::string demo;       // how the demo customer behaves; empty when off
    size_t accounts = 0;
    size_t activeConsoles = 0;
    size_t issuedCodes = 0;
};

std::string RenderInformationPage(const InformationFacts& facts);

}  // namespace ostiva::server
