#include "pass/stored_run_undo.h"

namespace tavrel {

StoredRunUndoEnd UndoStoredRun(JournalFolder& folder, const StoredRun& run, FileSystem& file_system,
                               const PassEvents& events) {
    const auto& renames = run.contents.renames;
    const std::size_t count = run.contents.left_to_undo;
    const UndoPaths paths{
        count, [&renames](std::size_t i) -> const std::string& { return renames[i].before; },
        [&renames](std::size_t i) -> const std::string& { return renames[i].after; }};
    StoredRunUndoEnd end;
    end.pass = RunUndoPass(paths, file_system, events);
    for (std::size_t i = count; i-- > count - end.pass.tried;) {
        if (end.pass.named_back[i]) continue;
        const bool gone = !file_system.IsExistingFile(renames[i].after);
        end.kept.push_back({renames[i], gone});
    }
    file_system.ReleaseHeldDirectory();
    end.mark_error = MarkUndone(folder, run.name, count - end.pass.tried);
    return end;
}

}  // namespace tavrel
