#include "platform/process.h"

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/posix/process_environment.h"

namespace tavrel {

std::string ExecutablePath() {
    std::vector<char> buffer(4096);
    for (;;) {
        const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0) return {};
        if (static_cast<std::size_t>(n) < buffer.size()) return std::string(buffer.data(), n);
        buffer.resize(buffer.size() * 2);
    }
}

std::string LocaleNameFor(const char* category_variable) {
    for (const char* name : {"LC_ALL", category_variable, "LANG"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') return value;
    }
    return {};
}

bool DisplayAvailable() {
    auto is_set = [](const char* variable) {
        const char* value = std::getenv(variable);
        return value != nullptr && *value != '\0';
    };
    if (const char* platform = std::getenv("QT_QPA_PLATFORM")) {
        if (std::strncmp(platform, "offscreen", 9) == 0 ||
            std::strncmp(platform, "minimal", 7) == 0)
            return false;
    }
    return is_set("DISPLAY") || is_set("WAYLAND_DISPLAY");
}

}  // namespace tavrel
