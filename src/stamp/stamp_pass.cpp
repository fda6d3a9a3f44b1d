#include "stamp/stamp_pass.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <string_view>
#include <thread>
#include <unordered_map>
#include <vector>

#include "stamp/file_name.h"
#include "stamp/stamp_text.h"

namespace tavrel {
namespace {

// Whatever way a pass ends, no directory stays open behind it.
struct ReleaseHeld {
    FileSystem& file_system;
    ~ReleaseHeld() { file_system.ReleaseHeldDirectory(); }
};

// A folder's identity, or a file's, as a text for hash maps; with a name
// after it, one entry of a folder.
std::string KeyOf(const FileIdentity& identity, const std::string& name = {}) {
    std::string key(sizeof identity.device + sizeof identity.inode, '\0');
    std::copy_n(reinterpret_cast<const char*>(&identity.device), sizeof identity.device,
                key.begin());
    std::copy_n(reinterpret_cast<const char*>(&identity.inode), sizeof identity.inode,
                key.begin() + sizeof identity.device);
    return key + name;
}

// Counts of keys, for the entries and files that renames have touched.
class KeyCounts {
public:
    void Add(const std::string& key) { ++counts_[key]; }
    void Remove(const std::string& key) {
        const auto found = counts_.find(key);
        if (found != counts_.end() && --found->second == 0) counts_.erase(found);
    }
    bool Has(const std::string& key) const { return counts_.count(key) != 0; }

private:
    std::unordered_map<std::string, int> counts_;
};

// The pass with reads ahead: a few worker threads that each take the most
// urgent work there is: the next rename of a folder whose files before are
// finished, a file that must be handled alone, or the next time to read.
//
// Positions move through three lines, each behind the one before:
//   next_read_  every position before it has been claimed for reading;
//   frontier_   every position before it was read and handed to its folder's
//               queue (or was handled alone); it stops at a position not yet
//               read, and at one to be handled alone until all before it are
//               finished;
//   finished_   every position before it is finished.
class AheadPass {
public:
    AheadPass(const PassPaths& paths, int stamp_type, const StampContext& context,
              const PassEvents& events, const ReadAhead& ahead)
        : paths_(paths),
          stamp_type_(stamp_type),
          context_(context),
          events_(events),
          threads_(std::max(1u, ahead.threads)),
          slots_(std::min(std::max<std::size_t>(1, ahead.across_folders), paths.count)),
          near_(std::min(std::max<std::size_t>(1, ahead.in_one_folder), slots_.size())) {}

    PassEnd Run() {
        std::vector<std::thread> workers;
        const unsigned count = static_cast<unsigned>(
            std::min<std::size_t>(threads_, std::max<std::size_t>(1, paths_.count)));
        for (unsigned i = 1; i < count; ++i) workers.emplace_back([this] { Work(); });
        Work();
        for (auto& worker : workers) worker.join();
        PassEnd end;
        end.error = error_;
        end.finished = error_ ? error_position_ : finished_;
        end.stopped = !error_ && stop_seen_ && end.finished < paths_.count;
        return end;
    }

private:
    enum class State { kFree, kReading, kRead, kQueued, kDone };

    // A folder as its paths write it, for taking turns between its reads and
    // its renames.
    struct Gate {
        std::size_t reading = 0;   // reads in flight
        std::size_t renaming = 0;  // renames in flight
        std::size_t pending = 0;   // files handed to its renames, not finished
    };

    struct Slot {
        State state = State::kFree;
        std::string path;
        std::size_t name_at = 0;          // where the name begins in path
        std::optional<std::string> stamp;  // empty: the time could not be read ahead
        std::optional<FileIdentity> file;
        std::optional<FileIdentity> folder;
        std::uint64_t read_after = 0;  // renames finished when the read began
        std::string name_key;          // folder identity and name
        std::string file_key;
        Gate* gate = nullptr;
    };

    struct Folder {
        std::deque<std::size_t> waiting;  // positions in list order
        bool busy = false;                // one of its files is being renamed
    };

    // A rename made, for the reads that began before it ended.
    struct Made {
        std::uint64_t number;
        std::string from_key, to_key, file_key;
    };

    Slot& SlotOf(std::size_t position) { return slots_[position % slots_.size()]; }

    bool StopAsked() const { return events_.stop && events_.stop->load(std::memory_order_relaxed); }

    void Work() {
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            if (StopAsked()) stop_seen_ = true;
            if (TakeRename(lock) || TakeAlone(lock) || TakeRead(lock)) continue;
            if (Ended()) break;
            changed_.wait(lock);
        }
        changed_.notify_all();
    }

    // No new file is started once the stop flag is seen or an error ended the
    // pass, except those before the last file started: those are finished, so
    // that the finished files stay one run from the list's start.
    bool MayStart(std::size_t position) const {
        if (error_ && position >= error_position_) return false;
        return !stop_seen_ || position < started_;
    }

    bool Ended() const {
        if (in_hand_ > 0 || reads_in_flight_ > 0) return false;
        if (finished_ == paths_.count) return true;
        if (error_ && finished_ >= error_position_) return true;
        return stop_seen_ && finished_ >= started_;
    }

    // The next rename of a folder that may go on.
    bool TakeRename(std::unique_lock<std::mutex>& lock) {
        for (auto it = ready_.begin(); it != ready_.end(); ++it) {
            Folder& folder = **it;
            const std::size_t position = folder.waiting.front();
            if (!MayStart(position)) continue;
            Gate* gate = SlotOf(position).gate;
            if (gate->reading > 0 || (burst_left_ > 0 && burst_gate_ == gate)) continue;
            ready_.erase(it);
            folder.waiting.pop_front();
            folder.busy = true;
            Rename(lock, position, &folder);
            return true;
        }
        return false;
    }

    // The position at the frontier that must be handled alone, once all
    // before it are finished.
    bool TakeAlone(std::unique_lock<std::mutex>& lock) {
        if (!alone_waiting_ || alone_busy_ || finished_ != frontier_ || !MayStart(frontier_))
            return false;
        alone_busy_ = true;
        const std::size_t position = frontier_;
        Slot& slot = SlotOf(position);
        started_ = std::max(started_, position + 1);
        ++in_hand_;
        lock.unlock();
        const std::string& before = slot.path;
        std::string after;
        std::exception_ptr error;
        std::optional<TimeReading> reading;
        try {
            // Read again now that every file before it is finished, as the
            // in-order pass reads it. A time that gives no stamp is read once
            // more by MakeStampText, which raises the pass's error.
            reading = context_.file_system.ReadTimeAndIdentity(before);
            std::optional<std::string> stamp;
            if (reading)
                stamp = StampTextForLastWrite(reading->last_write, stamp_type_, context_.formats);
            if (!stamp)
                stamp = MakeStampText(before, stamp_type_, context_.file_system, context_.formats);
            after = GiveStampedName(before, *stamp, context_);
        } catch (...) {
            error = std::current_exception();
        }
        if (!error) Tell(position, before, after);
        lock.lock();
        --in_hand_;
        alone_busy_ = false;
        alone_waiting_ = false;
        if (error) {
            error_ = error;
            error_position_ = position;
        } else {
            if (after != before && reading) {
                // What a later read ahead may have missed: the old name, the
                // new one and the file.
                slot.file = reading->file;
                slot.folder = reading->folder;
                slot.name_key = slot.folder ? KeyOf(*slot.folder, before.substr(slot.name_at)) : "";
                Record(slot, after, slot.file);
            }
            slot.state = State::kDone;
            ++frontier_;
            AdvanceFinished();
            AdvanceFrontier();
        }
        changed_.notify_all();
        return true;
    }

    // The next time to read, while the window has room: near the first
    // unfinished position, or far past it where another folder begins.
    bool TakeRead(std::unique_lock<std::mutex>& lock) {
        if (next_read_ >= paths_.count || error_ || stop_seen_) return EndBurst();
        const std::size_t far_limit = finished_ + slots_.size();
        if (next_read_ >= far_limit) return EndBurst();
        // Scanned before any position is claimed, so that the scan never
        // falls behind the reads.
        const bool folder_changes = FolderChangesBefore(far_limit);
        std::size_t limit = finished_ + near_;
        if (next_read_ >= limit) {
            if (!folder_changes) return EndBurst();
            limit = far_limit;
        }
        // Reads and renames in one folder take turns, the reads in bursts: a
        // read begins by looking its name up in the folder, and on a network
        // file system a rename holds the folder locked for its round trip, so
        // look-ups and renames in one folder at once slow each other down
        // many times over. A burst starts when the folder's renames have few
        // files left to do, or when a later folder is in reach, whose renames
        // can start only once every file before it has been read.
        const std::string& upcoming = paths_.at(next_read_);  // not read yet
        Gate& gate = gates_[upcoming.substr(0, SplitPath::Of(upcoming).directory.size())];
        if (burst_left_ > 0 && burst_gate_ != &gate) return EndBurst();
        if (burst_left_ == 0) {
            const bool renaming = gate.renaming > 0 || gate.pending > 0;
            if (renaming && gate.pending > near_ / 8 && !folder_changes) return false;
            burst_left_ = std::max<std::size_t>(1, near_ - near_ / 8);
            burst_gate_ = &gate;
        }
        if (gate.renaming > 0) return false;  // the burst waits for it
        --burst_left_;
        const std::size_t position = next_read_++;
        Slot& slot = SlotOf(position);
        slot = Slot{};
        slot.state = State::kReading;
        slot.read_after = renames_made_;
        slot.gate = &gate;
        ++gate.reading;
        ++reads_in_flight_;
        lock.unlock();
        std::string path;
        std::optional<TimeReading> reading;
        std::optional<std::string> stamp;
        try {
            path = paths_.at(position);
            reading = context_.file_system.ReadTimeAndIdentity(path);
            if (reading) stamp = StampTextForLastWrite(reading->last_write, stamp_type_,
                                                       context_.formats);
        } catch (...) {
            stamp.reset();  // read again when its turn comes, where the error is raised
        }
        const std::size_t name_at = SplitPath::Of(path).directory.size();
        lock.lock();
        --reads_in_flight_;
        --gate.reading;
        slot.path = std::move(path);
        slot.name_at = name_at;
        slot.stamp = std::move(stamp);
        if (reading) {
            slot.file = reading->file;
            slot.folder = reading->folder;
        }
        if (slot.folder) slot.name_key = KeyOf(*slot.folder, slot.path.substr(name_at));
        if (slot.file) slot.file_key = KeyOf(*slot.file);
        slot.state = State::kRead;
        AdvanceFrontier();
        changed_.notify_all();
        return true;
    }

    // Ends the burst of reads going out, so that the renames of its folder
    // go on; true when there was one.
    bool EndBurst() {
        if (burst_left_ == 0) return false;
        burst_left_ = 0;
        burst_gate_ = nullptr;
        changed_.notify_all();
        return true;
    }

    // True when the list changes folder after the first unfinished position
    // and before `limit`. Looks at the paths not yet read (never at one whose
    // rename was told), comparing each one's folder with the one before.
    bool FolderChangesBefore(std::size_t limit) {
        limit = std::min(limit, paths_.count);
        for (scanned_ = std::max(scanned_, next_read_); scanned_ < limit; ++scanned_) {
            const std::string& path = paths_.at(scanned_);
            const std::size_t length = SplitPath::Of(path).directory.size();
            if (std::string_view(path).substr(0, length) != scanned_folder_) {
                if (scanned_ > 0) changes_.push_back(scanned_);
                scanned_folder_.assign(path, 0, length);
            }
        }
        while (!changes_.empty() && changes_.front() <= finished_) changes_.pop_front();
        return !changes_.empty() && changes_.front() < limit;
    }

    // Renames a file whose folder's earlier files are finished.
    void Rename(std::unique_lock<std::mutex>& lock, std::size_t position, Folder* folder) {
        Slot& slot = SlotOf(position);
        started_ = std::max(started_, position + 1);
        ++in_hand_;
        ++slot.gate->renaming;
        lock.unlock();
        std::string after;
        std::exception_ptr error;
        try {
            after = GiveStampedName(slot.path, *slot.stamp, context_);
        } catch (...) {
            error = std::current_exception();
        }
        if (!error) Tell(position, slot.path, after);
        lock.lock();
        --in_hand_;
        --slot.gate->renaming;
        --slot.gate->pending;
        pending_names_.Remove(slot.name_key);
        pending_files_.Remove(slot.file_key);
        if (error) {
            if (!error_) {
                error_ = error;
                error_position_ = position;
            }
        } else if (after != slot.path) {
            Record(slot, after, slot.file);
        }
        slot.state = State::kDone;
        folder->busy = false;
        if (!folder->waiting.empty()) ready_.push_back(folder);
        AdvanceFinished();
        changed_.notify_all();
    }

    // Tells the caller of a rename and of the files finished; one thread at a
    // time, each folder's renames in list order (the folder's next file starts
    // only after this).
    void Tell(std::size_t position, const std::string& before, const std::string& after) {
        const std::lock_guard<std::mutex> told(events_mutex_);
        if (events_.renamed && after != before) events_.renamed(position, before, after);
    }

    void Record(const Slot& slot, const std::string& after, const std::optional<FileIdentity>& file) {
        Made made;
        made.number = ++renames_made_;
        made.from_key = slot.name_key;
        if (slot.folder) made.to_key = KeyOf(*slot.folder, after.substr(slot.name_at));
        if (file) made.file_key = KeyOf(*file);
        for (const auto* key : {&made.from_key, &made.to_key, &made.file_key})
            if (!key->empty()) made_keys_.Add(*key);
        made_.push_back(std::move(made));
    }

    void AdvanceFinished() {
        const std::size_t before = finished_;
        while (finished_ < next_read_ && SlotOf(finished_).state == State::kDone) ++finished_;
        if (finished_ != before && events_.progress) {
            // Told outside the pass's lock but in order: a smaller count that
            // comes late is not told.
            const std::size_t count = finished_;
            mutex_.unlock();
            {
                const std::lock_guard<std::mutex> told(events_mutex_);
                if (count > progress_told_) {
                    progress_told_ = count;
                    events_.progress(count);
                }
            }
            mutex_.lock();
        }
    }

    // Hands the positions read at the frontier to their folders.
    void AdvanceFrontier() {
        while (!alone_waiting_ && frontier_ < next_read_ && SlotOf(frontier_).state == State::kRead) {
            Slot& slot = SlotOf(frontier_);
            // Renames that ended before this read began are in what it saw.
            while (!made_.empty() && made_.front().number <= slot.read_after) {
                for (const auto* key :
                     {&made_.front().from_key, &made_.front().to_key, &made_.front().file_key})
                    if (!key->empty()) made_keys_.Remove(*key);
                made_.pop_front();
            }
            if (MustGoAlone(slot)) {
                alone_waiting_ = true;
                return;
            }
            pending_names_.Add(slot.name_key);
            pending_files_.Add(slot.file_key);
            ++slot.gate->pending;
            Folder& folder = folders_[KeyOf(*slot.folder)];
            if (!folder.busy && folder.waiting.empty()) ready_.push_back(&folder);
            folder.waiting.push_back(frontier_);
            slot.state = State::kQueued;
            ++frontier_;
        }
    }

    // A read ahead that a rename before it may have changed, made since it
    // began or still to come: its entry was renamed or taken, or its file (the
    // one a link leads to included) was renamed under another path.
    bool MustGoAlone(const Slot& slot) const {
        if (!slot.stamp || !slot.folder || !slot.file) return true;
        return made_keys_.Has(slot.name_key) || made_keys_.Has(slot.file_key) ||
               pending_names_.Has(slot.name_key) || pending_files_.Has(slot.file_key);
    }

    const PassPaths& paths_;
    const int stamp_type_;
    const StampContext& context_;
    const PassEvents& events_;
    const unsigned threads_;

    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Slot> slots_;
    const std::size_t near_;
    std::size_t scanned_ = 0;       // positions whose folder was compared with the one before
    std::string scanned_folder_;    // the folder of the last of them
    std::deque<std::size_t> changes_;  // positions where the list changes folder
    std::size_t next_read_ = 0;
    std::size_t frontier_ = 0;
    std::size_t finished_ = 0;
    std::size_t started_ = 0;  // one past the last position whose rename started
    std::size_t reads_in_flight_ = 0;
    std::unordered_map<std::string, Gate> gates_;
    std::size_t burst_left_ = 0;  // reads the burst going out may still start
    Gate* burst_gate_ = nullptr;  // the folder it reads in
    std::size_t in_hand_ = 0;
    bool alone_waiting_ = false;
    bool alone_busy_ = false;
    bool stop_seen_ = false;
    std::exception_ptr error_;
    std::size_t error_position_ = 0;
    std::unordered_map<std::string, Folder> folders_;
    std::deque<Folder*> ready_;
    std::uint64_t renames_made_ = 0;
    std::deque<Made> made_;
    KeyCounts made_keys_;
    KeyCounts pending_names_;
    KeyCounts pending_files_;

    std::mutex events_mutex_;
    std::size_t progress_told_ = 0;
};

}  // namespace

PassEnd RunStampPassInOrder(const PassPaths& paths, int stamp_type, const StampContext& context,
                            const PassEvents& events) {
    const ReleaseHeld release{context.file_system};
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

PassEnd RunStampPassAhead(const PassPaths& paths, int stamp_type, const StampContext& context,
                          const PassEvents& events, const ReadAhead& ahead) {
    const ReleaseHeld release{context.file_system};
    if (paths.count == 0) return {};
    return AheadPass(paths, stamp_type, context, events, ahead).Run();
}

PassEnd RunStampPass(const PassPaths& paths, int stamp_type, const StampContext& context,
                     const PassEvents& events) {
    if (paths.count > 1 && context.file_system.ReadsAheadWell(paths.at(0)))
        return RunStampPassAhead(paths, stamp_type, context, events);
    return RunStampPassInOrder(paths, stamp_type, context, events);
}

}  // namespace tavrel
