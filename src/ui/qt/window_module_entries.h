#pragma once
// The entry points of the window module (tavrel-window.so): their names and
// types, shared by the module that exports them (ui/qt/window_module.cpp) and
// the program that looks them up (program/posix/window_module_loader.cpp), so
// that the two can never disagree. Free of Qt.

// The exported symbol names. The module defines its entries with these macros,
// and the loader looks up the very same names as texts.
#define TAVREL_RUN_WINDOW_MODE_ENTRY tavrel_run_window_mode
#define TAVREL_SHOW_LAST_RESORT_BOX_ENTRY tavrel_show_last_resort_box

#define TAVREL_ENTRY_NAME_TEXT(name) TAVREL_ENTRY_NAME_TEXT_OF(name)
#define TAVREL_ENTRY_NAME_TEXT_OF(name) #name

namespace tavrel {

// Runs window mode (see RunWindowMode); argc and argv are the program's own.
using RunWindowModeEntry = int (*)(int* argc, char** argv);
inline constexpr const char* kRunWindowModeEntryName =
    TAVREL_ENTRY_NAME_TEXT(TAVREL_RUN_WINDOW_MODE_ENTRY);

// Shows the last-resort box with a NUL-terminated UTF-8 text when a display is
// available (see ShowLastResortBoxIfDisplay). Never throws.
using ShowLastResortBoxEntry = void (*)(const char* text);
inline constexpr const char* kShowLastResortBoxEntryName =
    TAVREL_ENTRY_NAME_TEXT(TAVREL_SHOW_LAST_RESORT_BOX_ENTRY);

}  // namespace tavrel
