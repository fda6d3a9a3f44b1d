#include "platform/process.h"

#include <windows.h>

#include <vector>

#include "platform/win32/wtf8.h"

namespace tavrel {

std::string ExecutablePath() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD n =
            ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return {};
        // A full buffer may hold a cut path: try again with a larger one.
        if (n < buffer.size()) return win32::ToWtf8(std::wstring_view(buffer.data(), n));
        if (buffer.size() >= 32768) return {};
        buffer.resize(buffer.size() * 2);
    }
}

std::string WorkingFolder() {
    const DWORD size = ::GetCurrentDirectoryW(0, nullptr);
    if (size == 0) return {};
    std::vector<wchar_t> buffer(size);
    const DWORD n = ::GetCurrentDirectoryW(size, buffer.data());
    if (n == 0 || n >= size) return {};
    return win32::ToWtf8(std::wstring_view(buffer.data(), n));
}

std::string SeparateSettingsFolder() {
    return {};  // beside Tavrel.exe
}

}  // namespace tavrel
