#include "ui/win32/version_string.h"

#include <windows.h>

#include <vector>

#include "platform/win32/wtf8.h"
#include "base/assertion_failure.h"

namespace tavrel::win32 {

std::string GetVersionString(const std::string& executable_path) {
    const std::wstring path = FromWtf8(executable_path);
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    // The buffer goes with this scope, whichever way it is left.
    std::vector<unsigned char> buffer(size);
    if (size == 0 || !GetFileVersionInfoW(path.c_str(), 0, size, buffer.data()))
        throw AssertionFailure("Main", 327);
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(buffer.data(), kFileVersionEntry, &value, &length) || value == nullptr)
        throw AssertionFailure("Main", 329);
    // The text up to its terminating null.
    return ToWtf8(std::wstring(static_cast<const wchar_t*>(value)));
}

}  // namespace tavrel::win32
