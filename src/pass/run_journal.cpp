#include "pass/run_journal.h"

#include "pass/journal_shelf.h"
#include "platform/name_rules.h"

namespace tavrel {

namespace {

// The path as an undo from any working folder finds it again.
std::string_view Absolute(const std::string& path, const std::string& folder, std::string& joined) {
    if (folder.empty() || IsAbsolutePath(path)) return path;
    joined = folder;
    if (kPathSeparators.find(joined.back()) == std::string_view::npos)
        joined += kDirectorySeparator;
    joined += path;
    return joined;
}

}  // namespace

RunJournal::RunJournal(JournalFolder& folder, Clock& clock, JournalHeader header)
    : folder_(folder), clock_(clock), header_(std::move(header)) {}

RunJournal::~RunJournal() {
    Finish();
}

void RunJournal::Renamed(const std::string& before, const std::string& after) {
    if (failed_) return;
    ++renames_;
    if (!file_) {
        int error = 0;
        file_ = StartJournal(folder_, name_, error);
        if (!file_) {
            failed_ = true;
            return;
        }
        header_.when = clock_.UtcSeconds();
        AppendJournalHeader(batch_, header_);
        last_write_ = clock_.Milliseconds();
    }
    AppendJournalRename(batch_, Absolute(before, header_.folder, joined_before_),
                        Absolute(after, header_.folder, joined_after_));
    ++batch_renames_;
    if (batch_renames_ >= kBatchRenames ||
        clock_.Milliseconds() - last_write_ >= kBatchMilliseconds)
        Write();
}

void RunJournal::Finish() {
    if (!failed_ && file_ && !batch_.empty()) Write();
}

void RunJournal::Write() {
    // A write that fails part-way leaves a record cut short, which a reader
    // recognises; nothing more is written after it.
    if (file_->Append(batch_) != 0) {
        failed_ = true;
        file_.reset();
    }
    batch_.clear();
    batch_renames_ = 0;
    last_write_ = clock_.Milliseconds();
}

}  // namespace tavrel
