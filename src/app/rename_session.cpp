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

void RenameSession::RenamePass(const RenamedEntry& renamed) {
    // Whatever way the pass ends, no directory stays open behind it.
    struct Release {
        FileSystem& file_system;
        ~Release() { file_system.ReleaseHeldDirectory(); }
    } release{services_.file_system};
    const StampContext context{services_.file_system, services_.formats, services_.clock};
    const std::size_t count = file_list_.size();
    entries_written_back_ = 0;
    for (std::size_t i = 0; i < count; ++i) {
        std::string after = StampFile(file_list_[i], stamp_type_, context);
        if (renamed && after != file_list_[i]) renamed(i, file_list_[i], after);
        file_list_.Replace(i, std::move(after));
        entries_written_back_ = i + 1;
    }
}

}  // namespace tavrel
