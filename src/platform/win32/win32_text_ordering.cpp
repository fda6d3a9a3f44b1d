#include "platform/win32/win32_text_ordering.h"

#include <windows.h>

#include <vector>

#include "platform/win32/wtf8.h"

namespace tavrel::win32 {
namespace {

constexpr DWORD kSortKeyFlags = LCMAP_SORTKEY | NORM_IGNORECASE;

// Appends the sort key's bytes. The key's own final 0 is dropped, and the bytes
// 0 and 1 (which a sort key should not hold but a locale might) are written as
// 1 1 and 1 2: the order of keys is kept, and no 0 byte reaches the caller.
void AppendKey(std::string_view path, std::string& out) {
    const std::wstring wide = FromWtf8(path);
    if (wide.empty()) return;
    const int size = static_cast<int>(wide.size());
    const int length =
        ::LCMapStringW(LOCALE_USER_DEFAULT, kSortKeyFlags, wide.data(), size, nullptr, 0);
    if (length <= 0) return;
    std::vector<unsigned char> key(static_cast<std::size_t>(length));
    ::LCMapStringW(LOCALE_USER_DEFAULT, kSortKeyFlags, wide.data(), size,
                   reinterpret_cast<LPWSTR>(key.data()), length);
    while (!key.empty() && key.back() == 0) key.pop_back();
    for (const unsigned char byte : key) {
        if (byte <= 1) {
            out += '\x01';
            out += static_cast<char>(byte + 1);
        } else {
            out += static_cast<char>(byte);
        }
    }
}

}  // namespace

std::string Win32TextOrdering::FoldKey(std::string_view path) const {
    return SortKey(path);
}

std::string Win32TextOrdering::SortKey(std::string_view path) const {
    std::string key;
    AppendKey(path, key);
    return key;
}

void Win32TextOrdering::AppendSortKey(std::string_view path, std::string& out) const {
    AppendKey(path, out);
}

int CompareUserLocale(std::string_view a, std::string_view b) {
    const std::wstring wide_a = FromWtf8(a);
    const std::wstring wide_b = FromWtf8(b);
    return ::CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, wide_a.data(),
                            static_cast<int>(wide_a.size()), wide_b.data(),
                            static_cast<int>(wide_b.size())) -
           CSTR_EQUAL;
}

}  // namespace tavrel::win32
