// The entry points of the window module: the shared object that holds the window
// and everything it needs from Qt. The program loads it only for window mode
// and for the last-resort box, so a command-line run never loads Qt at all.
// Only these two functions are visible outside the module; their names and
// types come from window_module_entries.h, which the program's loader reads too.

#include <exception>
#include <string>
#include <type_traits>

#include "ui/qt/window_mode.h"
#include "ui/qt/window_module_entries.h"

#define TAVREL_WINDOW_EXPORT extern "C" __attribute__((visibility("default")))

TAVREL_WINDOW_EXPORT int TAVREL_RUN_WINDOW_MODE_ENTRY(int* argc, char** argv) {
    return tavrel::RunWindowMode(*argc, argv);
}

TAVREL_WINDOW_EXPORT void TAVREL_SHOW_LAST_RESORT_BOX_ENTRY(const char* text) {
    // Nothing may leave a C entry point by exception; the text is on standard
    // error already, so a box that cannot be shown loses nothing.
    try {
        tavrel::ShowLastResortBoxIfDisplay(text);
    } catch (...) {
    }
}

static_assert(std::is_same_v<decltype(&TAVREL_RUN_WINDOW_MODE_ENTRY), tavrel::RunWindowModeEntry>);
static_assert(
    std::is_same_v<decltype(&TAVREL_SHOW_LAST_RESORT_BOX_ENTRY), tavrel::ShowLastResortBoxEntry>);
