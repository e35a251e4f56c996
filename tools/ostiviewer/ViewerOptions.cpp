#include "ViewerOptions.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <string_view>

namespace ostiva::viewer {

namespace {

// More than any settings file needs; a larger file is read only this far.
constexpr size_t kMaxFileBytes = 1 << 20;

std::string ReadFileBounded(const std::string& path) {
    std::string text;
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return text;
    char buffer[4096];
    while (text.size() < kMaxFileBytes) {
        ssize_t n = read(fd, buffer, std::min(sizeof buffer, kMaxFileBytes - text.size()));
        if (n <= 0) break;
        text.append(buffer, static_cast<size_t>(n));
    }
    close(fd);
    return text;
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
    return s;
}

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

}  // namespace

std::vector<std::pair<std::string, std::string>> ReadViewerOptions(const std::string& path) {
    std::vector<std::pair<std::string, std::string>> options = {
        {"viewonly", "0"},  {"autorec", "0"}, {"fitwindow", "1"}, {"scale_num", "1"},
        {"scale_den", "1"}, {"8bit", "0"},    {"quality", "3"},   {"compresslevel", "3"},
    };
    std::string text = ReadFileBounded(path);
    std::string_view rest = text;
    if (rest.substr(0, 3) == "\xEF\xBB\xBF") rest.remove_prefix(3);
    bool inOptions = false;
    std::vector<bool> seen(options.size());
    while (!rest.empty()) {
        size_t end = rest.find('\n');
        std::string_view line = Trim(rest.substr(0, end));
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        if (line.empty() || line.front() == ';') continue;
        if (line.front() == '[') {
            size_t close = line.find(']');
            inOptions = close != std::string_view::npos &&
                        SameName(Trim(line.substr(1, close - 1)), "options");
            continue;
        }
        size_t equals = line.find('=');
        if (!inOptions || equals == std::string_view::npos) continue;
        std::string_view key = Trim(line.substr(0, equals));
        std::string_view value = Trim(line.substr(equals + 1));
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
            value = value.substr(1, value.size() - 2);
        }
        // The first occurrence of a key counts, as with the profile functions.
        auto it = std::find_if(options.begin(), options.end(),
                               [&](const auto& option) { return SameName(option.first, key); });
        if (it != options.end() && !seen[it - options.begin()]) {
            seen[it - options.begin()] = true;
            it->second = std::string(value);
        }
    }
    return options;
}

}  // namespace ostiva::viewer
