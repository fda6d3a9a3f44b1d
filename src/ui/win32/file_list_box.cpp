#include "ui/win32/file_list_box.h"

#include <algorithm>
#include <climits>
#include <exception>
#include <vector>

#include "platform/win32/wtf8.h"

namespace tavrel::win32 {
namespace {

// Left margin of a line's text, as a list box draws its own strings.
constexpr int kTextMargin = 2;
// Up to this many removed or rewritten entries are changed one at a time; each
// such change moves the strings after it, so beyond it the strings are filled
// in anew.
constexpr std::size_t kSingleChanges = 256;

bool Refused(LRESULT result) {
    return result == LB_ERR || result == LB_ERRSPACE;
}

// Redrawing is off while the strings change, and on again however the change ends.
class RedrawOff {
public:
    explicit RedrawOff(HWND list) : list_(list) { SendMessageW(list_, WM_SETREDRAW, FALSE, 0); }
    ~RedrawOff() {
        SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(list_, nullptr, TRUE);
    }
    RedrawOff(const RedrawOff&) = delete;
    RedrawOff& operator=(const RedrawOff&) = delete;

private:
    HWND list_;
};

}  // namespace

FileListBox::FileListBox(HWND parent, const Rect& rect, int id, HFONT font, int line_height,
                         const FileList& list)
    : handle_(CreateWindowExW(WS_EX_CLIENTEDGE, L"LISTBOX", L"", kStyle, rect.left, rect.top,
                              rect.width, rect.height, parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                              GetModuleHandleW(nullptr), nullptr)),
      font_(font),
      list_(list) {
    SetFont(font, line_height);
}

void FileListBox::SetFont(HFONT font, int line_height) {
    font_ = font;
    SendMessageW(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    SendMessageW(handle_, LB_SETITEMHEIGHT, 0, line_height);
    InvalidateRect(handle_, nullptr, TRUE);
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

LRESULT FileListBox::ToListBox(UINT message, WPARAM wparam, LPARAM lparam) const {
    return CallWindowProcW(procedure_, handle_, message, wparam, lparam);
}

std::size_t FileListBox::Show(const ListUpdate& update) {
    const RedrawOff quiet(handle_);
    procedure_ = reinterpret_cast<WNDPROC>(GetClassLongPtrW(handle_, GCLP_WNDPROC));
    // The list box holds the first count_ entries of the list as it was
    // before the change.
    bool refill =
        update.reset || update.removed.size() > kSingleChanges || update.rewritten > kSingleChanges;
    if (!refill) {
        for (auto index = update.removed.rbegin(); index != update.removed.rend(); ++index)
            if (*index < count_) ToListBox(LB_DELETESTRING, *index, 0);
        const LRESULT left = ToListBox(LB_GETCOUNT, 0, 0);
        count_ = left > 0 ? static_cast<std::size_t>(left) : 0;
        refill = !ReplaceFirst(std::min(update.rewritten, count_));
    }
    if (refill) {
        ToListBox(LB_RESETCONTENT, 0, 0);
        count_ = 0;
    }
    AppendFromCount();

    // The marks go first, then those of the entries the list box holds.
    const ListMarks& marks = update.marks;
    SendMessageW(handle_, LB_SETSEL, FALSE, -1);
    for (const auto& [first, last] : MarkedRuns(marks.marked)) {
        if (first >= count_) break;
        const std::size_t end = std::min(last, count_ - 1);
        if (first == end)
            SendMessageW(handle_, LB_SETSEL, TRUE, static_cast<LPARAM>(first));
        else
            SendMessageW(handle_, LB_SELITEMRANGEEX, first, static_cast<LPARAM>(end));
    }
    if (count_ > 0) {
        const std::size_t current = std::min(marks.current, count_ - 1);
        SendMessageW(handle_, LB_SETANCHORINDEX, current, 0);
        SendMessageW(handle_, LB_SETCARETINDEX, current, FALSE);
        SendMessageW(handle_, LB_SETTOPINDEX, std::min(marks.top, count_ - 1), 0);
    }
    return count_;
}

void FileListBox::AppendFromCount() {
    if (count_ >= list_.size()) return;
    // Room for every new entry and its text at once.
    std::size_t bytes = 0;
    for (std::size_t i = count_; i < list_.size(); ++i)
        bytes += (list_[i].size() + 1) * sizeof(wchar_t);
    ToListBox(LB_INITSTORAGE, std::min<std::size_t>(list_.size() - count_, INT_MAX),
              static_cast<LPARAM>(std::min<std::size_t>(bytes, INT_MAX)));
    std::wstring text;
    for (std::size_t i = count_; i < list_.size(); ++i) {
        text = FromWtf8(list_[i]);
        if (Refused(ToListBox(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str())))) return;
        ++count_;
    }
}

bool FileListBox::ReplaceFirst(std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        const std::wstring text = FromWtf8(list_[i]);
        ToListBox(LB_DELETESTRING, i, 0);
        if (Refused(ToListBox(LB_INSERTSTRING, i, reinterpret_cast<LPARAM>(text.c_str()))))
            return false;
    }
    return true;
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
    // be had (no memory) draws an empty line.
    std::wstring text;
    try {
        const LRESULT length = SendMessageW(handle_, LB_GETTEXTLEN, item.itemID, 0);
        if (length > 0) {
            text.resize(static_cast<std::size_t>(length) + 1);
            const LRESULT got = SendMessageW(handle_, LB_GETTEXT, item.itemID,
                                             reinterpret_cast<LPARAM>(text.data()));
            text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
        }
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
