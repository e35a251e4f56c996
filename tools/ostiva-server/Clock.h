#pragma once
// The server's time texts, in UTC: "YYYY-MM-DD HH:MM:SS" and "YYYY-MM-DD".

#include <string>

namespace ostiva::server {

std::string NowText();
std::string TodayText();

}  // namespace ostiva::server
