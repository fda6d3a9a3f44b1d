#include "ui/win32/main_window.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <exception>
#include <iterator>

#include "app/window_texts.h"
#include "base/errors.h"
#include "platform/win32/wtf8.h"
#include "ui/win32/dropped_files.h"
#include "ui/win32/file_choice.h"
#include "ui/win32/raised_panel.h"
#include "ui/win32/version_string.h"

namespace tavrel::win32 {
namespace {

// Lines the selector's drop-down list shows.
constexpr int kDropDownLines = 3;

HMENU IdOf(int id) {
    return reinterpret_cast<HMENU>(static_cast<INT_PTR>(id));
}

Size SizeOf(HWND window) {
    RECT rect;
    GetWindowRect(window, &rect);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

// A control's position in its parent's client area.
Point PositionOf(HWND control) {
    RECT rect;
    GetWindowRect(control, &rect);
    MapWindowPoints(HWND_DESKTOP, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return {rect.left, rect.top};
}

void MoveTo(HWND control, Point to) {
    SetWindowPos(control, nullptr, to.x, to.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The width of a single-line text in the font.
int TextWidth(const std::wstring& text, HFONT font) {
    HDC screen = GetDC(nullptr);
    const HGDIOBJ old_font = SelectObject(screen, font);
    SIZE extent{};
    GetTextExtentPoint32W(screen, text.c_str(), static_cast<int>(text.size()), &extent);
    SelectObject(screen, old_font);
    ReleaseDC(nullptr, screen);
    return extent.cx;
}

int ScreenDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : base_layout::kDpi;
}

void RegisterWindowClass(HINSTANCE instance, WNDPROC procedure) {
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExW(instance, MainWindow::kWindowClass, &existing)) return;
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.lpfnWndProc = procedure;
    window_class.hInstance = instance;
    window_class.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
    window_class.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    window_class.lpszClassName = MainWindow::kWindowClass;
    RegisterClassExW(&window_class);
}

}  // namespace

MainWindow::MainWindow(MainWindowServices services)
    : services_(std::move(services)),
      model_(WindowModelServices{services_.session, services_.executable_path, GetVersionString,
                                 services_.reload_regional_formats},
             *this) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    RegisterWindowClass(instance, WindowProc);
    dpi_ = ScreenDpi();
    CreateFonts();
    // The outer size that gives the base layout's client area with this frame.
    constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    constexpr DWORD kExStyle = WS_EX_ACCEPTFILES | WS_EX_CONTROLPARENT;
    const Size client = Scaled(base_layout::kClientSize, dpi_);
    RECT outer{0, 0, client.width, client.height};
    AdjustWindowRectEx(&outer, kStyle, FALSE, kExStyle);
    // Created hidden; WS_EX_ACCEPTFILES makes it a drop target from the start.
    CreateWindowExW(kExStyle, kWindowClass, FromWtf8(window_text::kCreatedTitle).c_str(), kStyle,
                    CW_USEDEFAULT, CW_USEDEFAULT, outer.right - outer.left,
                    outer.bottom - outer.top, nullptr, nullptr, instance, this);
    if (handle_ == nullptr) throw Error("window could not be created");
    CreateControls();
    LayOut();
    ShowStampType(services_.session.stamp_type());
    // The date-taken item, in the list's context menu and the system menu.
    const std::wstring date_taken_text = FromWtf8(window_text::kDateTakenItem);
    list_menu = CreatePopupMenu();
    AppendMenuW(list_menu, MF_STRING, kDateTakenCommand, date_taken_text.c_str());
    if (HMENU system_menu = GetSystemMenu(handle_, FALSE)) {
        AppendMenuW(system_menu, MF_SEPARATOR, 0, nullptr);
        AppendMenuW(system_menu, MF_STRING, kDateTakenCommand, date_taken_text.c_str());
    }
    taskbar_created_ = RegisterWindowMessageW(L"TaskbarCreated");
    wake_target_.store(handle_);
    CreateShortcuts();
}

void MainWindow::CreateShortcuts() {
    // The keys that stay the window's everywhere first, then the text field's.
    ACCEL keys[] = {
        {FCONTROL | FVIRTKEY, 'O', kOpenFilesId},
        {FCONTROL | FSHIFT | FVIRTKEY, 'O', kOpenFolderId},
        {FCONTROL | FVIRTKEY, 'W', kCloseId},
        {FCONTROL | FVIRTKEY, 'Q', kCloseId},
        {FCONTROL | FVIRTKEY, 'Z', kUndoId},
        {FCONTROL | FVIRTKEY, 'V', kPasteId},
        {FSHIFT | FVIRTKEY, VK_INSERT, kPasteId},
    };
    constexpr int kEverywhere = 4;
    shortcuts_ = CreateAcceleratorTableW(keys, static_cast<int>(std::size(keys)));
    field_shortcuts_ = CreateAcceleratorTableW(keys, kEverywhere);
}

bool MainWindow::TranslateShortcut(MSG& message) {
    if (handle_ == nullptr || shortcuts_ == nullptr) return false;
    const HWND focus = GetFocus();
    const bool in_field =
        focus != nullptr && (focus == stamp_type_selector || IsChild(stamp_type_selector, focus));
    HACCEL keys = in_field ? field_shortcuts_ : shortcuts_;
    return keys != nullptr && TranslateAcceleratorW(handle_, keys, &message) != 0;
}

void MainWindow::RunShortcut(int id) {
    switch (id) {
        case kPasteId:
            if (!model_.Working()) model_.FilesPasted(ClipboardPaths(handle_));
            break;
        case kOpenFilesId:
        case kOpenFolderId: {
            if (model_.Working()) break;
            const bool folder = id == kOpenFolderId;
            const std::vector<std::string> chosen = ChooseFiles(
                handle_, folder,
                FromWtf8(folder ? window_text::kAddFolderTitle : window_text::kAddFilesTitle));
            if (!chosen.empty()) model_.FilesPasted(chosen);
            break;
        }
        case kCloseId:
            // As the window menu's Close (Alt+F4).
            PostMessageW(handle_, WM_CLOSE, 0, 0);
            break;
        case IDOK: {
            // Return and Enter, turned into the OK command as in a dialog,
            // press the button in focus.
            const HWND focus = GetFocus();
            if (focus == execute_button || focus == clear_button)
                SendMessageW(focus, BM_CLICK, 0, 0);
            break;
        }
        default:
            break;
    }
}

MainWindow::~MainWindow() {
    // The work may wake this window from its thread: it ends first.
    model_.AbandonWork();
    if (handle_ != nullptr) DestroyWindow(handle_);
    if (shortcuts_ != nullptr) DestroyAcceleratorTable(shortcuts_);
    if (list_menu != nullptr) DestroyMenu(list_menu);
    if (field_shortcuts_ != nullptr) DestroyAcceleratorTable(field_shortcuts_);
    if (font_ != nullptr) DeleteObject(font_);
    if (bold_font_ != nullptr) DeleteObject(bold_font_);
}

void MainWindow::CreateFonts() {
    const int height = FontHeight(base_layout::kFontPoints, dpi_);
    const auto make = [height](int weight) {
        return CreateFontW(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                           DEFAULT_PITCH | FF_SWISS, L"Tahoma");
    };
    font_ = make(FW_NORMAL);
    bold_font_ = make(FW_BOLD);
}

void MainWindow::CreateControls() {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    const auto set_font = [](HWND control, HFONT font) {
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    };
    // Children are made in tab order: the list, then the panel; in the panel
    // Execute, Clear, then the label (it takes no focus) and the selector.
    list_ = std::make_unique<FileListBox>(handle_, Scaled(base_layout::kListBox, dpi_), kListBoxId,
                                          font_, Scaled(base_layout::kLineHeight, dpi_),
                                          services_.session.file_list());
    file_list = list_->handle();
    SetWindowSubclass(file_list, ListKeyProc, 0, reinterpret_cast<DWORD_PTR>(this));

    const Rect panel = Scaled(base_layout::kPanel, dpi_);
    bottom_panel = CreateRaisedPanel(handle_, panel, kPanelId);
    panel_size_ = {panel.width, panel.height};

    const auto make_button = [&](const Rect& base_rect, const char* caption, int id) {
        const Rect r = Scaled(base_rect, dpi_);
        HWND button =
            CreateWindowExW(0, L"BUTTON", FromWtf8(caption).c_str(),
                            WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, r.left, r.top,
                            r.width, r.height, bottom_panel, IdOf(id), instance, nullptr);
        set_font(button, font_);
        return button;
    };
    execute_button =
        make_button(base_layout::kButtonExecute, window_text::kCreatedExecuteCaption, kExecuteId);
    clear_button =
        make_button(base_layout::kButtonClear, window_text::kCreatedClearCaption, kClearId);

    // The label just before the selector: assistive technology names a combo
    // box after the static text that precedes it.
    const Rect label = LabelRect();
    stamp_type_label = CreateWindowExW(0, L"STATIC", FromWtf8(window_text::kStampTypeLabel).c_str(),
                                       WS_CHILD | WS_VISIBLE | SS_NOPREFIX | SS_LEFTNOWORDWRAP,
                                       label.left, label.top, label.width, label.height,
                                       bottom_panel, IdOf(kLabelId), instance, nullptr);
    set_font(stamp_type_label, bold_font_);

    const Rect combo = Scaled(base_layout::kComboBox, dpi_);
    stamp_type_selector = CreateWindowExW(
        0, L"COMBOBOX", L"",
        WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL,
        combo.left, combo.top, combo.width, SelectorOpenHeight(), bottom_panel, IdOf(kComboBoxId),
        instance, nullptr);
    set_font(stamp_type_selector, font_);
    for (const char* name : window_text::kStampTypeNames)
        SendMessageW(stamp_type_selector, CB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>(FromWtf8(name).c_str()));
    FitComboBoxHeight(combo.height);
    CreateTooltip();
    accessible_.SetName(file_list, FromWtf8(window_text::kListAccessibleName));
    accessible_.SetName(bottom_panel, FromWtf8(window_text::kPanelAccessibleName));
}

Rect MainWindow::LabelRect() const {
    Rect label = Scaled(base_layout::kLabel, dpi_);
    // The label grows to its text, as a label that sizes itself does: the
    // font the system gives for "Tahoma" may be wider than the one the base
    // layout fits.
    label.width =
        std::max(label.width, TextWidth(FromWtf8(window_text::kStampTypeLabel), bold_font_));
    return label;
}

int MainWindow::SelectorOpenHeight() const {
    // The height given to a drop-down combo box is that of its open list.
    return Scaled(base_layout::kComboBox.height, dpi_) +
           Scaled(base_layout::kLineHeight, dpi_) * (kDropDownLines + 2);
}

void MainWindow::ChangeDpi(int dpi, const RECT& suggested) {
    const HFONT old_font = font_;
    const HFONT old_bold_font = bold_font_;
    dpi_ = dpi;
    CreateFonts();
    list_->SetFont(font_, Scaled(base_layout::kLineHeight, dpi_));
    for (HWND control : {stamp_type_label, execute_button, clear_button, stamp_type_selector})
        SendMessageW(control, WM_SETFONT,
                     reinterpret_cast<WPARAM>(control == stamp_type_label ? bold_font_ : font_),
                     TRUE);
    DeleteObject(old_font);
    DeleteObject(old_bold_font);

    const Rect label = LabelRect();
    MoveWindow(stamp_type_label, label.left, label.top, label.width, label.height, TRUE);
    const Rect combo = Scaled(base_layout::kComboBox, dpi_);
    MoveWindow(stamp_type_selector, combo.left, combo.top, combo.width, SelectorOpenHeight(), TRUE);
    FitComboBoxHeight(combo.height);
    const Rect execute = Scaled(base_layout::kButtonExecute, dpi_);
    const Rect clear = Scaled(base_layout::kButtonClear, dpi_);
    SetWindowPos(execute_button, nullptr, 0, 0, execute.width, execute.height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(clear_button, nullptr, 0, 0, clear.width, clear.height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

    SetWindowPos(handle_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    // Also when the size stayed and no WM_SIZE came: the panel's height changed.
    LayOut();
    // The buttons at this density, in the panel as it is now.
    const ButtonPlaces places = ButtonPlacesAtDpi(dpi_, panel_size_, buttons_placed_);
    MoveTo(execute_button, places.execute);
    MoveTo(clear_button, places.clear);
    InvalidateRect(handle_, nullptr, TRUE);
}

void MainWindow::FitComboBoxHeight(int height) {
    // The closed combo box is its selection field (CB_SETITEMHEIGHT with -1) plus
    // a border. The field grows to the scaled base height; it never gets lower
    // than the text needs, so a font higher than the base layout's keeps it
    // higher.
    const LRESULT field =
        SendMessageW(stamp_type_selector, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0);
    const int closed = SizeOf(stamp_type_selector).height;
    if (field > 0 && closed < height)
        SendMessageW(stamp_type_selector, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1),
                     field + height - closed);
}

void MainWindow::CreateTooltip() {
    tooltip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, handle_,
                              nullptr, GetModuleHandleW(nullptr), nullptr);
    if (tooltip == nullptr) return;
    TTTOOLINFOW tool{};
    // The size every version of the common controls knows.
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = handle_;
    tool.uId = reinterpret_cast<UINT_PTR>(file_list);
    std::wstring text = FromWtf8(window_text::kListTooltip);
    tool.lpszText = text.data();
    SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    SendMessageW(tooltip, TTM_SETDELAYTIME, TTDT_INITIAL, base_layout::kTooltipWakeUpMs);
    SendMessageW(tooltip, TTM_SETDELAYTIME, TTDT_AUTOPOP, base_layout::kTooltipDurationMs);
}

void MainWindow::LayOut() {
    if (file_list == nullptr || bottom_panel == nullptr) return;
    RECT client;
    GetClientRect(handle_, &client);
    const ClientLayout layout =
        LayOutClient({client.right, client.bottom}, Scaled(base_layout::kPanel.height, dpi_));
    MoveWindow(file_list, layout.list.left, layout.list.top, layout.list.width, layout.list.height,
               TRUE);
    MoveWindow(bottom_panel, layout.panel.left, layout.panel.top, layout.panel.width,
               layout.panel.height, TRUE);
    // The buttons keep their distance to the panel's right and bottom edges.
    const Size panel{layout.panel.width, layout.panel.height};
    for (HWND button : {execute_button, clear_button})
        MoveTo(button, FollowRightBottom(PositionOf(button), panel_size_, panel));
    panel_size_ = panel;
}

void MainWindow::ShowTitle(const std::string& title) {
    SetWindowTextW(handle_, FromWtf8(title).c_str());
}

void MainWindow::ShowButtonCaptions(const std::string& execute, const std::string& clear) {
    SetWindowTextW(execute_button, FromWtf8(execute).c_str());
    SetWindowTextW(clear_button, FromWtf8(clear).c_str());
}

Size MainWindow::PanelSize() const {
    return panel_size_;
}

Size MainWindow::ExecuteButtonSize() const {
    return SizeOf(execute_button);
}

Size MainWindow::ClearButtonSize() const {
    return SizeOf(clear_button);
}

void MainWindow::MoveButtons(const ButtonPlaces& places) {
    buttons_placed_ = true;
    MoveTo(execute_button, places.execute);
    MoveTo(clear_button, places.clear);
}

ListMarks MainWindow::ReadMarks() const {
    return list_->ReadMarks();
}

std::size_t MainWindow::ShowList(const ListUpdate& update) {
    return list_->Show(update);
}

void MainWindow::ShowStampType(int stamp_type) {
    // An index outside the list clears the selection and the text field.
    SendMessageW(stamp_type_selector, CB_SETCURSEL, static_cast<WPARAM>(stamp_type), 0);
}

void MainWindow::ShowDateTaken(bool on) {
    const UINT state = MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED);
    CheckMenuItem(list_menu, kDateTakenCommand, state);
    if (HMENU system_menu = GetSystemMenu(handle_, FALSE))
        CheckMenuItem(system_menu, kDateTakenCommand, state);
}

void MainWindow::OpenListMenu(POINT at) {
    if (at.x == -1 && at.y == -1) {
        // From the keyboard: at the current entry, or the list's corner.
        RECT item{};
        const LRESULT current = SendMessageW(file_list, LB_GETCARETINDEX, 0, 0);
        if (current < 0 || SendMessageW(file_list, LB_GETITEMRECT, static_cast<WPARAM>(current),
                                        reinterpret_cast<LPARAM>(&item)) == LB_ERR)
            item = RECT{};
        at = {item.left, item.bottom};
        ClientToScreen(file_list, &at);
    }
    // The chosen command comes back as WM_COMMAND.
    TrackPopupMenu(list_menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0,
                   handle_, nullptr);
}

int MainWindow::ChosenStampType() const {
    // The index the combo box reports is the type (-1: none).
    return static_cast<int>(SendMessageW(stamp_type_selector, CB_GETCURSEL, 0, 0));
}

void MainWindow::ShowError(const std::string& title, const std::string& text) {
    // Owned by the active window, as the error arises from what the user did there.
    HWND active = GetActiveWindow();
    services_.errors.ShowError(active != nullptr ? active : handle_, FromWtf8(title),
                               FromWtf8(text));
}

bool MainWindow::AskYesNo(const std::string& title, const std::string& text) {
    HWND active = GetActiveWindow();
    return services_.errors.AskYesNo(active != nullptr ? active : handle_, FromWtf8(title),
                                     FromWtf8(text));
}

void MainWindow::TickWhileWorking(bool working) {
    if (handle_ == nullptr) return;
    if (working)
        SetTimer(handle_, kWorkTimerId, kWorkTickMilliseconds, nullptr);
    else
        KillTimer(handle_, kWorkTimerId);
}

void MainWindow::WakeFromWorker() {
    // A window already destroyed takes no message: the wake is dropped.
    if (const HWND target = wake_target_.load(); target != nullptr)
        PostMessageW(target, kWorkWokeMessage, 0, 0);
}

void MainWindow::ShowProgress(const std::optional<WorkProgress>& progress) {
    // A control disabled while it has the keyboard focus leaves the window with
    // none (Execute has it after a click): Esc would no longer reach the window.
    // The list takes the focus first.
    const HWND focus = GetFocus();
    for (HWND control : {execute_button, clear_button, stamp_type_selector})
        if (progress && focus != nullptr && (focus == control || IsChild(control, focus)))
            SetFocus(file_list);
    for (HWND control : {execute_button, clear_button, stamp_type_selector})
        EnableWindow(control, progress ? FALSE : TRUE);
    taskbar_.Show(handle_, progress);
}

void MainWindow::Announce(const std::string& text) {
    // The description of the control in focus, which a screen reader speaks
    // as it changes; the window's look stays.
    HWND focus = GetFocus();
    if (focus == nullptr || !IsChild(handle_, focus)) focus = handle_;
    if (announcer_ != nullptr && announcer_ != focus && IsWindow(announcer_))
        accessible_.SetDescription(announcer_, L"");
    announcer_ = focus;
    accessible_.SetDescription(focus, FromWtf8(text));
}

LRESULT CALLBACK MainWindow::WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NCCREATE) {
        auto* form =
            static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
        form->handle_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    }
    auto* form = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (form == nullptr) return DefWindowProcW(window, message, wparam, lparam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        form->handle_ = nullptr;
        return DefWindowProcW(window, message, wparam, lparam);
    }
    return form->HandleMessage(message, wparam, lparam);
}

LRESULT CALLBACK MainWindow::ListKeyProc(HWND list, UINT message, WPARAM wparam, LPARAM lparam,
                                         UINT_PTR, DWORD_PTR form) {
    if (message == WM_KEYDOWN || message == WM_SYSKEYDOWN)
        if (wparam == VK_DELETE) reinterpret_cast<MainWindow*>(form)->model_.DeletePressed();
    if (message == WM_NCDESTROY) RemoveWindowSubclass(list, ListKeyProc, 0);
    return DefSubclassProc(list, message, wparam, lparam);
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_COMMAND: {
            const int id = LOWORD(wparam);
            const int code = HIWORD(wparam);
            if (id == kExecuteId && code == BN_CLICKED) model_.ExecuteClicked();
            if (id == kClearId && code == BN_CLICKED) model_.ClearClicked();
            if (id == kUndoId && lparam == 0) model_.UndoRequested();
            if (lparam == 0 && (id == IDOK || (id > kUndoId && id <= kCloseId))) RunShortcut(id);
            // Esc, turned into the cancel command as in a dialog, stops work.
            if (id == IDCANCEL && lparam == 0) model_.CancelRequested();
            if (id == kComboBoxId && code == CBN_SELCHANGE)
                model_.StampTypeChosen(ChosenStampType());
            if (id == static_cast<int>(kDateTakenCommand) && lparam == 0)
                model_.DateTakenChosen(!model_.session().date_taken());
            return 0;
        }
        case WM_SYSCOMMAND:
            if ((wparam & 0xFFF0) != kDateTakenCommand) break;
            model_.DateTakenChosen(!model_.session().date_taken());
            return 0;
        case WM_CONTEXTMENU:
            if (reinterpret_cast<HWND>(wparam) != file_list) break;
            OpenListMenu(POINT{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)});
            return 0;
        case WM_MEASUREITEM: {
            auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lparam);
            if (item->CtlID != kListBoxId) break;
            item->itemHeight = static_cast<UINT>(Scaled(base_layout::kLineHeight, dpi_));
            return TRUE;
        }
        case WM_DRAWITEM: {
            const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
            if (item->CtlID != kListBoxId || !list_) break;
            list_->DrawItem(*item);
            return TRUE;
        }
        case WM_DROPFILES: {
            std::vector<std::string> paths;
            try {
                paths = TakeDroppedPaths(reinterpret_cast<HDROP>(wparam));
            } catch (const std::exception& error) {
                model_.ReportError(error.what());
                return 0;
            }
            model_.FilesDropped(paths);
            return 0;
        }
        case WM_GETMINMAXINFO: {
            auto* limits = reinterpret_cast<MINMAXINFO*>(lparam);
            const Size minimum = Scaled(base_layout::kMinimumOuterSize, dpi_);
            limits->ptMinTrackSize = {minimum.width, minimum.height};
            return 0;
        }
        case WM_SIZE:
            LayOut();
            return 0;
        case WM_DPICHANGED:
            // The window moved to a screen of another scale, or the scale
            // changed: the new density in both words, the place that keeps the
            // window's size in base-layout pixels scaled to the new density, in lparam.
            ChangeDpi(HIWORD(wparam), *reinterpret_cast<const RECT*>(lparam));
            return 0;
        case WM_WINDOWPOSCHANGED:
            // Shown, whatever the show command (normal, maximized or minimized):
            // a hidden window that is first shown maximized gets no
            // WM_SHOWWINDOW. A window restored by the desktop was visible all
            // along and is not shown again.
            if ((reinterpret_cast<const WINDOWPOS*>(lparam)->flags & SWP_SHOWWINDOW) != 0)
                model_.WindowShown();
            break;
        case WM_ACTIVATE:
            if (LOWORD(wparam) == WA_INACTIVE) {
                HWND focus = GetFocus();
                if (focus != nullptr && IsChild(handle_, focus)) focus_ = focus;
            } else {
                SetFocus(focus_ != nullptr && IsWindow(focus_) ? focus_ : file_list);
            }
            return 0;
        case WM_SETFOCUS:
            SetFocus(focus_ != nullptr && IsWindow(focus_) ? focus_ : file_list);
            return 0;
        case WM_SETTINGCHANGE:  // also WM_WININICHANGE
            model_.RegionalSettingsChanged();
            break;
        case WM_CLOSE:
            // The window closes only when the settings file was written.
            if (model_.CloseRequested()) DestroyWindow(handle_);
            return 0;
        case WM_TIMER:
            if (wparam != kWorkTimerId) break;
            model_.WorkTick();
            return 0;
        case kWorkWokeMessage:
            model_.WorkWoke();
            return 0;
        case WM_DESTROY:
            wake_target_.store(nullptr);
            PostQuitMessage(0);
            return 0;
        default:
            // A new taskbar (the shell restarted) may come with other regional
            // settings, as a settings change does.
            if (message == taskbar_created_ && taskbar_created_ != 0)
                model_.RegionalSettingsChanged();
            break;
    }
    return DefWindowProcW(handle_, message, wparam, lparam);
}

}  // namespace tavrel::win32
