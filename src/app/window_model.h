#pragma once
// The main window's behaviour, once for every window toolkit: what each event
// does to the session, what the window then shows, and how an error is
// reported. A window is a view: it turns its toolkit's events into calls on
// the model and draws what the model tells it through WindowView.
//
// Every handler runs its steps until one raises an error; the error is shown
// in the window's error box (titled with the application title) and the rest
// of the handler is skipped. The window goes on.
//
// Long work - a drop's walk and sort, the rename pass, an undo - runs on a
// thread of its own while the window goes on answering. The file list is only
// read meanwhile; what the work found is put into it on the window's thread
// when the work has ended. While work runs, the handlers that would change the
// list or the stamp type do nothing; Esc stops the work after the file in
// hand. Work that lasts longer than about half a second shows its progress.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/background_work.h"
#include "app/list_marks.h"
#include "app/rename_session.h"
#include "app/window_layout.h"

namespace tavrel {

// How the file list changed, for a view that draws it.
struct ListUpdate {
    // The whole list was replaced (emptied, or refilled at start-up).
    bool reset = false;
    // The entries taken out, at their positions before the change, ascending.
    // Entries the list holds beyond those that stayed were appended at its end.
    std::vector<std::size_t> removed;
    // The first entries whose texts were rewritten in place (by a rename pass).
    std::size_t rewritten = 0;
    // The marks, the current entry and the first visible entry afterwards.
    ListMarks marks;
};

// How far long work has got: files finished of how many (0: not known yet).
struct WorkProgress {
    std::size_t done = 0;
    std::size_t total = 0;
    friend bool operator==(const WorkProgress&, const WorkProgress&) = default;
};

// While work runs, the window calls WindowModel::WorkTick() this often.
inline constexpr int kWorkTickMilliseconds = 100;

// What the model asks of a window. Sizes are in the window's own pixels.
class WindowView {
public:
    virtual ~WindowView() = default;

    virtual void ShowTitle(const std::string& title) = 0;
    virtual void ShowButtonCaptions(const std::string& execute, const std::string& clear) = 0;
    virtual Size PanelSize() const = 0;
    virtual Size ExecuteButtonSize() const = 0;
    virtual Size ClearButtonSize() const = 0;
    virtual void MoveButtons(const ButtonPlaces& places) = 0;

    // The list's marks, current entry and first visible entry as they are now.
    virtual ListMarks ReadMarks() const = 0;
    // Draws the session's file list after the change and returns how many of
    // its entries, from the first on, the list control holds: all of them, or
    // those before the first entry that it had no room for.
    virtual std::size_t ShowList(const ListUpdate& update) = 0;

    // The stamp type shown in the selector, and the one the user has chosen
    // there (-1 for none).
    virtual void ShowStampType(int stamp_type) = 0;
    virtual int ChosenStampType() const = 0;
    // Whether the date-taken item shows its check mark.
    virtual void ShowDateTaken(bool /*on*/) {}

    // Shows the window's error box and returns when the user has dismissed it.
    virtual void ShowError(const std::string& title, const std::string& text) = 0;
    // Asks a question with Yes and No buttons; true for Yes. A view that
    // cannot ask answers No.
    virtual bool AskYesNo(const std::string& /*title*/, const std::string& /*text*/) {
        return false;
    }

    // Work started (true) or ended (false): while it runs the window calls
    // WindowModel::WorkTick() every kWorkTickMilliseconds.
    virtual void TickWhileWorking(bool working) = 0;
    // Called on the work's own thread when the work has ended: the window
    // calls WindowModel::WorkWoke() on its own thread soon after. Once the
    // window is gone, the call is dropped.
    virtual void WakeFromWorker() = 0;
    // Long work's progress where the desktop shows one (the taskbar button),
    // with the controls that would start other work disabled; nothing once
    // the work has ended.
    virtual void ShowProgress(const std::optional<WorkProgress>& progress) = 0;
    // Hands the outcome of what the user did (files renamed, added, named
    // back; where work stopped, why) to assistive technology, which speaks it;
    // the window's look does not change.
    virtual void Announce(const std::string& text) { (void)text; }
};

// What the model works with besides its view, passed in so tests can give
// their own.
struct WindowModelServices {
    RenameSession& session;
    // The program file: the source of the version text and the application title.
    std::string executable_path;
    // The program file's version text; raises an error when it cannot be read.
    std::function<std::string(const std::string& executable_path)> read_version;
    // Reads the user's regional formats again (the desktop's settings changed).
    std::function<void()> reload_regional_formats = {};
};

class WindowModel {
public:
    WindowModel(WindowModelServices services, WindowView& view);
    // Stops work that runs and waits for it, without finishing it.
    ~WindowModel();

    // Puts the window in its starting state: the session initialised without
    // arguments (stamp type from the settings file, empty list), and shown.
    // Errors pass on to the caller; the view shows whatever state the session
    // reached.
    void Reset();

    // The handlers, one for each event of the window. Each returns whether it
    // ran to its end; an error it met has been shown. A handler that starts
    // long work (Execute, a drop, undo) returns once it has started it; the
    // rest runs when the work has ended (see WaitForWork). While work runs,
    // Execute, Clear, Delete, drops, undo and a stamp type chosen are refused
    // without a word.
    //
    // The window was shown by the program (not restored by the desktop): the
    // title with the version, the captions, the buttons placed from the right.
    bool WindowShown();
    // The user asks to close the window: work that runs is stopped after the
    // file in hand and finished, then the chosen stamp type is written to the
    // settings file. The window closes only when this returns true.
    bool CloseRequested();
    // Execute: the rename pass over the whole list with the chosen stamp type.
    bool ExecuteClicked();
    // Clear: the starting state again.
    bool ClearClicked();
    // The delete key on the list: the marked entries leave it.
    bool DeletePressed();
    // Files and directories dropped on the window: one batch.
    bool FilesDropped(const std::vector<std::string>& paths);
    // Files or paths pasted (Ctrl+V) or chosen in the file dialog (Ctrl+O):
    // added as a drop of them; a paste that names none is announced.
    bool FilesPasted(const std::vector<std::string>& paths);
    // The desktop's regional settings changed; while work runs, they are read
    // again once it has ended.
    bool RegionalSettingsChanged();
    // The user picked a stamp type in the selector (-1 for none).
    void StampTypeChosen(int stamp_type);
    // The user chose the date-taken item: the date taken on or off, shown in
    // the item and at the title's end. While work runs it stays as it is.
    void DateTakenChosen(bool on);
    // Undo (Ctrl+Z): names every file of the last pass back to the name it
    // had before, last renamed first, never replacing a file. A file whose old
    // name has been taken since, or that is gone, keeps its name; such files
    // are reported once at the end. Offered for the last pass only, until the
    // next drop, pass, Clear or close. An undo stopped part-way leaves the
    // files not yet named back to be undone. With no pass of the window's own
    // to undo, the newest rename run of the journal folder left to undo (of
    // any window or command line) is offered with a question and, on Yes,
    // undone the same way; list entries that show its files show their old
    // names again. Either undo is recorded in the run's journal, so that no
    // later undo renames a file of the run twice.
    bool UndoRequested();
    // Whether there is a pass to undo.
    bool CanUndo() const { return !last_pass_.empty(); }

    // Shows an error in the window's error box, as a handler's error is shown;
    // for a step the window takes before it calls a handler.
    void ReportError(const std::string& message);

    // Long work. Whether work runs now.
    bool Working() const { return work_ != nullptr; }
    // Esc: the work stops after the file in hand.
    void CancelRequested();
    // The window's timer while work runs: progress shown once the work has
    // run for about half a second.
    void WorkTick();
    // The work's thread woke the window: work that has ended is finished.
    void WorkWoke();
    // Waits until the work has ended and finishes it. Returns whether it ran
    // to its end (true when there was none); an error it met has been shown.
    bool WaitForWork();
    // Stops the work and waits for it without finishing it: for a window that
    // is being destroyed.
    void AbandonWork() { work_.reset(); }

    RenameSession& session() { return services_.session; }

private:
    // The results of a rename pass or an undo, filled by the work's thread.
    struct PassResults;
    struct UndoResults;
    struct StoredUndoResults;

    // Starts work on its own thread; `finish` runs on the window's thread
    // once it has ended, given the error that escaped the work (if any), as
    // the rest of a handler.
    void StartWork(std::size_t total, std::function<void(BackgroundWork&)> work,
                   std::function<void(std::exception_ptr escaped)> finish);
    // The rest of each handler that starts work, once the work has ended.
    void FinishDrop(PendingList& batch, bool stopped, std::exception_ptr escaped);
    void FinishPass(PassResults& pass, std::exception_ptr escaped);
    void FinishUndo(UndoResults& undo, std::exception_ptr escaped);
    void OfferStoredRun();
    void FinishStoredUndo(StoredUndoResults& undo, std::exception_ptr escaped);
    void ShowKept(std::vector<std::string> kept);
    void ShowTitle(const std::string& title);
    // The title with the date-taken ending while the date taken is on.
    std::string TitleWithSource(const std::string& title) const;
    // Shows the session's date taken in the item and the title.
    void ShowDateTaken();

    template <typename Steps>
    bool Guarded(Steps steps);
    // Runs a change of the file list, then shows the list as the change left
    // it. When the change fails, the list is shown as far as it got, with the
    // marks that still fit, and the change's error passes on.
    template <typename Change, typename After>
    void ChangeList(Change change, After update_after);
    void TakeChosenStampType();
    // Shows the list after a change. Entries that the list control has no
    // room for leave the file list too, so a pass never renames a file that
    // is not shown; then the list-full error is raised.
    void ShowList(const ListUpdate& update);

    // A file the last pass renamed, and the entry that shows it (none once
    // the entry was deleted).
    struct RenamedFile {
        std::optional<std::size_t> entry;
        std::string before;
        std::string after;
    };

    WindowModelServices services_;
    WindowView& view_;
    // The last pass's renames, in their order; empty when there is nothing to undo.
    std::vector<RenamedFile> last_pass_;
    // The journal file of the last pass; empty when it has none.
    std::string last_journal_;

    // The work that runs, and how it ends on the window's thread.
    std::unique_ptr<BackgroundWork> work_;
    std::function<void(std::exception_ptr)> finish_work_;
    std::size_t work_total_ = 0;
    int work_ticks_ = 0;
    bool progress_shown_ = false;
    // The regional settings changed while work ran: read once it has ended.
    bool formats_changed_meanwhile_ = false;
    // The title the window shows when no progress is shown.
    std::string title_;
};

// The end of the title while the date taken is on.
inline constexpr const char* kDateTakenTitleEnd = " - date taken";

// The title while work shows its progress: "<title> — 12,345 / 200,000", or
// "<title> — 12,345" while the number of files is not known yet.
std::string ProgressTitle(const std::string& title, const WorkProgress& progress);

// The text that reports the files an undo could not name back: how many, and
// the first few of their paths.
std::string UndoKeptText(const std::vector<std::string>& kept);

// The text of the window's error box: the message, with "." appended when its
// last character has a code above that of "." (46).
std::string WindowErrorText(const std::string& message);

// The application title: the program file's name (after its last path
// separator) up to its first ".", every character after the first in lower case.
std::string ApplicationTitle(const std::string& executable_path);

}  // namespace tavrel
