#include "platform/process.h"

#include <pwd.h>
#include <unistd.h>

#include <cerrno>
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

std::string WorkingFolder() {
    std::vector<char> buffer(4096);
    for (;;) {
        if (::getcwd(buffer.data(), buffer.size()) != nullptr) return buffer.data();
        if (errno != ERANGE) return {};
        buffer.resize(buffer.size() * 2);
    }
}

std::string XdgSettingsFolder(const char* xdg_config_home, const std::string& home) {
    if (xdg_config_home != nullptr && xdg_config_home[0] == '/')
        return std::string(xdg_config_home) + "/tavrel";
    return home + "/.config/tavrel";
}

std::string XdgStateFolder(const char* xdg_state_home, const std::string& home) {
    if (xdg_state_home != nullptr && xdg_state_home[0] == '/')
        return std::string(xdg_state_home) + "/tavrel";
    return home + "/.local/state/tavrel";
}

std::string HomeFolder() {
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') return home;
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
        found->pw_dir != nullptr)
        return found->pw_dir;
    return {};
}

std::string SeparateSettingsFolder() {
#ifdef TAVREL_XDG_SETTINGS
    return XdgSettingsFolder(std::getenv("XDG_CONFIG_HOME"), HomeFolder());
#else
    return {};
#endif
}

std::string LocaleNameFor(const char* category_variable) {
    for (const char* name : {"LC_ALL", category_variable, "LANG"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') return value;
    }
    return {};
}

std::string HostName() {
    // HOST_NAME_MAX is 64 on Linux; a name that fills the buffer may be cut
    // short without a terminator, and a cut name must never match, so it
    // counts as none.
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0 || name[sizeof name - 2] != '\0') return {};
    return name;
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
