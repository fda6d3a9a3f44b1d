#include "program/win32/command_line_text.h"

#include <windows.h>

#include "app/command_line.h"
#include "platform/win32/wtf8.h"

namespace tavrel::win32 {

std::vector<std::string> ProcessArguments() {
    // Every separator and quote is ASCII, and every byte of a longer UTF-8
    // sequence lies above 127, so splitting the UTF-8 form cuts where splitting
    // the UTF-16 text would.
    return SplitCommandLine(ToWtf8(::GetCommandLineW()));
}

}  // namespace tavrel::win32
