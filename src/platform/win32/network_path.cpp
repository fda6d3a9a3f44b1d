#include "platform/win32/network_path.h"

#include <windows.h>

#include "platform/win32/extended_path.h"

namespace tavrel::win32 {
namespace {

wchar_t Upper(wchar_t c) {
    return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}

// The rule on a path in device form ("\\?\..." or "\\.\..."), as
// ExtendedLengthPath gives every path that is not one already.
bool IsOnNetworkDriveInDeviceForm(std::wstring_view path, const DriveTypeOf& drive_type) {
    if (path.size() < 7 || path.substr(0, 2) != L"\\\\" || (path[2] != L'?' && path[2] != L'.') ||
        path[3] != L'\\')
        return false;
    const std::wstring_view rest = path.substr(4);
    if (rest.size() >= 4 && Upper(rest[0]) == L'U' && Upper(rest[1]) == L'N' &&
        Upper(rest[2]) == L'C' && rest[3] == L'\\')
        return true;
    const wchar_t letter = Upper(rest[0]);
    if (letter < L'A' || letter > L'Z' || rest[1] != L':' || rest[2] != L'\\') return false;
    return drive_type(std::wstring{letter, L':', L'\\'}) == DRIVE_REMOTE;
}

}  // namespace

bool IsOnNetworkDrive(std::wstring_view path, std::wstring_view current_folder,
                      const DriveTypeOf& drive_type) {
    return IsOnNetworkDriveInDeviceForm(ExtendedLengthPath(path, current_folder), drive_type);
}

bool IsOnNetworkDrive(std::wstring_view path) {
    return IsOnNetworkDriveInDeviceForm(ExtendedLengthPath(path), [](const std::wstring& root) {
        return static_cast<unsigned>(::GetDriveTypeW(root.c_str()));
    });
}

}  // namespace tavrel::win32
