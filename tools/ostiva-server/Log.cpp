#include "Log.h"

#include <cstdio>
#include <mutex>
#include <string>

namespace ostiva::server {

void Log(std::string_view line) {
    static std::mutex lock;
    std::string text = "ostiva-server: ";
    text += line;
    text += '\n';
    std::lock_guard<std::mutex> guard(lock);
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
}

}  // namespace ostiva::server
