#include "pass/stamp_pass.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string_view>

#include "base/worker_threads.h"
#include "pass/ahead_schedule.h"
#include "platform/name_rules.h"
#include "stamp/date_conversion_error.h"
#include "stamp/stamp_text.h"

namespace tavrel {
namespace {

// The pass that reads ahead: a few workers, the calling thread among them,
// that each take the most urgent job the schedule has, do it without the
// pass's lock and hand its outcome back.
class AheadPass {
public:
    AheadPass(const PassPaths& paths, int stamp_type, const StampContext& context,
              const PassEvents& events, const ReadAhead& ahead)
        : paths_(paths),
          stamp_type_(stamp_type),
          context_(context),
          events_(events),
          ahead_(ahead),
          schedule_(paths, ahead) {}

    PassEnd Run() {
        const unsigned wanted = static_cast<unsigned>(
            std::min<std::size_t>(std::max(1u, ahead_.threads), paths_.count));
        {
            const WorkerThreads helpers(
                wanted - 1, [this] { Work(); }, ahead_.start_thread);
            Work();
        }
        PassEnd end = schedule_.End();
        if (broken_) end.error = broken_;
        return end;
    }

private:
    using Job = AheadSchedule::Job;
    using JobKind = AheadSchedule::JobKind;

    bool StopAsked() const { return events_.stop && events_.stop->load(std::memory_order_relaxed); }

    // One worker: jobs until the schedule has ended. Nothing escapes it, as
    // an exception would end the program on a thread of its own.
    void Work() noexcept {
        try {
            WorkLoop();
        } catch (...) {
            // The schedule's own bookkeeping failed (no memory): every
            // worker leaves once its job in hand is done.
            const std::lock_guard<std::mutex> lock(mutex_);
            if (!broken_) broken_ = std::current_exception();
            changed_.notify_all();
        }
    }

    // Takes the next job while still holding the lock from the last one's
    // end, so that no other worker comes between. A folder whose rename
    // ended goes behind the folders waiting already (AheadSchedule::Take):
    // its next rename stays with this thread, and the directory it holds,
    // when no other folder's rename may start. Progress is told outside the
    // lock, before the next job, and before a thread waits.
    void WorkLoop() {
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            // A callback that raised ends the pass as soon as it is known,
            // before its error reaches the schedule.
            if (StopAsked() || failing_.load(std::memory_order_relaxed)) schedule_.Stop();
            if (broken_) return;
            const Job job = schedule_.Take();
            const std::size_t finished = schedule_.finished();
            const bool tell = finished > progress_taken_;
            if (tell) progress_taken_ = finished;
            if (job.kind == JobKind::kNone && !tell) {
                if (schedule_.Ended()) break;
                changed_.wait(lock);
                continue;
            }
            if (job.kind != JobKind::kNone) changed_.notify_all();  // others may start now
            lock.unlock();
            const std::exception_ptr error = tell ? TellProgress(finished) : nullptr;
            if (job.kind == JobKind::kRead) {
                AheadRead read = Read(job.position);
                lock.lock();
                schedule_.ReadEnded(job.position, std::move(read));
            } else if (job.kind != JobKind::kNone) {
                const RenameJobResult result = Rename(job);
                lock.lock();
                schedule_.RenameEnded(job, result);
            } else {
                lock.lock();
            }
            if (error) schedule_.Fail(finished, error);
            changed_.notify_all();
        }
        changed_.notify_all();
    }

    // Reads a file's time ahead. A read that fails leaves the stamp empty: the
    // file is read again in its turn, where its error is raised.
    AheadRead Read(std::size_t position) const {
        AheadRead read;
        try {
            read.path = paths_.at(position);
            if (const auto reading = ReadStampText(read.path, stamp_type_, context_)) {
                read.stamp = reading->stamp;
                read.file = reading->file;
                read.folder = reading->folder;
            }
        } catch (...) {
            read.stamp.reset();
        }
        return read;
    }

    // The one place a file is renamed: with the stamp read ahead, or, for a
    // file handled alone, with its time read again now that every file
    // before it is finished, as the pass in list order reads it. A renamed
    // file is told before its folder's next file can start.
    RenameJobResult Rename(const Job& job) {
        RenameJobResult result;
        try {
            std::string stamp = job.stamp;
            if (job.kind == JobKind::kAlone) {
                const auto reading = ReadStampText(job.path, stamp_type_, context_);
                std::optional<std::string> read_stamp;
                if (reading) {
                    read_stamp = reading->stamp;
                    result.file = reading->file;
                    result.folder = reading->folder;
                }
                if (!read_stamp) throw DateConversionError();
                stamp = std::move(*read_stamp);
            }
            result.after = GiveStampedName(job.path, stamp, context_);
            if (result.after != job.path && events_.renamed) {
                const std::lock_guard<std::mutex> told(events_mutex_);
                Flagged([&] { events_.renamed(job.position, job.path, result.after); });
            }
        } catch (...) {
            result.error = std::current_exception();
            failing_.store(true, std::memory_order_relaxed);
        }
        return result;
    }

    // Calls a callback under events_mutex_; when it raises, flags the pass as
    // failing before the lock is let go. A worker whose rename waits to be
    // told then sees the flag before it can take another job: else it could
    // take one after another while the raising thread is still on its way to
    // its catch.
    template <typename Callback>
    void Flagged(const Callback& callback) {
        try {
            callback();
        } catch (...) {
            failing_.store(true, std::memory_order_relaxed);
            throw;
        }
    }

    // Tells how many files are finished, outside the pass's lock but in
    // order: a smaller count that comes late is not told. Returns what the
    // callback raised, which ends the pass there.
    std::exception_ptr TellProgress(std::size_t finished) {
        if (!events_.progress) return nullptr;
        try {
            const std::lock_guard<std::mutex> told(events_mutex_);
            if (finished > progress_told_) {
                progress_told_ = finished;
                Flagged([&] { events_.progress(finished); });
            }
        } catch (...) {
            return std::current_exception();
        }
        return nullptr;
    }

    const PassPaths& paths_;
    const int stamp_type_;
    const StampContext& context_;
    const PassEvents& events_;
    const ReadAhead& ahead_;

    std::mutex mutex_;  // guards the schedule and broken_
    std::condition_variable changed_;
    AheadSchedule schedule_;
    std::exception_ptr broken_;
    std::atomic<bool> failing_{false};  // a job or a callback raised an error
    std::size_t progress_taken_ = 0;    // the highest count a worker took to tell

    std::mutex events_mutex_;  // one callback at a time
    std::size_t progress_told_ = 0;
};

}  // namespace

PassEnd RunStampPassInOrder(const PassPaths& paths, int stamp_type, const StampContext& context,
                            const PassEvents& events) {
    const HeldDirectoryRelease release(context.file_system);
    PassEnd end;
    for (; end.finished < paths.count; ++end.finished) {
        if (events.stop && events.stop->load(std::memory_order_relaxed)) {
            end.stopped = true;
            break;
        }
        try {
            const std::string& before = paths.at(end.finished);
            const std::string after = StampFile(before, stamp_type, context);
            if (events.renamed && after != before) events.renamed(end.finished, before, after);
            if (events.progress) events.progress(end.finished + 1);
        } catch (...) {
            end.error = std::current_exception();
            break;
        }
    }
    return end;
}

PassEnd RunStampPassAhead(const PassPaths& paths, int stamp_type, const StampContext& context,
                          const PassEvents& events, const ReadAhead& ahead) {
    // Made before the workers start, so that it runs after they have joined.
    const HeldDirectoryRelease release(context.file_system);
    if (paths.count == 0) return {};
    return AheadPass(paths, stamp_type, context, events, ahead).Run();
}

PassEnd RunStampPass(const PassPaths& paths, int stamp_type, const StampContext& context,
                     const PassEvents& events) {
    // A single file gains nothing from threads: its file system is not asked.
    if (paths.count <= 1) return RunStampPassInOrder(paths, stamp_type, context, events);
    // The list in runs of positions whose file systems are of one kind, each
    // run to its end before the next starts, so that the list's order holds
    // across them. The kind is asked once a folder, as its text changes.
    PassEnd end;
    std::string folder;
    bool slow = false;
    const auto slow_at = [&](std::size_t position) {
        const std::string& path = paths.at(position);
        const std::string_view path_folder = FolderTextOf(path);
        if (position == 0 || path_folder != folder) {
            folder.assign(path_folder);
            slow = context.file_system.IsSlowAndThreadSafe(path);
        }
        return slow;
    };
    while (end.finished < paths.count) {
        const std::size_t begin = end.finished;
        const bool ahead = slow_at(begin);
        std::size_t run_end = begin + 1;
        while (run_end < paths.count && slow_at(run_end) == ahead) ++run_end;
        const PassPaths run{run_end - begin,
                            [&paths, begin](std::size_t position) -> const std::string& {
                                return paths.at(begin + position);
                            }};
        PassEvents run_events;
        run_events.stop = events.stop;
        if (events.renamed)
            run_events.renamed = [&events, begin](std::size_t position, const std::string& before,
                                                  const std::string& after) {
                events.renamed(begin + position, before, after);
            };
        if (events.progress)
            run_events.progress = [&events, begin](std::size_t finished) {
                events.progress(begin + finished);
            };
        const PassEnd run_end_state =
            ahead && run.count > 1 ? RunStampPassAhead(run, stamp_type, context, run_events)
                                   : RunStampPassInOrder(run, stamp_type, context, run_events);
        end.finished = begin + run_end_state.finished;
        end.stopped = run_end_state.stopped;
        end.error = run_end_state.error;
        if (end.stopped || end.error) break;
    }
    return end;
}

}  // namespace tavrel
