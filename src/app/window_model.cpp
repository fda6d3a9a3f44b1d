#include "app/window_model.h"

#include <algorithm>
#include <unordered_map>

#include "app/handler_errors.h"
#include "app/outcome_texts.h"
#include "app/journal_texts.h"
#include "app/settings_file.h"
#include "app/window_texts.h"
#include "base/errors.h"
#include "base/utf8.h"
#include "collect/batch_merge.h"
#include "pass/stored_run_undo.h"
#include "pass/undo_pass.h"
#include "platform/letter_case.h"
#include "platform/name_rules.h"

namespace tavrel {
namespace {

// The update after the first `rewritten` entries got new texts in place (a pass
// or its undo): they lose their marks, the others keep theirs.
ListUpdate RewrittenUpdate(const ListMarks& before, std::size_t rewritten) {
    ListUpdate update;
    update.rewritten = rewritten;
    update.marks = MarksAfterPass(before, rewritten);
    return update;
}

// The message of an error that ended work, as the error box shows it; empty
// for none.
std::string EndingError(std::exception_ptr error) {
    if (!error) return {};
    std::string message;
    RunReportingErrors([&] { std::rethrow_exception(error); },
                       [&](const std::string& text) { message = WindowErrorText(text); });
    return message;
}

}  // namespace

WindowModel::WindowModel(WindowModelServices services, WindowView& view)
    : services_(std::move(services)), view_(view), title_(window_text::kCreatedTitle) {}

WindowModel::~WindowModel() = default;

template <typename Steps>
bool WindowModel::Guarded(Steps steps) {
    return RunReportingErrors(steps, [this](const std::string& message) { ReportError(message); });
}

void WindowModel::ReportError(const std::string& message) {
    view_.ShowError(ApplicationTitle(services_.executable_path), WindowErrorText(message));
}

template <typename Change, typename After>
void WindowModel::ChangeList(Change change, After update_after) {
    try {
        change();
    } catch (...) {
        // The change's error is the one to report, not one the refresh meets.
        try {
            ShowList(update_after(false));
        } catch (...) {
        }
        throw;
    }
    ShowList(update_after(true));
}

void WindowModel::ShowList(const ListUpdate& update) {
    FileList& entries = services_.session.file_list();
    const std::size_t shown = view_.ShowList(update);
    if (shown >= entries.size()) return;
    std::vector<std::size_t> unshown(entries.size() - shown);
    for (std::size_t i = 0; i < unshown.size(); ++i) unshown[i] = shown + i;
    entries.RemoveAt(std::move(unshown));
    throw Error(window_text::kListFullMessage);
}

void WindowModel::TakeChosenStampType() {
    services_.session.SelectStampType(view_.ChosenStampType());
}

void WindowModel::Reset() {
    last_pass_.clear();
    RenameSession& session = services_.session;
    ChangeList([&] { session.Initialize({}); },
               [&](bool) {
                   view_.ShowStampType(session.stamp_type());
                   ShowDateTaken();
                   ListUpdate update;
                   update.reset = true;
                   return update;
               });
}

bool WindowModel::WindowShown() {
    return Guarded([this] {
        const std::string version = services_.read_version(services_.executable_path);
        ShowTitle(window_text::kTitlePrefix + version);
        view_.ShowButtonCaptions(window_text::kExecuteCaption, window_text::kClearCaption);
        view_.MoveButtons(
            PlaceButtons(view_.PanelSize(), view_.ExecuteButtonSize(), view_.ClearButtonSize()));
    });
}

bool WindowModel::CloseRequested() {
    if (work_) {
        work_->RequestStop();
        WaitForWork();
    }
    return Guarded([this] {
        TakeChosenStampType();
        RenameSession& session = services_.session;
        const SessionServices& services = session.services();
        // A folder that cannot be made is not reported itself: the write below
        // then fails and reports the settings file, with the usual message.
        if (!services.settings_folder.empty())
            services.file_system.CreateFolders(services.settings_folder);
        WriteSettingsFile(services.settings_path, session.stamp_type(), services.file_system,
                          session.date_taken());
        // The window closes: nothing is left to undo. A window that stays open
        // (the settings file could not be written) keeps its undo.
        last_pass_.clear();
    });
}

struct WindowModel::PassResults {
    // The entry renamed and its new path; its old one is still in the list.
    struct Renamed {
        std::size_t entry;
        std::string after;
    };
    std::vector<Renamed> renamed;
    PassEnd end;
    JournalRun journal{"window"};
};

bool WindowModel::ExecuteClicked() {
    if (work_) return true;
    return Guarded([this] {
        TakeChosenStampType();
        last_pass_.clear();
        RenameSession& session = services_.session;
        auto pass = std::make_shared<PassResults>();
        StartWork(
            session.file_list().size(),
            [&session, pass](BackgroundWork& work) {
                PassEvents events;
                events.renamed = [&pass](std::size_t entry, const std::string&,
                                         const std::string& after) {
                    pass->renamed.push_back({entry, after});
                };
                events.progress = [&work](std::size_t finished) { work.Advance(finished); };
                events.stop = &work.stop_flag();
                pass->end = session.StampListedFiles(events, &pass->journal);
            },
            [this, pass](std::exception_ptr escaped) { FinishPass(*pass, escaped); });
    });
}

void WindowModel::FinishPass(PassResults& pass, std::exception_ptr escaped) {
    FileList& entries = services_.session.file_list();
    // The entries up to where the pass stopped lose their marks, as rewritten
    // entries do, and show their new texts.
    std::size_t rewritten = pass.end.finished;
    const ListMarks before = view_.ReadMarks();
    view_.Announce(
        PassOutcomeText({pass.renamed.size(), entries.size(), pass.end.finished, pass.end.stopped,
                         EndingError(escaped ? escaped : pass.end.error)}));
    last_pass_.reserve(pass.renamed.size());
    // A journal given up holds fewer renames than the window's undo knows.
    last_journal_ = pass.journal.failed ? std::string() : pass.journal.name;
    if (pass.journal.failed) {
        const JournalFolder* journals = services_.session.services().journals;
        ReportError(JournalLostText(journals ? journals->Path() : std::string()));
    }
    ChangeList(
        [&] {
            for (auto& file : pass.renamed) {
                std::string before = entries.Exchange(file.entry, file.after);
                rewritten = std::max(rewritten, file.entry + 1);
                last_pass_.push_back({file.entry, std::move(before), std::move(file.after)});
            }
            if (escaped) std::rethrow_exception(escaped);
            if (pass.end.error) std::rethrow_exception(pass.end.error);
        },
        [&](bool) { return RewrittenUpdate(before, rewritten); });
}

bool WindowModel::ClearClicked() {
    if (work_) return true;
    return Guarded([this] { Reset(); });
}

bool WindowModel::DeletePressed() {
    if (work_) return true;
    return Guarded([this] {
        const ListMarks before = view_.ReadMarks();
        if (before.marked.empty()) return;
        FileList& entries = services_.session.file_list();
        // The files of the last pass stay to be named back; the entries that
        // showed them are gone or have moved up.
        for (RenamedFile& file : last_pass_)
            if (file.entry) file.entry = EntryAfterRemoval(*file.entry, before.marked);
        ChangeList([&] { entries.RemoveAt(before.marked); },
                   [&](bool) {
                       ListUpdate update;
                       update.removed = before.marked;
                       update.marks = MarksAfterRemoval(before, before.marked, entries.size());
                       return update;
                   });
    });
}

bool WindowModel::FilesDropped(const std::vector<std::string>& paths) {
    if (work_) return true;
    return Guarded([this, &paths] {
        last_pass_.clear();
        RenameSession& session = services_.session;
        auto batch = std::make_shared<PendingList>();
        auto stopped = std::make_shared<bool>(false);
        StartWork(
            0,
            [&session, paths, batch, stopped](BackgroundWork& work) {
                WalkEvents events;
                events.stop = &work.stop_flag();
                events.progress = [&work](std::size_t listed) { work.Advance(listed); };
                *batch = session.CollectBatch(paths, events);
                // A stopped walk adds nothing.
                *stopped = work.StopRequested();
                if (*stopped) batch->clear();
            },
            [this, batch, stopped](std::exception_ptr escaped) {
                FinishDrop(*batch, *stopped, escaped);
            });
    });
}

void WindowModel::FinishDrop(PendingList& batch, bool stopped, std::exception_ptr escaped) {
    if (escaped) std::rethrow_exception(escaped);
    RenameSession& session = services_.session;
    const std::size_t listed = session.file_list().size();
    if (stopped) view_.Announce(kAddingStoppedText);
    if (batch.empty()) {
        if (!stopped) view_.Announce(AddedOutcomeText(0, listed));
        return;
    }
    const ListMarks before = view_.ReadMarks();
    std::vector<std::size_t> removed;
    ChangeList([&] { removed = MergeSortedBatch(session.file_list(), batch); },
               [&](bool done) {
                   // A batch that failed part-way is shown whole, with the
                   // marks that still fit where they were.
                   ListUpdate update;
                   update.reset = !done;
                   if (done) update.removed = removed;
                   update.marks =
                       MarksAfterRemoval(before, update.removed, session.file_list().size());
                   return update;
               });
    const std::size_t now = session.file_list().size();
    view_.Announce(AddedOutcomeText(now - std::min(now, listed), now));
}

bool WindowModel::FilesPasted(const std::vector<std::string>& paths) {
    if (work_) return true;
    if (paths.empty()) {
        view_.Announce(kNothingToPasteText);
        return true;
    }
    return FilesDropped(paths);
}

bool WindowModel::RegionalSettingsChanged() {
    // The work reads the formats: they change only once it has ended.
    if (work_) {
        formats_changed_meanwhile_ = true;
        return true;
    }
    return Guarded([this] {
        if (services_.reload_regional_formats) services_.reload_regional_formats();
    });
}

void WindowModel::StampTypeChosen(int stamp_type) {
    // The work may read the stamp type: the selector shows the one in use.
    if (work_) {
        view_.ShowStampType(services_.session.stamp_type());
        return;
    }
    services_.session.SelectStampType(stamp_type);
}

void WindowModel::DateTakenChosen(bool on) {
    // The work reads the time source: the item shows the one in use.
    if (!work_) services_.session.SelectDateTaken(on);
    ShowDateTaken();
}

void WindowModel::ShowDateTaken() {
    view_.ShowDateTaken(services_.session.date_taken());
    view_.ShowTitle(TitleWithSource(title_));
}

std::string WindowModel::TitleWithSource(const std::string& title) const {
    return services_.session.date_taken() ? title + kDateTakenTitleEnd : title;
}

struct WindowModel::UndoResults {
    std::vector<RenamedFile> pass;
    UndoEnd end;
};

bool WindowModel::UndoRequested() {
    if (work_) return true;
    return Guarded([this] {
        if (last_pass_.empty()) {
            OfferStoredRun();
            return;
        }
        auto undo = std::make_shared<UndoResults>();
        undo->pass = std::move(last_pass_);
        last_pass_.clear();
        FileSystem& file_system = services_.session.services().file_system;
        StartWork(
            undo->pass.size(),
            [&file_system, undo](BackgroundWork& work) {
                const auto& pass = undo->pass;
                const UndoPaths renames{
                    pass.size(),
                    [&pass](std::size_t i) -> const std::string& { return pass[i].before; },
                    [&pass](std::size_t i) -> const std::string& { return pass[i].after; }};
                PassEvents events;
                events.progress = [&work](std::size_t tried) { work.Advance(tried); };
                events.stop = &work.stop_flag();
                undo->end = RunUndoPass(renames, file_system, events);
            },
            [this, undo](std::exception_ptr escaped) { FinishUndo(*undo, escaped); });
    });
}

void WindowModel::FinishUndo(UndoResults& undo, std::exception_ptr escaped) {
    FileList& entries = services_.session.file_list();
    const ListMarks before = view_.ReadMarks();
    const std::size_t count = undo.pass.size();
    const std::size_t tried = undo.end.tried;
    std::vector<std::string> kept;
    std::size_t rewritten = 0;
    ChangeList(
        [&] {
            for (std::size_t i = count; i-- > count - tried;) {
                const RenamedFile& file = undo.pass[i];
                if (!undo.end.named_back[i]) {
                    kept.push_back(file.after);
                    continue;
                }
                if (!file.entry || *file.entry >= entries.size()) continue;
                entries.Replace(*file.entry, file.before);
                rewritten = std::max(rewritten, *file.entry + 1);
            }
            // Files an undo stopped part-way did not reach can still be named back.
            undo.pass.resize(count - tried);
            last_pass_ = std::move(undo.pass);
            JournalFolder* journals = services_.session.services().journals;
            if (journals && !last_journal_.empty())
                MarkUndone(*journals, last_journal_, last_pass_.size());
            if (escaped) std::rethrow_exception(escaped);
        },
        [&](bool) { return RewrittenUpdate(before, rewritten); });
    std::size_t named_back = 0;
    for (std::size_t i = count - tried; i < count; ++i) named_back += undo.end.named_back[i];
    view_.Announce(UndoOutcomeText({named_back, count, tried, undo.end.stopped, {}}, kept.size()));
    std::reverse(kept.begin(), kept.end());
    ShowKept(std::move(kept));
}

void WindowModel::ShowKept(std::vector<std::string> kept) {
    if (!kept.empty())
        view_.ShowError(ApplicationTitle(services_.executable_path), UndoKeptText(kept));
}

struct WindowModel::StoredUndoResults {
    StoredRun run;
    StoredRunUndoEnd end;
};

void WindowModel::OfferStoredRun() {
    JournalFolder* journals = services_.session.services().journals;
    if (!journals) return;
    auto run = NewestRunToUndo(*journals);
    if (!run || !view_.AskYesNo(ApplicationTitle(services_.executable_path), UndoOfferText(*run)))
        return;
    auto undo = std::make_shared<StoredUndoResults>();
    undo->run = std::move(*run);
    FileSystem& file_system = services_.session.services().file_system;
    StartWork(
        undo->run.contents.left_to_undo,
        [journals, &file_system, undo](BackgroundWork& work) {
            PassEvents events;
            events.progress = [&work](std::size_t tried) { work.Advance(tried); };
            events.stop = &work.stop_flag();
            undo->end = UndoStoredRun(*journals, undo->run, file_system, events);
        },
        [this, undo](std::exception_ptr escaped) { FinishStoredUndo(*undo, escaped); });
}

void WindowModel::FinishStoredUndo(StoredUndoResults& undo, std::exception_ptr escaped) {
    FileList& entries = services_.session.file_list();
    const ListMarks before = view_.ReadMarks();
    const auto& renames = undo.run.contents.renames;
    const std::size_t count = undo.run.contents.left_to_undo;
    std::unordered_map<std::string_view, std::string_view> old_names;
    for (std::size_t i = count - undo.end.pass.tried; i < count; ++i)
        if (undo.end.pass.named_back[i]) old_names.emplace(renames[i].after, renames[i].before);
    std::size_t rewritten = 0;
    ChangeList(
        [&] {
            // Entries that show a file named back show its old name again.
            for (std::size_t entry = 0; entry < entries.size() && !old_names.empty(); ++entry) {
                const auto found = old_names.find(entries[entry]);
                if (found == old_names.end()) continue;
                entries.Replace(entry, std::string(found->second));
                rewritten = entry + 1;
            }
            if (escaped) std::rethrow_exception(escaped);
        },
        [&](bool) { return RewrittenUpdate(before, rewritten); });
    std::vector<std::string> kept;
    for (const KeptRename& file : undo.end.kept) kept.push_back(file.rename.after);
    const std::size_t named_back = static_cast<std::size_t>(
        std::count(undo.end.pass.named_back.begin(), undo.end.pass.named_back.end(), true));
    view_.Announce(UndoOutcomeText(
        {named_back, count, undo.end.pass.tried, undo.end.pass.stopped, {}}, kept.size()));
    std::reverse(kept.begin(), kept.end());
    ShowKept(std::move(kept));
}

void WindowModel::StartWork(std::size_t total, std::function<void(BackgroundWork&)> work,
                            std::function<void(std::exception_ptr)> finish) {
    work_total_ = total;
    work_ticks_ = 0;
    progress_shown_ = false;
    finish_work_ = std::move(finish);
    work_ = std::make_unique<BackgroundWork>(std::move(work), [this] { view_.WakeFromWorker(); });
    view_.TickWhileWorking(true);
}

void WindowModel::CancelRequested() {
    if (work_) work_->RequestStop();
}

void WindowModel::WorkTick() {
    if (!work_) return;
    if (work_->HasEnded()) {
        WaitForWork();
        return;
    }
    // About half a second: shorter work changes nothing on screen.
    constexpr int kTicksBeforeProgress = 500 / kWorkTickMilliseconds;
    if (++work_ticks_ < kTicksBeforeProgress) return;
    const WorkProgress progress{work_->done(), work_total_};
    progress_shown_ = true;
    view_.ShowTitle(ProgressTitle(TitleWithSource(title_), progress));
    view_.ShowProgress(progress);
}

void WindowModel::WorkWoke() {
    if (work_ && work_->HasEnded()) WaitForWork();
}

bool WindowModel::WaitForWork() {
    if (!work_) return true;
    const std::exception_ptr escaped = work_->Wait();
    work_.reset();
    const auto finish = std::move(finish_work_);
    finish_work_ = nullptr;
    view_.TickWhileWorking(false);
    if (progress_shown_) {
        progress_shown_ = false;
        view_.ShowTitle(TitleWithSource(title_));
        view_.ShowProgress(std::nullopt);
    }
    const bool finished = Guarded([&] { finish(escaped); });
    if (formats_changed_meanwhile_) {
        formats_changed_meanwhile_ = false;
        RegionalSettingsChanged();
    }
    return finished;
}

void WindowModel::ShowTitle(const std::string& title) {
    title_ = title;
    view_.ShowTitle(TitleWithSource(title));
}

std::string ProgressTitle(const std::string& title, const WorkProgress& progress) {
    const auto grouped = [](std::size_t number) {
        std::string digits = std::to_string(number);
        for (std::size_t at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, ",");
        return digits;
    };
    std::string text = title + " \u2014 " + grouped(progress.done);
    if (progress.total > 0) text += " / " + grouped(progress.total);
    return text;
}

std::string UndoKeptText(const std::vector<std::string>& kept) {
    constexpr std::size_t kPathsShown = 5;
    std::string text = std::to_string(kept.size()) +
                       (kept.size() == 1 ? " file keeps its new name: its old name is taken, or "
                                           "it is gone:"
                                         : " files keep their new names: their old names are "
                                           "taken, or they are gone:");
    for (std::size_t i = 0; i < kept.size() && i < kPathsShown; ++i) text += "\n" + kept[i];
    if (kept.size() > kPathsShown) text += "\n...";
    return text;
}

std::string WindowErrorText(const std::string& message) {
    // Every byte of a character beyond ASCII lies above ".", so the last byte
    // decides for a text in UTF-8 as its last character would.
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') return message + ".";
    return message;
}

std::string ApplicationTitle(const std::string& executable_path) {
    const std::size_t separator = executable_path.find_last_of(kPathSeparators);
    const std::string name =
        executable_path.substr(separator == std::string::npos ? 0 : separator + 1);
    const std::string stem = name.substr(0, name.find('.'));
    if (stem.empty()) return stem;
    // The first character stays as it is (a byte that begins no character
    // counts as one).
    const std::size_t first = std::max<std::size_t>(1, DecodeUtf8At(stem, 0).length);
    return stem.substr(0, first) + LowerCase(std::string_view(stem).substr(first));
}

}  // namespace tavrel
