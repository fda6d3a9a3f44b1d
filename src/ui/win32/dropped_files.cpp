#include "ui/win32/dropped_files.h"

#include "platform/win32/wtf8.h"

namespace tavrel::win32 {

std::vector<std::string> TakeDroppedPaths(HDROP drop) {
    struct Release {
        HDROP drop;
        ~Release() { DragFinish(drop); }
    } release{drop};
    return DroppedPathsOf(drop);
}

std::vector<std::string> DroppedPathsOf(HDROP drop) {
    std::vector<std::string> paths;
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    std::wstring path;
    for (UINT i = 0; i < count; ++i) {
        // The length first, so a path of any length comes whole: a path cut to
        // a fixed buffer could name another item.
        const UINT length = DragQueryFileW(drop, i, nullptr, 0);
        path.assign(length + 1, L'\0');
        const UINT got = DragQueryFileW(drop, i, path.data(), length + 1);
        path.resize(got);
        paths.push_back(ToWtf8(path));
    }
    return paths;
}

}  // namespace tavrel::win32
