#pragma once
// The list box that shows the file list. It holds every entry's path as its
// own string, as any list box of strings does, so other programs (screen
// readers, UI automation, test tools) read the entries with LB_GETTEXT. The
// lines are drawn by the window in the base layout's line height.
//
// After each change of the file list the list box is brought in line with it:
// removed entries are deleted, new ones appended, and where many entries
// changed (a pass, a reset) the strings are filled in anew, with the storage
// reserved at once and redrawing off meanwhile.

#include <windows.h>

#include "app/list_marks.h"
#include "app/window_layout.h"
#include "app/window_model.h"
#include "collect/file_list.h"

namespace tavrel::win32 {

class FileListBox {
public:
    // The list box styles: several entries selectable at once, no integral
    // height, owner-drawn lines of one height, holding strings.
    static constexpr DWORD kStyle = WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY |
                                    LBS_EXTENDEDSEL | LBS_NOINTEGRALHEIGHT | LBS_OWNERDRAWFIXED |
                                    LBS_HASSTRINGS;

    // Creates the list box as a child of the parent, which must pass the list
    // box's WM_DRAWITEM on to DrawItem.
    FileListBox(HWND parent, const Rect& rect, int id, HFONT font, int line_height,
                const FileList& list);

    HWND handle() const { return handle_; }

    // Draws the lines in this font and line height from now on (the pixel
    // density changed); the caller keeps the font alive.
    void SetFont(HFONT font, int line_height);

    // The marks, the current entry and the first visible entry as they are now.
    ListMarks ReadMarks() const;

    // Brings the list box's strings in line with the file list after the
    // change, then puts the marks, the current entry and the first visible
    // entry; the list is redrawn once. Returns how many entries, from the
    // first on, the list box holds: fewer than the file list when it refused
    // one (no room), and then none after it.
    std::size_t Show(const ListUpdate& update);

    // Draws one line (the owner's WM_DRAWITEM): the entry's string on the
    // selection colours when marked, cut off at the right edge; the focus
    // rectangle on the current entry.
    void DrawItem(const DRAWITEMSTRUCT& item) const;

private:
    // Sends a message to the list box's own window procedure (the class's),
    // past the procedures that subclass it (the window's key handler, the
    // tooltip's relay), which take no part in its entries: under Wine each
    // subclass makes every message about ten times slower, and a million
    // strings would take most of a minute instead of seconds.
    LRESULT ToListBox(UINT message, WPARAM wparam, LPARAM lparam) const;
    // Appends the file list's entries from the list box's count on; stops at
    // the first one refused.
    void AppendFromCount();
    // Sets the strings of the first entries anew in place; false when the
    // list box refused one.
    bool ReplaceFirst(std::size_t count);

    HWND handle_;
    HFONT font_;
    const FileList& list_;
    // How many entries the list box holds.
    std::size_t count_ = 0;
    // The class's window procedure, read at the start of each Show.
    WNDPROC procedure_ = nullptr;
};

}  // namespace tavrel::win32
