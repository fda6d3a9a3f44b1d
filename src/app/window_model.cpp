#include "app/window_model.h"

#include "app/errors.h"
#include "app/handler_errors.h"
#include "app/settings_file.h"
#include "app/window_texts.h"
#include "platform/letter_case.h"
#include "platform/name_rules.h"

namespace tavrel {
namespace {

// The length of the UTF-8 sequence that a lead byte starts (1 for a byte that
// starts none, so every byte is taken).
std::size_t SequenceLength(unsigned char lead) {
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    if (lead >= 0xE0) return lead <= 0xEF ? 3 : 1;
    if (lead >= 0xC2) return 2;
    return 1;
}

}  // namespace

WindowModel::WindowModel(WindowModelServices services, WindowView& view)
    : services_(std::move(services)), view_(view) {}

template <typename Steps>
bool WindowModel::Guarded(Steps steps) {
    return RunReportingErrors(steps, [this](const std::string& message) {
        view_.ShowError(ApplicationTitle(services_.executable_path), WindowErrorText(message));
    });
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
    });
}

bool WindowModel::ExecuteClicked() {
    return Guarded([this] {
        TakeChosenStampType();
        RenameSession& session = services_.session;
        const ListMarks before = view_.ReadMarks();
        // Entries renamed before an error keep their new texts on screen too,
        // and lose their marks as rewritten entries do.
        ChangeList([&] { session.RenamePass(); },
                   [&](bool) {
                       ListUpdate update;
                       update.rewritten = session.entries_written_back();
                       update.marks = MarksAfterPass(before, update.rewritten);
                       return update;
                   });
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
    // The first character stays as it is.
    const std::size_t first =
        std::min(stem.size(), SequenceLength(static_cast<unsigned char>(stem[0])));
    return stem.substr(0, first) + LowerCase(std::string_view(stem).substr(first));
}

}  // namespace tavrel
