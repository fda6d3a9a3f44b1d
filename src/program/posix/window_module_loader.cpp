#include "program/posix/window_module_loader.h"

#include <dlfcn.h>

#include <cstdio>

#include "platform/posix/process_environment.h"
#include "platform/process.h"
#include "ui/qt/window_module_entries.h"

namespace tavrel {
namespace {

// The module once loaded stays loaded: Qt does not support being unloaded.
void* LoadModule(std::string& failures) {
    for (const auto& candidate : WindowModuleCandidates(ExecutablePath())) {
        if (void* module = ::dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL)) return module;
        const char* why = ::dlerror();
        failures += "\n  " + (why ? std::string(why) : candidate);
    }
    return nullptr;
}

}  // namespace

std::vector<std::string> WindowModuleCandidates(const std::string& executable) {
    // Only ever from the program's own place: a module is code, and one lying in
    // whatever folder Tavrel was started from must never be run.
    const auto slash = executable.rfind('/');
    if (executable.empty() || executable.front() != '/' || slash == std::string::npos) return {};
    const std::string directory = executable.substr(0, slash);
    return {directory + "/" + kWindowModuleName, directory + "/../lib/tavrel/" + kWindowModuleName};
}

int RunWindowModeFromModule(int& argc, char** argv) {
    std::string failures;
    void* module = LoadModule(failures);
    auto* entry =
        module ? reinterpret_cast<RunWindowModeEntry>(::dlsym(module, kRunWindowModeEntryName))
               : nullptr;
    if (!entry) {
        std::fprintf(stderr, "tavrel: cannot load the window module %s:%s\n", kWindowModuleName,
                     failures.empty() ? (module ? " it has no window entry"
                                                : " the program's own folder is unknown")
                                      : failures.c_str());
        return 1;
    }
    return entry(&argc, argv);
}

void ShowLastResortBoxFromModule(const std::string& text) {
    if (!DisplayAvailable()) return;
    std::string failures;
    void* module = LoadModule(failures);
    auto* entry =
        module
            ? reinterpret_cast<ShowLastResortBoxEntry>(::dlsym(module, kShowLastResortBoxEntryName))
            : nullptr;
    if (entry) entry(text.c_str());
}

}  // namespace tavrel
