#include "pass/undo_pass.h"

namespace tavrel {

UndoEnd RunUndoPass(const UndoPaths& renames, FileSystem& file_system, const PassEvents& events) {
    const HeldDirectoryRelease release(file_system);
    UndoEnd end;
    end.named_back.assign(renames.count, false);
    while (end.tried < renames.count) {
        if (events.stop && events.stop->load(std::memory_order_relaxed)) {
            end.stopped = true;
            break;
        }
        const std::size_t rename = renames.count - 1 - end.tried;
        const std::string& before = renames.before(rename);
        const std::string& after = renames.after(rename);
        end.named_back[rename] = file_system.RenameNoReplace(after, before) == 0;
        ++end.tried;
        if (end.named_back[rename] && events.renamed) events.renamed(rename, after, before);
        if (events.progress) events.progress(end.tried);
    }
    return end;
}

}  // namespace tavrel
