#include "stamp/stamp_pass.h"

namespace tavrel {

PassEnd RunStampPass(const PassPaths& paths, int stamp_type, const StampContext& context,
                     const PassEvents& events) {
    // Whatever way the pass ends, no directory stays open behind it.
    struct Release {
        FileSystem& file_system;
        ~Release() { file_system.ReleaseHeldDirectory(); }
    } release{context.file_system};
    PassEnd end;
    for (; end.finished < paths.count; ++end.finished) {
        if (events.stop && events.stop->load(std::memory_order_relaxed)) {
            end.stopped = true;
            break;
        }
        const std::string& before = paths.at(end.finished);
        std::string after;
        try {
            after = StampFile(before, stamp_type, context);
        } catch (...) {
            end.error = std::current_exception();
            break;
        }
        if (events.renamed && after != before) events.renamed(end.finished, before, after);
        if (events.progress) events.progress(end.finished + 1);
    }
    return end;
}

}  // namespace tavrel
