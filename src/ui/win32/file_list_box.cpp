#include "ui/win32/file_list_box.h"

#include <climits>
#include <exception>
#include <vector>

#include "base/errors.h"
#include "platform/win32/wtf8.h"

namespace tavrel::win32 {
namespace {

// Left margin of a line's text, as a list box draws its own strings.
constexpr int kTextMargin = 2;

}  // namespace

FileListBox::FileListBox(HWND parent, const Rect& rect, int id, HFONT font, int line_height,
                         const FileList& list)
    : handle_(CreateWindowExW(WS_EX_CLIENTEDGE, L"LISTBOX", L"", kStyle, rect.left, rect.top,
                              rect.width, rect.height, parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                              GetModuleHandleW(nullptr), nullptr)),
      font_(font),
      list_(list) {
    SendMessageW(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    SendMessageW(handle_, LB_SETITEMHEIGHT, 0, line_height);
}

ListMarks FileListBox::ReadMarks() const {
    ListMarks marks;
    const LRESULT count = SendMessageW(handle_, LB_GETSELCOUNT, 0, 0);
    if (count > 0) {
        std::vector<int> selected(static_cast<std::size_t>(count));
        const LRESULT got = SendMessageW(handle_, LB_GETSELITEMS, static_cast<WPARAM>(count),
                                         reinterpret_cast<LPARAM>(selected.data()));
        selected.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
        marks.marked.assign(selected.begin(), selected.end());
    }
    const LRESULT current = SendMessageW(handle_, LB_GETCARETINDEX, 0, 0);
    const LRESULT top = SendMessageW(handle_, LB_GETTOPINDEX, 0, 0);
    marks.current = current > 0 ? static_cast<std::size_t>(current) : 0;
    marks.top = top > 0 ? static_cast<std::size_t>(top) : 0;
    return marks;
}

void FileListBox::Show(const ListMarks& marks) {
    if (!TryShow(marks)) throw Error(kListFullMessage);
}

bool FileListBox::TryShow(const ListMarks& marks) {
    SendMessageW(handle_, WM_SETREDRAW, FALSE, 0);
    const bool fits = list_.size() <= static_cast<std::size_t>(INT_MAX);
    const LRESULT set =
        fits ? SendMessageW(handle_, LB_SETCOUNT, static_cast<WPARAM>(list_.size()), 0) : LB_ERR;
    if (set != LB_ERR && set != LB_ERRSPACE) {
        // A list box without data keeps the marks of the positions that stay,
        // whatever entry now stands there: all of them go first.
        SendMessageW(handle_, LB_SETSEL, FALSE, -1);
        for (const auto& [first, last] : MarkedRuns(marks.marked)) {
            if (first == last)
                SendMessageW(handle_, LB_SETSEL, TRUE, static_cast<LPARAM>(first));
            else
                SendMessageW(handle_, LB_SELITEMRANGEEX, first, static_cast<LPARAM>(last));
        }
        if (!list_.empty()) {
            SendMessageW(handle_, LB_SETANCHORINDEX, marks.current, 0);
            SendMessageW(handle_, LB_SETCARETINDEX, marks.current, FALSE);
            SendMessageW(handle_, LB_SETTOPINDEX, marks.top, 0);
        }
    }
    SendMessageW(handle_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(handle_, nullptr, TRUE);
    return set != LB_ERR && set != LB_ERRSPACE;
}

void FileListBox::DrawItem(const DRAWITEMSTRUCT& item) const {
    HDC dc = item.hDC;
    RECT line = item.rcItem;
    if (item.itemAction == ODA_FOCUS) {
        // Only the focus moves (on an empty list too): the focus rectangle is
        // drawn by inverting, so drawing it again where it was takes it away.
        DrawFocusRect(dc, &line);
        return;
    }
    if (item.itemID == static_cast<UINT>(-1)) return;
    const bool marked = (item.itemState & ODS_SELECTED) != 0;
    // Painting must not throw through the window procedure: a text that cannot
    // be made (no memory) draws an empty line.
    std::wstring text;
    try {
        if (item.itemID < list_.size()) text = FromWtf8(list_[item.itemID]);
    } catch (const std::exception&) {
        text.clear();
    }
    const HGDIOBJ old_font = SelectObject(dc, font_);
    SetBkColor(dc, GetSysColor(marked ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    SetTextColor(dc, GetSysColor(marked ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    // No horizontal scrolling: a path wider than the list is cut at the edge.
    ExtTextOutW(dc, line.left + kTextMargin, line.top, ETO_OPAQUE | ETO_CLIPPED, &line,
                text.c_str(), static_cast<UINT>(text.size()), nullptr);
    SelectObject(dc, old_font);
    if ((item.itemState & ODS_FOCUS) != 0) DrawFocusRect(dc, &line);
}

}  // namespace tavrel::win32
