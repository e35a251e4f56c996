#include "Clock.h"

#include <ctime>

namespace ostiva::server {

namespace {

std::string Format(const char* format) {
    std::time_t now = std::time(nullptr);
    std::tm parts{};
    gmtime_r(&now, &parts);
    char text[32];
    size_t n = std::strftime(text, sizeof text, format, &parts);
    return std::string(text, n);
}

}  // namespace

std::string NowText() {
    return Format("%Y-%m-%d %H:%M:%S");
}
std::string TodayText() {
    return Format("%Y-%m-%d");
}

}  // namespace ostiva::server
