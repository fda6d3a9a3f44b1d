#include "app/rename_session.h"

#include "app/settings_file.h"
#include "collect/collect_directory.h"
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
    pending_ = PendingList();
    if (arguments.empty()) return -1;
    AddBatch(arguments);
    RenamePass();
    return 0;
}

std::vector<std::size_t> RenameSession::AddBatch(const std::vector<std::string>& paths) {
    pending_.clear();
    for (const auto& path : paths) {
        if (services_.file_system.IsDirectory(path))
            CollectDirectory(path, pending_, services_.file_system);
        else
            pending_.push_back(path);
    }
    return MergePendingFiles(file_list_, pending_, services_.ordering);
}

PassEnd RenameSession::StampListedFiles(const PassEvents& events) const {
    const StampContext context{services_.file_system, services_.formats, services_.clock};
    const PassPaths paths{file_list_.size(),
                          [this](std::size_t position) -> const std::string& {
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
