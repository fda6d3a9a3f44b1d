#include "ui/win32/file_choice.h"

// clang-format off
#include <windows.h>
#include <shellapi.h>
#include <shobjidl.h>
// clang-format on

#include "app/pasted_text.h"
#include "platform/win32/wtf8.h"
#include "ui/win32/dropped_files.h"

namespace tavrel::win32 {
namespace {

// Releases a COM interface at the end of a scope.
template <typename Interface>
struct Held {
    Interface* pointer = nullptr;
    ~Held() {
        if (pointer != nullptr) pointer->Release();
    }
};

std::string PathOf(IShellItem& item) {
    wchar_t* path = nullptr;
    if (FAILED(item.GetDisplayName(SIGDN_FILESYSPATH, &path)) || path == nullptr) return {};
    std::string text = ToWtf8(path);
    CoTaskMemFree(path);
    return text;
}

}  // namespace

std::vector<std::string> ClipboardPaths(HWND owner) {
    if (!OpenClipboard(owner)) return {};
    struct Close {
        ~Close() { CloseClipboard(); }
    } close;
    // The clipboard keeps its data: read in place, never released here.
    if (HANDLE files = GetClipboardData(CF_HDROP)) return DroppedPathsOf(static_cast<HDROP>(files));
    HANDLE text = GetClipboardData(CF_UNICODETEXT);
    if (text == nullptr) return {};
    const auto* chars = static_cast<const wchar_t*>(GlobalLock(text));
    if (chars == nullptr) return {};
    // The text ends at its first null or at the end of its memory.
    const std::size_t room = GlobalSize(text) / sizeof(wchar_t);
    std::size_t length = 0;
    while (length < room && chars[length] != L'\0') ++length;
    const std::string utf8 = ToWtf8(std::wstring(chars, length));
    GlobalUnlock(text);
    return SplitPastedText(utf8, IsAbsoluteWindowsPath).paths;
}

std::vector<std::string> ChooseFiles(HWND owner, bool folder, const std::wstring& title) {
    Held<IFileOpenDialog> dialog;
    if (FAILED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER,
                                IID_PPV_ARGS(&dialog.pointer))))
        return {};
    FILEOPENDIALOGOPTIONS options = 0;
    dialog.pointer->GetOptions(&options);
    options |= FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST;
    options |= folder ? FOS_PICKFOLDERS : FOS_ALLOWMULTISELECT | FOS_FILEMUSTEXIST;
    dialog.pointer->SetOptions(options);
    dialog.pointer->SetTitle(title.c_str());
    if (FAILED(dialog.pointer->Show(owner))) return {};  // cancelled
    Held<IShellItemArray> items;
    if (FAILED(dialog.pointer->GetResults(&items.pointer))) return {};
    DWORD count = 0;
    items.pointer->GetCount(&count);
    std::vector<std::string> paths;
    for (DWORD i = 0; i < count; ++i) {
        Held<IShellItem> item;
        if (FAILED(items.pointer->GetItemAt(i, &item.pointer))) continue;
        std::string path = PathOf(*item.pointer);
        if (!path.empty()) paths.push_back(std::move(path));
    }
    return paths;
}

}  // namespace tavrel::win32
