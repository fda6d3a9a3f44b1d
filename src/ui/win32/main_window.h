#pragma once
// The main window as a native Win32 window: the file list, the stamp-type
// selector, Execute and Clear. It is a view of the window model: its messages
// go to the model, and it draws what the model tells it.

#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "app/rename_session.h"
#include "app/window_model.h"
#include "ui/win32/accessible_texts.h"
#include "ui/win32/error_box.h"
#include "ui/win32/file_list_box.h"
#include "ui/win32/taskbar_progress.h"

namespace tavrel::win32 {

// What the window works with, passed in so tests can give their own.
struct MainWindowServices {
    RenameSession& session;
    // The program file (UTF-8): the source of the version text and the
    // application title.
    std::string executable_path;
    ErrorBox& errors;
    // Loads the regional formats of the user's locale again; called when the
    // desktop broadcasts a settings change or the taskbar is created again.
    std::function<void()> reload_regional_formats;
};

class MainWindow final : private WindowView {
public:
    // Control ids, for WM_COMMAND and WM_DRAWITEM.
    enum ControlId : int {
        kListBoxId = 100,
        kPanelId,
        kLabelId,
        kComboBoxId,
        kExecuteId,
        kClearId,
        // The command of the undo key (Ctrl+Z).
        kUndoId,
        // The commands of the keys that paste files (Ctrl+V, Shift+Insert),
        // open the file dialog for files (Ctrl+O) or a folder (Ctrl+Shift+O),
        // and close the window (Ctrl+W, Ctrl+Q).
        kPasteId,
        kOpenFilesId,
        kOpenFolderId,
        kCloseId,
    };
    // The date-taken item's command, in the list's context menu and in the
    // system menu (whose commands keep their low four bits clear).
    static constexpr UINT kDateTakenCommand = 0x1000;
    // The timer that ticks while work runs, and the message that wakes the
    // window when the work has ended.
    static constexpr UINT_PTR kWorkTimerId = 1;
    static constexpr UINT kWorkWokeMessage = WM_APP + 1;
    // The window class's name, which other programs see.
    static constexpr const wchar_t* kWindowClass = L"TFormMain";

    // Builds the window hidden, with its controls at their places in the base
    // layout (window_layout.h), scaled to the screen's pixel density.
    explicit MainWindow(MainWindowServices services);
    ~MainWindow() override;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    WindowModel& model() { return model_; }

    // Turns the window's keyboard shortcuts (see ControlId) into their
    // commands; true when the message was one. The message loop calls it for
    // every message before dispatching it. In the selector's text field Ctrl+Z
    // and the paste keys stay the field's own.
    bool TranslateShortcut(MSG& message);

    // The native window; null once it has been destroyed (closed).
    HWND handle() const { return handle_; }
    // The pixel density the window is laid out for: the screen's at start-up,
    // then that of each WM_DPICHANGED.
    int dpi() const { return dpi_; }

    // The controls; public for tests.
    HWND file_list = nullptr;
    HWND bottom_panel = nullptr;
    HWND stamp_type_label = nullptr;
    HWND stamp_type_selector = nullptr;
    HWND execute_button = nullptr;
    HWND clear_button = nullptr;
    HWND tooltip = nullptr;
    // The file list's context menu, holding the date-taken item.
    HMENU list_menu = nullptr;

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    // Sees every key pressed down on the list (with Alt too, which comes as a
    // system key) before the list box handles it as usual.
    static LRESULT CALLBACK ListKeyProc(HWND list, UINT message, WPARAM wparam, LPARAM lparam,
                                        UINT_PTR id, DWORD_PTR form);
    LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);

    // What the model asks of the window.
    void ShowTitle(const std::string& title) override;
    void ShowButtonCaptions(const std::string& execute, const std::string& clear) override;
    Size PanelSize() const override;
    Size ExecuteButtonSize() const override;
    Size ClearButtonSize() const override;
    void MoveButtons(const ButtonPlaces& places) override;
    ListMarks ReadMarks() const override;
    std::size_t ShowList(const ListUpdate& update) override;
    void ShowStampType(int stamp_type) override;
    int ChosenStampType() const override;
    void ShowDateTaken(bool on) override;
    // WM_CONTEXTMENU from the list: the right button at `at` (screen
    // coordinates), or the Menu key or Shift+F10 (at -1, -1).
    void OpenListMenu(POINT at);
    void ShowError(const std::string& title, const std::string& text) override;
    bool AskYesNo(const std::string& title, const std::string& text) override;
    void TickWhileWorking(bool working) override;
    void WakeFromWorker() override;
    void ShowProgress(const std::optional<WorkProgress>& progress) override;
    void Announce(const std::string& text) override;

    // The commands of the keys that add files and close, and of Return (IDOK).
    void RunShortcut(int id);
    void CreateShortcuts();
    void CreateFonts();
    void CreateControls();
    // The label's place: its base rectangle, at least as wide as its text.
    Rect LabelRect() const;
    // The height given to the drop-down selector: that of its open list.
    int SelectorOpenHeight() const;
    // WM_DPICHANGED: new fonts, every control laid out again from the base
    // layout at the new density, and the window in the rectangle the system suggests.
    void ChangeDpi(int dpi, const RECT& suggested);
    void CreateTooltip();
    // Makes the closed combo box as high as its base height (scaled), or as high as
    // its font needs where that is more.
    void FitComboBoxHeight(int height);
    void LayOut();

    MainWindowServices services_;
    WindowModel model_;
    HWND handle_ = nullptr;
    int dpi_ = base_layout::kDpi;
    HFONT font_ = nullptr;
    HFONT bold_font_ = nullptr;
    std::unique_ptr<FileListBox> list_;
    Size panel_size_;
    // True once the show handling has placed the buttons (MoveButtons); before
    // that they stand at their places in the base layout.
    bool buttons_placed_ = false;
    // The control that had the focus when the window was last deactivated.
    HWND focus_ = nullptr;
    // The message the shell broadcasts when the taskbar is created again.
    UINT taskbar_created_ = 0;
    HACCEL shortcuts_ = nullptr;
    // The shortcuts that stay the window's in the selector's text field.
    HACCEL field_shortcuts_ = nullptr;
    AccessibleTexts accessible_;
    // The control whose accessible description carries the last outcome.
    HWND announcer_ = nullptr;
    // Where the work's thread posts its wake; null once the window is gone.
    std::atomic<HWND> wake_target_ = nullptr;
    TaskbarProgress taskbar_;
};

}  // namespace tavrel::win32
