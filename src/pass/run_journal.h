#pragma once
// The journal of one rename run as it goes: fed each rename from the thread
// that renames, it keeps the records in memory and appends them to the
// journal's file in batches, one write a batch, so that the run never waits
// for more than that write. The file is created with the first rename: a run
// that renames nothing leaves no journal. A journal that cannot be created or
// written is given up; the run goes on, and failed() tells it could not be
// kept.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "pass/journal_format.h"
#include "platform/clock.h"
#include "platform/journal_folder.h"

namespace tavrel {

class RunJournal {
public:
    // A batch is written once it holds this many renames, or once this long
    // has passed since the last write, whichever comes first.
    static constexpr std::size_t kBatchRenames = 256;
    static constexpr std::int64_t kBatchMilliseconds = 100;

    // `header.when` is filled from the clock at the first rename.
    RunJournal(JournalFolder& folder, Clock& clock, JournalHeader header);
    // Writes what is left (Finish).
    ~RunJournal();
    RunJournal(const RunJournal&) = delete;
    RunJournal& operator=(const RunJournal&) = delete;

    // A file was renamed. Called from one thread at a time. A path relative to
    // the working folder is recorded below the header's folder.
    void Renamed(const std::string& before, const std::string& after);
    // Writes the records not written yet; the run has ended.
    void Finish();

    // True once the journal could not be created or written.
    bool failed() const { return failed_; }
    // How many renames were recorded.
    std::size_t renames() const { return renames_; }
    // The journal's file name in its folder; empty until the first rename.
    const std::string& name() const { return name_; }

private:
    void Write();

    JournalFolder& folder_;
    Clock& clock_;
    JournalHeader header_;
    std::unique_ptr<AppendingFile> file_;
    std::string name_;
    // Room for a relative path made absolute (reused from rename to rename).
    std::string joined_before_, joined_after_;
    std::string batch_;
    std::size_t batch_renames_ = 0;
    std::size_t renames_ = 0;
    std::int64_t last_write_ = 0;
    bool failed_ = false;
};

}  // namespace tavrel
