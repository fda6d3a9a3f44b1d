#include "app/rename_session.h"

#include "app/settings_file.h"
#include "collect/merge_pending_files.h"
#include "stamp/stamp_file.h"

namespace tavrel {

RenameSession::RenameSession(SessionServices services)
    : services_(std::move(services)), file_list_(services_.ordering) {}

void RenameSession::SelectStampType(int stamp_type) {
    stamp_type_ = stamp_type >= 0 && stamp_type <= 2 ? stamp_type : kNoSelection;
}

int RenameSession::Initialize(const std::vector<std::string>& arguments) {
    SelectStampType(kDefaultStampType);
    file_list_.Clear();
    if (const auto stored = ReadSettingsFile(services_.settings_path, services_.file_system))
        SelectStampType(*stored);
    if (arguments.empty()) return -1;
    AddBatch(arguments);
    RenamePass();
    return 0;
}

std::vector<std::size_t> RenameSession::AddBatch(const std::vector<std::string>& paths) {
    PendingList batch = CollectBatch(paths);
    return MergeSortedBatch(batch);
}

PendingList RenameSession::CollectBatch(const std::vector<std::string>& paths,
                                        const WalkEvents& events) const {
    PendingList batch;
    for (const auto& path : paths) {
        if (events.stop && events.stop->load(std::memory_order_relaxed)) return batch;
        if (services_.file_system.IsDirectory(path))
            CollectDirectory(path, batch, services_.file_system, events);
        else
            batch.push_back(path);
    }
    SortBatch(batch, services_.ordering);
    return batch;
}

std::vector<std::size_t> RenameSession::MergeSortedBatch(PendingList& batch) {
    // Which entries a batch takes out does not depend on its order, so the
    // batch may be sorted before the merge.
    auto removed = file_list_.RemoveFirstMatches(batch);
    file_list_.AppendAll(batch);
    batch.clear();
    return removed;
}

PassEnd RenameSession::StampListedFiles(const PassEvents& events) const {
    const StampContext context{services_.file_system, services_.formats, services_.clock};
    const PassPaths paths{file_list_.size(), [this](std::size_t position) -> const std::string& {
                              return file_list_[position];
                          }};
    return RunStampPass(paths, stamp_type_, context, events);
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
    const PassEnd end = StampListedFiles(events);
    entries_written_back_ = end.finished;
    if (end.error) std::rethrow_exception(end.error);
}

}  // namespace tavrel
