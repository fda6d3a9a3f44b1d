#pragma once
// The list box that shows the file list. It holds no text of its own: it is an
// owner-drawn list box without data (LBS_NODATA) that knows only how many
// entries there are, and each visible line is drawn from the core's file list
// when it is painted. A list of a million entries costs the control one byte of
// selection state per entry.
//
// Since the control keeps no entries, it cannot move their selection marks
// when entries are removed or added: the window reads the marks before a
// change of the list and puts them back, moved as list_marks.h says, after it.

#include <windows.h>

#include "app/list_marks.h"
#include "app/window_layout.h"
#include "collect/file_list.h"

namespace tavrel::win32 {

class FileListBox {
public:
    // The list box styles: several entries selectable at once, no integral
    // height, owner-drawn lines of one height and no data.
    static constexpr DWORD kStyle = WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY |
                                    LBS_EXTENDEDSEL | LBS_NOINTEGRALHEIGHT | LBS_OWNERDRAWFIXED |
                                    LBS_NODATA;

    // Creates the list box as a child of the parent, which must pass the list
    // box's WM_DRAWITEM on to DrawItem.
    FileListBox(HWND parent, const Rect& rect, int id, HFONT font, int line_height,
                const FileList& list);

    HWND handle() const { return handle_; }

    // The marks, the current entry and the first visible entry as they are now.
    ListMarks ReadMarks() const;

    // Gives the list box the file list's number of entries, then the marks, the
    // current entry and the first visible entry; the list is redrawn once.
    // Raises the error "行を挿入できません" when the list box refuses the number
    // (it then keeps the number it had).
    void Show(const ListMarks& marks);
    // The same, returning false instead of raising the error; for the refresh
    // after a handler that failed, where the first error is the one to report.
    bool TryShow(const ListMarks& marks);

    // Draws one line (the owner's WM_DRAWITEM): the entry's path on the
    // selection colours when marked, cut off at the right edge; the focus
    // rectangle on the current entry.
    void DrawItem(const DRAWITEMSTRUCT& item) const;

private:
    HWND handle_;
    HFONT font_;
    const FileList& list_;
};

}  // namespace tavrel::win32
