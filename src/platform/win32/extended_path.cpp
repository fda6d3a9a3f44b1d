#include "platform/win32/extended_path.h"

#include <windows.h>

#include <optional>
#include <vector>

namespace tavrel::win32 {
namespace {

constexpr std::wstring_view kExtendedPrefix = L"\\\\?\\";
constexpr std::wstring_view kExtendedUncPrefix = L"\\\\?\\UNC\\";

bool IsSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

bool StartsWithDrive(std::wstring_view path) {
    return path.size() >= 2 && path[1] == L':' &&
           ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z'));
}

bool SameDrive(wchar_t a, wchar_t b) {
    const auto upper = [](wchar_t c) { return c >= L'a' && c <= L'z' ? c - L'a' + L'A' : c; };
    return upper(a) == upper(b);
}

// "C:\..." (also "C:" alone).
bool IsDriveAbsolute(std::wstring_view path) {
    return StartsWithDrive(path) && path.size() > 2 && IsSeparator(path[2]);
}

// "\\server\share\..." and device paths ("\\.\...", "\\?\...").
bool StartsWithTwoSeparators(std::wstring_view path) {
    return path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1]);
}

bool IsDevicePath(std::wstring_view path) {
    return StartsWithTwoSeparators(path) && path.size() >= 3 &&
           (path[2] == L'?' || path[2] == L'.') && (path.size() == 3 || IsSeparator(path[3]));
}

// An absolute path as its root ("C:" or "\\server\share", without a final
// separator) and the names below it.
struct AbsolutePath {
    std::wstring root;
    std::vector<std::wstring> names;
    bool unc = false;
};

// Adds the names of `text` to `names`, resolving "." and "..".
void AddNames(std::wstring_view text, std::vector<std::wstring>& names) {
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = start;
        while (end < text.size() && !IsSeparator(text[end])) ++end;
        const std::wstring_view name = text.substr(start, end - start);
        if (name == L"..") {
            if (!names.empty()) names.pop_back();
        } else if (!name.empty() && name != L".") {
            names.emplace_back(name);
        }
        start = end + 1;
    }
}

// Splits "\\server\share\rest" at the end of its share name.
AbsolutePath SplitUnc(std::wstring_view path) {
    AbsolutePath result;
    result.unc = true;
    std::size_t end = 2;
    for (int part = 0; part < 2; ++part) {
        while (end < path.size() && IsSeparator(path[end])) ++end;
        const std::size_t start = end;
        while (end < path.size() && !IsSeparator(path[end])) ++end;
        if (end > start) result.root += L'\\' + std::wstring(path.substr(start, end - start));
    }
    result.root.insert(0, 1, L'\\');
    AddNames(path.substr(end), result.names);
    return result;
}

// A plain or extended absolute path, split; empty when it is neither.
std::optional<AbsolutePath> SplitAbsolute(std::wstring_view path) {
    if (path.starts_with(kExtendedUncPrefix))
        return SplitUnc(L"\\\\" + std::wstring(path.substr(kExtendedUncPrefix.size())));
    if (path.starts_with(kExtendedPrefix)) path.remove_prefix(kExtendedPrefix.size());
    if (IsDriveAbsolute(path)) {
        AbsolutePath result;
        result.root = path.substr(0, 2);
        AddNames(path.substr(2), result.names);
        return result;
    }
    if (StartsWithTwoSeparators(path) && !IsDevicePath(path)) return SplitUnc(path);
    return std::nullopt;
}

std::wstring Joined(const AbsolutePath& path, bool trailing_separator) {
    std::wstring result(path.unc ? kExtendedUncPrefix : kExtendedPrefix);
    // The share's root without its two leading backslashes.
    result += path.unc ? std::wstring_view(path.root).substr(2) : std::wstring_view(path.root);
    for (const std::wstring& name : path.names) result += L'\\' + name;
    // A root always ends in its separator ("\\?\C:\"), as "\\?\C:" names the
    // volume itself.
    if (path.names.empty() || trailing_separator) result += L'\\';
    return result;
}

// A result of a call that fills a buffer of the given size and returns the
// length it needs when the buffer is too small.
template <typename Call>
std::wstring Filled(Call call) {
    std::wstring text(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = call(static_cast<DWORD>(text.size()), text.data());
        if (n == 0) return {};
        if (n < text.size()) {
            text.resize(n);
            return text;
        }
        text.resize(n);  // n counts the terminating null
    }
}

}  // namespace

std::wstring ExtendedLengthPath(std::wstring_view path, std::wstring_view current_folder) {
    if (path.empty() || IsDevicePath(path)) return std::wstring(path);
    const bool trailing_separator = IsSeparator(path.back());
    if (auto absolute = SplitAbsolute(path)) return Joined(*absolute, trailing_separator);
    auto base = SplitAbsolute(current_folder);
    if (!base) return std::wstring(path);
    if (StartsWithDrive(path)) {
        // "D:a": on the current folder's drive it continues the current folder.
        if (base->unc || !SameDrive(base->root[0], path[0])) {
            base->unc = false;
            base->root = path.substr(0, 2);
            base->names.clear();
        }
        path.remove_prefix(2);
    } else if (IsSeparator(path[0])) {
        base->names.clear();  // "\a": from the root of the current drive or share
    }
    AddNames(path, base->names);
    return Joined(*base, trailing_separator);
}

std::wstring ExtendedLengthPath(std::wstring_view path) {
    if (path.empty() || IsDevicePath(path) || IsDriveAbsolute(path) ||
        StartsWithTwoSeparators(path))
        return ExtendedLengthPath(path, std::wstring_view());
    std::wstring current =
        Filled([](DWORD size, wchar_t* buffer) { return ::GetCurrentDirectoryW(size, buffer); });
    if (StartsWithDrive(path)) {
        // Another drive's current folder, which only the system knows.
        const std::wstring drive(path.substr(0, 2));
        const std::wstring folder = Filled([&drive](DWORD size, wchar_t* buffer) {
            return ::GetFullPathNameW(drive.c_str(), size, buffer, nullptr);
        });
        if (!folder.empty()) current = folder;
    }
    return ExtendedLengthPath(path, current);
}

}  // namespace tavrel::win32
