#pragma once
// The server's log: one line per event on stderr, whole lines even when
// several threads write at once.

#include <string_view>

namespace ostiva::server {

void Log(std::string_view line);

}  // namespace ostiva::server
