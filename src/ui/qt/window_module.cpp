// The entry points of the window module: the shared object that holds the window
// and everything it needs from Qt. The program loads it only for window mode
// and for the last-resort box, so a command-line run never loads Qt at all.
// Only these two functions are visible outside the module.

#include <exception>
#include <string>

#include "ui/qt/window_mode.h"

#define TAVREL_WINDOW_EXPORT extern "C" __attribute__((visibility("default")))

TAVREL_WINDOW_EXPORT int tavrel_run_window_mode(int* argc, char** argv) {
    return tavrel::RunWindowMode(*argc, argv);
}

TAVREL_WINDOW_EXPORT void tavrel_show_last_resort_box(const char* text) {
    // Nothing may leave a C entry point by exception; the text is on standard
    // error already, so a box that cannot be shown loses nothing.
    try {
        tavrel::ShowLastResortBoxIfDisplay(text);
    } catch (...) {
    }
}
