#include "app/window_model.h"

#include <algorithm>

#include "app/handler_errors.h"
#include "app/settings_file.h"
#include "app/window_texts.h"
#include "base/errors.h"
#include "base/utf8.h"
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

}  // namespace

WindowModel::WindowModel(WindowModelServices services, WindowView& view)
    : services_(std::move(services)), view_(view) {}

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
                   ListUpdate update;
                   update.reset = true;
                   return update;
               });
}

bool WindowModel::WindowShown() {
    return Guarded([this] {
        const std::string version = services_.read_version(services_.executable_path);
        view_.ShowTitle(window_text::kTitlePrefix + version);
        view_.ShowButtonCaptions(window_text::kExecuteCaption, window_text::kClearCaption);
        view_.MoveButtons(
            PlaceButtons(view_.PanelSize(), view_.ExecuteButtonSize(), view_.ClearButtonSize()));
    });
}

bool WindowModel::CloseRequested() {
    return Guarded([this] {
        TakeChosenStampType();
        RenameSession& session = services_.session;
        WriteSettingsFile(session.services().settings_path, session.stamp_type(),
                          session.services().file_system);
        // The window closes: nothing is left to undo. A window that stays open
        // (the settings file could not be written) keeps its undo.
        last_pass_.clear();
    });
}

bool WindowModel::ExecuteClicked() {
    return Guarded([this] {
        TakeChosenStampType();
        RenameSession& session = services_.session;
        const ListMarks before = view_.ReadMarks();
        last_pass_.clear();
        const auto renamed = [this](std::size_t entry, const std::string& before_name,
                                    const std::string& after_name) {
            last_pass_.push_back({entry, before_name, after_name});
        };
        // Entries renamed before an error keep their new texts on screen too,
        // and lose their marks as rewritten entries do.
        ChangeList([&] { session.RenamePass(renamed); },
                   [&](bool) { return RewrittenUpdate(before, session.entries_written_back()); });
    });
}

bool WindowModel::ClearClicked() {
    return Guarded([this] { Reset(); });
}

bool WindowModel::DeletePressed() {
    return Guarded([this] {
        const ListMarks before = view_.ReadMarks();
        if (before.marked.empty()) return;
        FileList& entries = services_.session.file_list();
        // The files of the last pass stay to be named back; the entries that
        // showed them are gone or have moved up.
        for (RenamedFile& file : last_pass_) {
            if (!file.entry) continue;
            const auto gone =
                std::lower_bound(before.marked.begin(), before.marked.end(), *file.entry);
            if (gone != before.marked.end() && *gone == *file.entry)
                file.entry.reset();
            else
                *file.entry -= static_cast<std::size_t>(gone - before.marked.begin());
        }
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
    return Guarded([this, &paths] {
        last_pass_.clear();
        RenameSession& session = services_.session;
        const ListMarks before = view_.ReadMarks();
        std::vector<std::size_t> removed;
        ChangeList([&] { removed = session.AddBatch(paths); },
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
    });
}

bool WindowModel::RegionalSettingsChanged() {
    return Guarded([this] {
        if (services_.reload_regional_formats) services_.reload_regional_formats();
    });
}

void WindowModel::StampTypeChosen(int stamp_type) {
    services_.session.SelectStampType(stamp_type);
}

bool WindowModel::UndoRequested() {
    return Guarded([this] {
        if (last_pass_.empty()) return;
        const std::vector<RenamedFile> pass = std::move(last_pass_);
        last_pass_.clear();
        RenameSession& session = services_.session;
        FileSystem& file_system = session.services().file_system;
        FileList& entries = session.file_list();
        const ListMarks before = view_.ReadMarks();
        std::vector<std::string> kept;
        std::size_t rewritten = 0;
        ChangeList(
            [&] {
                // Last renamed first: a name the pass freed for a later
                // file is free again when the earlier one goes back to it.
                for (auto file = pass.rbegin(); file != pass.rend(); ++file) {
                    if (file_system.RenameNoReplace(file->after, file->before) != 0) {
                        kept.push_back(file->after);
                        continue;
                    }
                    if (!file->entry || *file->entry >= entries.size()) continue;
                    entries.Replace(*file->entry, file->before);
                    rewritten = std::max(rewritten, *file->entry + 1);
                }
                file_system.ReleaseHeldDirectory();
            },
            [&](bool) { return RewrittenUpdate(before, rewritten); });
        if (!kept.empty()) {
            std::reverse(kept.begin(), kept.end());
            view_.ShowError(ApplicationTitle(services_.executable_path), UndoKeptText(kept));
        }
    });
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
