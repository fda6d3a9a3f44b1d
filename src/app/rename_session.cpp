#include "app/rename_session.h"

#include <atomic>
#include <exception>
#include <mutex>
#include <string_view>

#include "app/settings_file.h"
#include "base/worker_threads.h"
#include "collect/batch_merge.h"
#include "pass/run_journal.h"
#include "platform/name_rules.h"
#include "stamp/stamp_file.h"

namespace tavrel {
namespace {

// Whether each argument is a folder. One after another, as the list goes;
// where a file system answers slowly (a share, where each answer waits for a
// server), the questions overlap on several threads instead, each answer
// kept at its argument's place. The file system is asked whether it is slow
// once a folder, as the arguments' folder text changes.
std::vector<char> FolderTests(const std::vector<std::string>& paths, FileSystem& file_system) {
    constexpr unsigned kThreads = 8;
    std::vector<char> is_folder(paths.size());
    bool slow = false;
    std::string_view folder;
    for (std::size_t i = 0; i < paths.size() && paths.size() > 1 && !slow; ++i) {
        const std::string_view this_folder = FolderTextOf(paths[i]);
        if (i > 0 && this_folder == folder) continue;
        folder = this_folder;
        slow = file_system.IsSlowAndThreadSafe(paths[i]);
    }
    if (!slow) {
        for (std::size_t i = 0; i < paths.size(); ++i)
            is_folder[i] = file_system.IsDirectory(paths[i]);
        return is_folder;
    }
    std::atomic<std::size_t> next{0};
    std::mutex error_mutex;
    std::exception_ptr error;
    const auto ask = [&] {
        for (std::size_t i; (i = next++) < paths.size();) {
            try {
                is_folder[i] = file_system.IsDirectory(paths[i]);
            } catch (...) {
                const std::lock_guard<std::mutex> lock(error_mutex);
                if (!error) error = std::current_exception();
            }
        }
    };
    {
        const WorkerThreads helpers(kThreads - 1, ask, {});
        ask();
    }
    if (error) std::rethrow_exception(error);
    return is_folder;
}

}  // namespace

RenameSession::RenameSession(SessionServices services)
    : services_(std::move(services)), file_list_(services_.ordering) {}

void RenameSession::SelectStampType(int stamp_type) {
    stamp_type_ = stamp_type >= 0 && stamp_type <= 2 ? stamp_type : kNoSelection;
}

int RenameSession::Initialize(const std::vector<std::string>& arguments) {
    SelectStampType(kDefaultStampType);
    date_taken_ = false;
    file_list_.Clear();
    const StoredSettings stored =
        ReadStoredSettings(services_.settings_path, services_.file_system);
    if (stored.stamp_type) SelectStampType(*stored.stamp_type);
    date_taken_ = stored.date_taken;
    if (arguments.empty()) return -1;
    AddBatch(arguments);
    RenamePass();
    return 0;
}

std::vector<std::size_t> RenameSession::AddBatch(const std::vector<std::string>& paths) {
    PendingList batch = CollectBatch(paths);
    return MergeSortedBatch(file_list_, batch);
}

PendingList RenameSession::CollectBatch(const std::vector<std::string>& paths,
                                        const WalkEvents& events) const {
    PendingList batch;
    if (events.stop && events.stop->load(std::memory_order_relaxed)) return batch;
    const std::vector<char> is_folder = FolderTests(paths, services_.file_system);
    for (std::size_t i = 0; i < paths.size(); ++i) {
        if (events.stop && events.stop->load(std::memory_order_relaxed)) return batch;
        if (is_folder[i])
            CollectDirectory(paths[i], batch, services_.file_system, events);
        else
            batch.push_back(paths[i]);
    }
    SortBatch(batch, services_.ordering);
    return batch;
}

PassEnd RenameSession::StampListedFiles(const PassEvents& events, JournalRun* journal) const {
    const StampContext context{services_.file_system, services_.formats, services_.clock,
                               date_taken_ ? TimeSource::kDateTakenFirst : TimeSource::kLastWrite};
    const PassPaths paths{file_list_.size(), [this](std::size_t position) -> const std::string& {
                              return file_list_[position];
                          }};
    if (!journal || !services_.journals) return RunStampPass(paths, stamp_type_, context, events);
    RunJournal run_journal(*services_.journals, services_.clock,
                           {0, journal->mode, stamp_type_, services_.working_folder});
    PassEvents journaled = events;
    journaled.renamed = [&](std::size_t position, const std::string& before,
                            const std::string& after) {
        // Recorded first: the caller may write the new path over `before`.
        run_journal.Renamed(before, after);
        if (events.renamed) events.renamed(position, before, after);
    };
    const PassEnd end = RunStampPass(paths, stamp_type_, context, journaled);
    run_journal.Finish();
    journal->failed = run_journal.failed();
    journal->name = run_journal.name();
    return end;
}

void RenameSession::RenamePass(const RenamedEntry& renamed) {
    PassEvents events;
    events.renamed = [&](std::size_t position, const std::string& before,
                         const std::string& after) {
        if (renamed) renamed(position, before, after);
        file_list_.Replace(position, after);
    };
    // Writing back at once is safe here: nothing else reads the list while
    // this pass runs, and each entry is read before its rename is told.
    JournalRun journal{"command line"};
    const PassEnd end = StampListedFiles(events, &journal);
    entries_written_back_ = end.finished;
    journal_failed_ = journal.failed;
    if (end.error) std::rethrow_exception(end.error);
}

}  // namespace tavrel
