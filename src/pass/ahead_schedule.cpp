#include "pass/ahead_schedule.h"

#include <algorithm>
#include <string_view>

#include "stamp/file_name.h"

namespace tavrel {
namespace {

std::size_t FolderLength(const std::string& path) {
    return SplitPath::Of(path).directory.size();
}

}  // namespace

AheadSchedule::AheadSchedule(const PassPaths& paths, const ReadAhead& ahead)
    : paths_(paths),
      slots_(std::max<std::size_t>(1, std::min(ahead.across_folders, paths.count))),
      near_(std::min(std::max<std::size_t>(1, ahead.in_one_folder), slots_.size())) {}

bool AheadSchedule::MayStart() const {
    // A stop or an error ends the pass after the jobs in hand.
    return !stopped_ && !error_;
}

bool AheadSchedule::Ended() const {
    if (reads_in_flight_ > 0 || renames_in_flight_ > 0) return false;
    return finished_ == paths_.count || !MayStart();
}

PassEnd AheadSchedule::End() const {
    PassEnd end;
    end.finished = finished_;
    end.error = error_;
    end.stopped = !error_ && stopped_ && finished_ < paths_.count;
    return end;
}

void AheadSchedule::Fail(std::size_t position, std::exception_ptr error) {
    SetError(position, std::move(error));
}

void AheadSchedule::SetError(std::size_t position, std::exception_ptr error) {
    // The pass reports the error of the first position in the list, as the
    // pass in list order would meet it.
    if (!error_ || position < error_position_) {
        error_ = std::move(error);
        error_position_ = position;
    }
}

AheadSchedule::Job AheadSchedule::Take() {
    Job job;
    for (;;) {
        if (TakeRename(job) || TakeAlone(job)) return job;
        switch (TakeRead(job)) {
            case ReadTaken::kTaken:
                return job;
            case ReadTaken::kRetry:
                continue;
            case ReadTaken::kNone:
                return Job{};
        }
    }
}

bool AheadSchedule::TakeRename(Job& job) {
    for (auto it = ready_.begin(); it != ready_.end(); ++it) {
        FolderQueue& queue = **it;
        const std::size_t position = queue.waiting.front();
        if (!MayStart()) return false;
        Slot& slot = SlotOf(position);
        if (slot.gate->reading > 0 || (burst_left_ > 0 && burst_gate_ == slot.gate)) continue;
        ready_.erase(it);
        queue.waiting.pop_front();
        queue.busy = true;
        ++slot.gate->renaming;
        ++renames_in_flight_;
        job.kind = JobKind::kRename;
        job.position = position;
        job.path = slot.read.path;
        job.stamp = *slot.read.stamp;
        return true;
    }
    return false;
}

bool AheadSchedule::TakeAlone(Job& job) {
    if (!alone_waiting_ || alone_busy_ || finished_ != frontier_ || !MayStart()) return false;
    alone_busy_ = true;
    ++renames_in_flight_;
    job.kind = JobKind::kAlone;
    job.position = frontier_;
    job.path = SlotOf(frontier_).read.path;
    return true;
}

AheadSchedule::ReadTaken AheadSchedule::TakeRead(Job& job) {
    const auto none = [this] { return EndBurst() ? ReadTaken::kRetry : ReadTaken::kNone; };
    if (next_read_ >= paths_.count || !MayStart()) return none();
    const std::size_t far_limit = finished_ + slots_.size();
    if (next_read_ >= far_limit) return none();
    // Scanned before any position is claimed, so that the scan never falls
    // behind the reads.
    const bool folder_changes = FolderChangesBefore(far_limit);
    if (next_read_ >= finished_ + near_ && !folder_changes) return none();
    // Reads and renames in one folder take turns, the reads in bursts: a read
    // begins by looking its name up in the folder, and on a network file
    // system a rename holds the folder locked for its round trip, so look-ups
    // and renames in one folder at once slow each other down many times over.
    // A burst starts when the folder's renames have few files left to do, or
    // when a later folder is in reach, whose renames can start only once every
    // file before it has been read.
    const std::string& upcoming = paths_.at(next_read_);  // not read yet
    Gate& gate = gates_[upcoming.substr(0, FolderLength(upcoming))];
    if (burst_left_ > 0 && burst_gate_ != &gate) return none();
    if (burst_left_ == 0) {
        const bool renaming = gate.renaming > 0 || gate.pending > 0;
        if (renaming && gate.pending > near_ / 8 && !folder_changes) return ReadTaken::kNone;
        burst_left_ = std::max<std::size_t>(1, near_ - near_ / 8);
        burst_gate_ = &gate;
    }
    if (gate.renaming > 0) return ReadTaken::kNone;  // the burst waits for it
    --burst_left_;
    const std::size_t position = next_read_++;
    Slot& slot = SlotOf(position);
    slot = Slot{};
    slot.state = State::kReading;
    slot.began = ledger_.Now();
    slot.gate = &gate;
    ++gate.reading;
    ++reads_in_flight_;
    job.kind = JobKind::kRead;
    job.position = position;
    return ReadTaken::kTaken;
}

bool AheadSchedule::EndBurst() {
    if (burst_left_ == 0) return false;
    burst_left_ = 0;
    burst_gate_ = nullptr;
    return true;
}

bool AheadSchedule::FolderChangesBefore(std::size_t limit) {
    limit = std::min(limit, paths_.count);
    // Only paths not read yet are looked at: never one whose rename was told.
    for (scanned_ = std::max(scanned_, next_read_); scanned_ < limit; ++scanned_) {
        const std::string& path = paths_.at(scanned_);
        const std::size_t length = FolderLength(path);
        if (std::string_view(path).substr(0, length) != scanned_folder_) {
            if (scanned_ > 0) changes_.push_back(scanned_);
            scanned_folder_.assign(path, 0, length);
        }
    }
    while (!changes_.empty() && changes_.front() <= finished_) changes_.pop_front();
    return !changes_.empty() && changes_.front() < limit;
}

void AheadSchedule::ReadEnded(std::size_t position, AheadRead read) {
    Slot& slot = SlotOf(position);
    --reads_in_flight_;
    --slot.gate->reading;
    slot.name_at = FolderLength(read.path);
    slot.read = std::move(read);
    slot.state = State::kRead;
    AdvanceFrontier();
}

void AheadSchedule::RenameEnded(const Job& job, const RenameJobResult& result) {
    Slot& slot = SlotOf(job.position);
    --renames_in_flight_;
    const bool renamed = !result.after.empty() && result.after != job.path;
    if (job.kind == JobKind::kRename) {
        --slot.gate->renaming;
        --slot.gate->pending;
        const auto entry = EntryOf(slot, job.path);
        ledger_.Finish(*entry, *slot.read.file);
        if (renamed) ledger_.Record(entry, EntryOf(slot, result.after), slot.read.file);
        FolderQueue& queue = *slot.queue;
        queue.busy = false;
        if (!queue.waiting.empty()) ready_.push_back(&queue);
    } else {
        alone_busy_ = false;
        if (renamed) {
            // What a later read ahead may have missed: the old name, the new
            // one and the file, by the identities this reading found.
            slot.read.file = result.file;
            slot.read.folder = result.folder;
            ledger_.Record(EntryOf(slot, job.path), EntryOf(slot, result.after), result.file);
        }
    }
    if (result.error) {
        // The position stays unfinished: the pass ends there.
        slot.state = State::kFailed;
        SetError(job.position, result.error);
        return;
    }
    slot.state = State::kDone;
    if (job.kind == JobKind::kAlone) {
        alone_waiting_ = false;
        ++frontier_;
    }
    AdvanceFinished();
    AdvanceFrontier();
}

std::optional<EntryKey> AheadSchedule::EntryOf(const Slot& slot, const std::string& path) const {
    if (!slot.read.folder) return std::nullopt;
    return EntryKey{*slot.read.folder, path.substr(slot.name_at)};
}

void AheadSchedule::AdvanceFinished() {
    while (finished_ < next_read_ && SlotOf(finished_).state == State::kDone) ++finished_;
}

void AheadSchedule::AdvanceFrontier() {
    while (!alone_waiting_ && frontier_ < next_read_ && SlotOf(frontier_).state == State::kRead) {
        Slot& slot = SlotOf(frontier_);
        if (MustGoAlone(slot)) {
            alone_waiting_ = true;
            return;
        }
        ledger_.Expect(*EntryOf(slot, slot.read.path), *slot.read.file);
        ++slot.gate->pending;
        FolderQueue& queue = queues_[*slot.read.folder];
        if (!queue.busy && queue.waiting.empty()) ready_.push_back(&queue);
        queue.waiting.push_back(frontier_);
        slot.queue = &queue;
        slot.state = State::kQueued;
        ++frontier_;
    }
}

bool AheadSchedule::MustGoAlone(const Slot& slot) {
    // Without a stamp (the read failed), or without the identities that tell
    // which renames touch it, the file is read again in its turn.
    if (!slot.read.stamp || !slot.read.folder || !slot.read.file) return true;
    return ledger_.MayHaveMissed(slot.began, *EntryOf(slot, slot.read.path), *slot.read.file);
}

}  // namespace tavrel
