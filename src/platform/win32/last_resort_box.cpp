#include "platform/win32/last_resort_box.h"

#include <windows.h>

#include "platform/win32/wtf8.h"

namespace tavrel::win32 {

void ShowLastResortBox(const std::string& text) {
    ::MessageBoxW(nullptr, FromWtf8(text).c_str(), kLastResortTitle,
                  MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

}  // namespace tavrel::win32
