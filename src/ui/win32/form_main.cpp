#include "ui/win32/form_main.h"

#include <commctrl.h>

#include <algorithm>
#include <exception>

#include "app/handler_errors.h"
#include "app/settings_file.h"
#include "base/errors.h"
#include "platform/win32/wtf8.h"
#include "ui/win32/dropped_files.h"
#include "ui/win32/raised_panel.h"
#include "ui/win32/version_string.h"

namespace tavrel::win32 {
namespace {

constexpr const wchar_t* kLabelText = L"Stamp Type";
constexpr const wchar_t* kListTooltip = L"Drag and Drop Files or Directories Here!";
constexpr const wchar_t* kStampTypes[] = {L"none", L"YYYYMMDD_", L"YYYYMMDD-hhmmss_"};
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
int TextWidth(const wchar_t* text, HFONT font) {
    HDC screen = GetDC(nullptr);
    const HGDIOBJ old_font = SelectObject(screen, font);
    SIZE extent{};
    GetTextExtentPoint32W(screen, text, lstrlenW(text), &extent);
    SelectObject(screen, old_font);
    ReleaseDC(nullptr, screen);
    return extent.cx;
}

int ScreenDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : design::kDpi;
}

void RegisterWindowClass(HINSTANCE instance, WNDPROC procedure) {
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExW(instance, TFormMain::kWindowClass, &existing)) return;
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.lpfnWndProc = procedure;
    window_class.hInstance = instance;
    window_class.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
    window_class.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    window_class.lpszClassName = TFormMain::kWindowClass;
    RegisterClassExW(&window_class);
}

}  // namespace

TFormMain::TFormMain(WindowServices services) : services_(std::move(services)) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    RegisterWindowClass(instance, WindowProc);
    dpi_ = ScreenDpi();
    CreateFonts();
    // The outer size that gives the designed client area with this frame.
    constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    constexpr DWORD kExStyle = WS_EX_ACCEPTFILES | WS_EX_CONTROLPARENT;
    const Size client = Scaled(design::kClientSize, dpi_);
    RECT outer{0, 0, client.width, client.height};
    AdjustWindowRectEx(&outer, kStyle, FALSE, kExStyle);
    // Created hidden; WS_EX_ACCEPTFILES makes it a drop target from the start.
    CreateWindowExW(kExStyle, kWindowClass, L"FormMain", kStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                    outer.right - outer.left, outer.bottom - outer.top, nullptr, nullptr, instance,
                    this);
    if (handle_ == nullptr) throw Error("window could not be created");
    CreateControls();
    LayOut();
    ShowStampType();
}

TFormMain::~TFormMain() {
    if (handle_ != nullptr) DestroyWindow(handle_);
    if (font_ != nullptr) DeleteObject(font_);
    if (bold_font_ != nullptr) DeleteObject(bold_font_);
}

void TFormMain::CreateFonts() {
    const int height = FontHeight(design::kFontPoints, dpi_);
    const auto make = [height](int weight) {
        return CreateFontW(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                           DEFAULT_PITCH | FF_SWISS, L"Tahoma");
    };
    font_ = make(FW_NORMAL);
    bold_font_ = make(FW_BOLD);
}

void TFormMain::CreateControls() {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    const auto set_font = [](HWND control, HFONT font) {
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    };
    // Children are made in tab order: the list, then the panel; in the panel
    // Execute, Clear, then the selector (the label takes no focus).
    list_ = std::make_unique<FileListBox>(handle_, Scaled(design::kListBox, dpi_), kListBoxId,
                                          font_, Scaled(design::kLineHeight, dpi_),
                                          services_.session.file_list());
    ListBoxFileList = list_->handle();
    SetWindowSubclass(ListBoxFileList, ListKeyProc, 0, reinterpret_cast<DWORD_PTR>(this));

    const Rect panel = Scaled(design::kPanel, dpi_);
    PanelBottom = CreateRaisedPanel(handle_, panel, kPanelId);
    panel_size_ = {panel.width, panel.height};

    Rect label = Scaled(design::kLabel, dpi_);
    // The label grows to its text, as a label that sizes itself does: the
    // font the system gives for "Tahoma" may be wider than the designed one.
    label.width = std::max(label.width, TextWidth(kLabelText, bold_font_));
    Label1 = CreateWindowExW(0, L"STATIC", kLabelText,
                             WS_CHILD | WS_VISIBLE | SS_NOPREFIX | SS_LEFTNOWORDWRAP, label.left,
                             label.top, label.width, label.height, PanelBottom, IdOf(kLabelId),
                             instance, nullptr);
    set_font(Label1, bold_font_);

    const auto make_button = [&](const Rect& design_rect, const wchar_t* caption, int id) {
        const Rect r = Scaled(design_rect, dpi_);
        HWND button = CreateWindowExW(
            0, L"BUTTON", caption, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, r.left,
            r.top, r.width, r.height, PanelBottom, IdOf(id), instance, nullptr);
        set_font(button, font_);
        return button;
    };
    ButtonExecute = make_button(design::kButtonExecute, L"ButtonExecute", kExecuteId);
    ButtonClear = make_button(design::kButtonClear, L"ButtonClear", kClearId);

    const Rect combo = Scaled(design::kComboBox, dpi_);
    // The height given to a drop-down combo box is that of its open list.
    const int open_height = combo.height + Scaled(design::kLineHeight, dpi_) * (kDropDownLines + 2);
    ComboBoxType = CreateWindowExW(
        0, L"COMBOBOX", L"",
        WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL,
        combo.left, combo.top, combo.width, open_height, PanelBottom, IdOf(kComboBoxId), instance,
        nullptr);
    set_font(ComboBoxType, font_);
    for (const wchar_t* type : kStampTypes)
        SendMessageW(ComboBoxType, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(type));
    FitComboBoxHeight(combo.height);
    CreateTooltip();
}

void TFormMain::FitComboBoxHeight(int height) {
    // The closed combo box is its selection field (CB_SETITEMHEIGHT with -1) plus
    // a border. The field grows to the scaled design; it never gets lower than
    // the text needs, so a higher font than the design's keeps it higher.
    const LRESULT field = SendMessageW(ComboBoxType, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0);
    const int closed = SizeOf(ComboBoxType).height;
    if (field > 0 && closed < height)
        SendMessageW(ComboBoxType, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1),
                     field + height - closed);
}

void TFormMain::CreateTooltip() {
    Tooltip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, handle_,
                              nullptr, GetModuleHandleW(nullptr), nullptr);
    if (Tooltip == nullptr) return;
    TTTOOLINFOW tool{};
    // The size every version of the common controls knows.
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = handle_;
    tool.uId = reinterpret_cast<UINT_PTR>(ListBoxFileList);
    tool.lpszText = const_cast<wchar_t*>(kListTooltip);
    SendMessageW(Tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    SendMessageW(Tooltip, TTM_SETDELAYTIME, TTDT_INITIAL, design::kTooltipWakeUpMs);
    SendMessageW(Tooltip, TTM_SETDELAYTIME, TTDT_AUTOPOP, design::kTooltipDurationMs);
}

void TFormMain::LayOut() {
    if (ListBoxFileList == nullptr || PanelBottom == nullptr) return;
    RECT client;
    GetClientRect(handle_, &client);
    const ClientLayout layout =
        LayOutClient({client.right, client.bottom}, Scaled(design::kPanel.height, dpi_));
    MoveWindow(ListBoxFileList, layout.list.left, layout.list.top, layout.list.width,
               layout.list.height, TRUE);
    MoveWindow(PanelBottom, layout.panel.left, layout.panel.top, layout.panel.width,
               layout.panel.height, TRUE);
    // The buttons keep their distance to the panel's right and bottom edges.
    const Size panel{layout.panel.width, layout.panel.height};
    for (HWND button : {ButtonExecute, ButtonClear})
        MoveTo(button, FollowRightBottom(PositionOf(button), panel_size_, panel));
    panel_size_ = panel;
}

template <typename Steps>
bool TFormMain::Guarded(Steps steps) {
    return RunReportingErrors(steps,
                              [this](const std::string& message) { ShowDefaultError(message); });
}

void TFormMain::ShowDefaultError(const std::string& message) {
    // Owned by the active window, as the error arises from what the user did there.
    HWND active = GetActiveWindow();
    services_.errors.ShowError(active != nullptr ? active : handle_,
                               ApplicationTitle(FromWtf8(services_.executable_path)),
                               WindowErrorText(FromWtf8(message)));
}

void TFormMain::ShowStampType() {
    // An index outside the list clears the selection and the text field.
    SendMessageW(ComboBoxType, CB_SETCURSEL, static_cast<WPARAM>(services_.session.stamp_type()),
                 0);
}

void TFormMain::TakeStampType() {
    services_.session.SelectStampType(
        static_cast<int>(SendMessageW(ComboBoxType, CB_GETCURSEL, 0, 0)));
}

int TFormMain::InitForm() {
    // The controls show whatever state the session reached, also after an error.
    struct Refresh {
        TFormMain& form;
        ~Refresh() {
            form.ShowStampType();
            form.list_->TryShow(ListMarks{});
        }
    } refresh{*this};
    return services_.session.InitForm({});
}

bool TFormMain::FormShow() {
    return Guarded([this] {
        const std::string version = GetVersionString(services_.executable_path);
        SetWindowTextW(handle_, (L"Tavrel v" + FromWtf8(version)).c_str());
        SetWindowTextW(ButtonExecute, L"Execute");
        SetWindowTextW(ButtonClear, L"Clear");
        const ButtonPlaces places =
            PlaceButtons(panel_size_, SizeOf(ButtonExecute), SizeOf(ButtonClear));
        MoveTo(ButtonExecute, places.execute);
        MoveTo(ButtonClear, places.clear);
    });
}

bool TFormMain::FormClose() {
    return Guarded([this] {
        TakeStampType();
        const SessionServices& session = services_.session.services();
        WriteSettingsFile(session.settings_path, services_.session.stamp_type(),
                          session.file_system);
    });
}

bool TFormMain::ButtonExecuteClick() {
    return Guarded([this] {
        TakeStampType();
        // Entries renamed before an error keep their new texts on screen too,
        // and lose their marks as rewritten entries do.
        struct Refresh {
            TFormMain& form;
            ListMarks before;
            ~Refresh() {
                form.list_->TryShow(
                    MarksAfterPass(before, form.services_.session.entries_written_back()));
            }
        } refresh{*this, list_->ReadMarks()};
        services_.session.RenamePass();
    });
}

bool TFormMain::ButtonClearClick() {
    return Guarded([this] { InitForm(); });
}

bool TFormMain::ListBoxFileListKeyDown(WPARAM key) {
    return Guarded([this, key] {
        if (key != VK_DELETE) return;
        const ListMarks before = list_->ReadMarks();
        if (before.marked.empty()) return;
        FileList& entries = services_.session.file_list();
        entries.RemoveAt(before.marked);
        list_->Show(MarksAfterRemoval(before, before.marked, entries.size()));
    });
}

bool TFormMain::WMDropFiles(HDROP drop) {
    return Guarded([this, drop] {
        const std::vector<std::string> paths = TakeDroppedPaths(drop);
        const ListMarks before = list_->ReadMarks();
        std::vector<std::size_t> removed;
        try {
            removed = services_.session.AddBatch(paths);
        } catch (...) {
            // Whatever the batch did before it failed is shown; marks that
            // still fit stay where they were.
            list_->TryShow(MarksAfterRemoval(before, {}, services_.session.file_list().size()));
            throw;
        }
        list_->Show(MarksAfterRemoval(before, removed, services_.session.file_list().size()));
    });
}

bool TFormMain::WMWinIniChange() {
    return Guarded([this] {
        SetThreadLocale(LOCALE_USER_DEFAULT);
        if (services_.reload_regional_formats) services_.reload_regional_formats();
    });
}

LRESULT CALLBACK TFormMain::WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NCCREATE) {
        auto* form =
            static_cast<TFormMain*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
        form->handle_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    }
    auto* form = reinterpret_cast<TFormMain*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (form == nullptr) return DefWindowProcW(window, message, wparam, lparam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        form->handle_ = nullptr;
        return DefWindowProcW(window, message, wparam, lparam);
    }
    return form->HandleMessage(message, wparam, lparam);
}

LRESULT CALLBACK TFormMain::ListKeyProc(HWND list, UINT message, WPARAM wparam, LPARAM lparam,
                                        UINT_PTR, DWORD_PTR form) {
    if (message == WM_KEYDOWN || message == WM_SYSKEYDOWN)
        reinterpret_cast<TFormMain*>(form)->ListBoxFileListKeyDown(wparam);
    if (message == WM_NCDESTROY) RemoveWindowSubclass(list, ListKeyProc, 0);
    return DefSubclassProc(list, message, wparam, lparam);
}

LRESULT TFormMain::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_COMMAND: {
            const int id = LOWORD(wparam);
            const int code = HIWORD(wparam);
            if (id == kExecuteId && code == BN_CLICKED) ButtonExecuteClick();
            if (id == kClearId && code == BN_CLICKED) ButtonClearClick();
            if (id == kComboBoxId && code == CBN_SELCHANGE) TakeStampType();
            return 0;
        }
        case WM_MEASUREITEM: {
            auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lparam);
            if (item->CtlID != kListBoxId) break;
            item->itemHeight = static_cast<UINT>(Scaled(design::kLineHeight, dpi_));
            return TRUE;
        }
        case WM_DRAWITEM: {
            const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
            if (item->CtlID != kListBoxId || !list_) break;
            list_->DrawItem(*item);
            return TRUE;
        }
        case WM_DROPFILES:
            WMDropFiles(reinterpret_cast<HDROP>(wparam));
            return 0;
        case WM_GETMINMAXINFO: {
            auto* limits = reinterpret_cast<MINMAXINFO*>(lparam);
            const Size minimum = Scaled(design::kMinimumOuterSize, dpi_);
            limits->ptMinTrackSize = {minimum.width, minimum.height};
            return 0;
        }
        case WM_SIZE:
            LayOut();
            return 0;
        case WM_SHOWWINDOW:
            // Shown by the program (not uncovered or restored by the desktop).
            if (wparam && lparam == 0) FormShow();
            break;
        case WM_ACTIVATE:
            if (LOWORD(wparam) == WA_INACTIVE) {
                HWND focus = GetFocus();
                if (focus != nullptr && IsChild(handle_, focus)) focus_ = focus;
            } else {
                SetFocus(focus_ != nullptr && IsWindow(focus_) ? focus_ : ListBoxFileList);
            }
            return 0;
        case WM_SETFOCUS:
            SetFocus(focus_ != nullptr && IsWindow(focus_) ? focus_ : ListBoxFileList);
            return 0;
        case WM_SETTINGCHANGE:  // also WM_WININICHANGE
            WMWinIniChange();
            break;
        case WM_CLOSE:
            // The window closes only when the settings file was written.
            if (FormClose()) DestroyWindow(handle_);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            break;
    }
    return DefWindowProcW(handle_, message, wparam, lparam);
}

}  // namespace tavrel::win32
