#pragma once
// The main window as a native Win32 window: the file list, the stamp-type
// selector, Execute and Clear. The window is thin: each handler calls the rename
// session and refreshes the controls; an error in a handler is shown in a
// message box and the window goes on (the window's default error handling).

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "app/rename_session.h"
#include "ui/win32/error_box.h"
#include "ui/win32/file_list_box.h"
#include "ui/win32/form_layout.h"

namespace tavrel::win32 {

// What the window works with, passed in so tests can give their own.
struct WindowServices {
    RenameSession& session;
    // The program file (UTF-8): the source of the version text and the
    // application title.
    std::string executable_path;
    ErrorBox& errors;
    // Loads the regional formats of the user's locale again; called when the
    // desktop broadcasts a settings change, after the thread's locale was set
    // back to the user's.
    std::function<void()> reload_regional_formats;
};

class TFormMain {
public:
    // Control ids, for WM_COMMAND and WM_DRAWITEM.
    enum ControlId : int {
        kListBoxId = 100,
        kPanelId,
        kLabelId,
        kComboBoxId,
        kExecuteId,
        kClearId,
    };
    static constexpr const wchar_t* kWindowClass = L"TFormMain";

    // Builds the window hidden, with its controls as designed, scaled to the
    // screen's pixel density.
    explicit TFormMain(WindowServices services);
    ~TFormMain();
    TFormMain(const TFormMain&) = delete;
    TFormMain& operator=(const TFormMain&) = delete;

    // The native window; null once it has been destroyed (closed).
    HWND handle() const { return handle_; }
    // The pixel density the window was laid out for.
    int dpi() const { return dpi_; }

    // Resets the controls from the session's InitForm (stamp type from the
    // settings file, empty list). Returns InitForm's result: -1 for window mode.
    // Errors pass on to the caller.
    int InitForm();

    // The handlers. Each one reports an error through the default error handling
    // and returns whether it ran to its end.
    bool FormShow();
    bool FormClose();
    bool ButtonExecuteClick();
    bool ButtonClearClick();
    bool ListBoxFileListKeyDown(WPARAM key);
    bool WMDropFiles(HDROP drop);
    bool WMWinIniChange();

    // The controls, named as designed; public for tests.
    HWND ListBoxFileList = nullptr;
    HWND PanelBottom = nullptr;
    HWND Label1 = nullptr;
    HWND ComboBoxType = nullptr;
    HWND ButtonExecute = nullptr;
    HWND ButtonClear = nullptr;
    HWND Tooltip = nullptr;

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    // Sees every key pressed down on the list (with Alt too, which comes as a
    // system key) before the list box handles it as usual.
    static LRESULT CALLBACK ListKeyProc(HWND list, UINT message, WPARAM wparam, LPARAM lparam,
                                        UINT_PTR id, DWORD_PTR form);
    LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);

    void CreateFonts();
    void CreateControls();
    void CreateTooltip();
    // Makes the closed combo box as high as designed (scaled), or as high as
    // its font needs where that is more.
    void FitComboBoxHeight(int height);
    void LayOut();
    // Runs one handler's steps; an error skips the rest and is shown in a box.
    template <typename Steps>
    bool Guarded(Steps steps);
    void ShowDefaultError(const std::string& message);
    // The session's stamp type shown in the selector, and the selector's read
    // back into the session (the index the combo box reports is the type).
    void ShowStampType();
    void TakeStampType();

    WindowServices services_;
    HWND handle_ = nullptr;
    int dpi_ = design::kDpi;
    HFONT font_ = nullptr;
    HFONT bold_font_ = nullptr;
    std::unique_ptr<FileListBox> list_;
    Size panel_size_;
    // The control that had the focus when the window was last deactivated.
    HWND focus_ = nullptr;
};

}  // namespace tavrel::win32
