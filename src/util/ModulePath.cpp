#include "util/ModulePath.h"

#include <unistd.h>

#include <vector>

#include "util/Utf.h"

namespace ostiva {

bool GetModulePath(StringStorage* out) {
    // readlink does not say how long the path is; grow until it fits.
    std::vector<char> buffer(261);
    for (;;) {
        ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
        if (n <= 0) return false;
        if (static_cast<size_t>(n) < buffer.size() - 1) {
            out->SetString(FromUtf8(std::string_view(buffer.data(), static_cast<size_t>(n))));
            return true;
        }
        buffer.resize(buffer.size() + 128);
    }
}

std::u16string ProgramDirectory() {
    StringStorage path;
    if (!GetModulePath(&path)) return std::u16string();
    std::u16string_view p = path.view();
    size_t slash = p.rfind(u'/');
    return std::u16string(slash == std::u16string_view::npos ? p : p.substr(0, slash));
}

}  // namespace ostiva
