#include "pass/read_pacing.h"

#include <algorithm>
#include <string_view>

#include "platform/name_rules.h"

namespace tavrel {

ReadPacing::ReadPacing(const PassPaths& paths, std::size_t reach, std::size_t near)
    : paths_(paths), reach_(reach), near_(near) {}

ReadPacing::Claim ReadPacing::ClaimRead(std::size_t next, std::size_t finished) {
    // Scanned before the position is claimed, so that the scan never falls
    // behind the reads.
    const std::size_t limit = std::min(finished + reach_, paths_.count);
    ScanFolderChanges(next, finished, limit);
    const bool folder_changes = FolderChangesBefore(limit);
    if (next >= finished + near_ && !folder_changes) return NoReadNow();
    // A burst starts when the folder's renames have few files left to do, or
    // when a later folder is in reach, whose renames can start only once
    // every file before it has been read.
    const std::string& upcoming = paths_.at(next);  // not read yet
    Gate& gate = gates_[std::string(FolderTextOf(upcoming))];
    if (burst_left_ > 0 && burst_gate_ != &gate) return NoReadNow();
    if (burst_left_ == 0) {
        const bool renaming = gate.renaming > 0 || gate.pending > 0;
        if (renaming && gate.pending > near_ / 8 && !folder_changes) return Claim{Turn::kWait};
        burst_left_ = std::max<std::size_t>(1, near_ - near_ / 8);
        burst_gate_ = &gate;
    }
    if (gate.renaming > 0) return Claim{Turn::kWait};  // the burst waits for them
    --burst_left_;
    ++gate.reading;
    return Claim{Turn::kRead, &gate};
}

ReadPacing::Claim ReadPacing::NoReadNow() {
    return Claim{EndBurst() ? Turn::kAskAgain : Turn::kWait};
}

bool ReadPacing::EndBurst() {
    if (burst_left_ == 0) return false;
    burst_left_ = 0;
    burst_gate_ = nullptr;
    return true;
}

void ReadPacing::ScanFolderChanges(std::size_t next, std::size_t finished, std::size_t limit) {
    // Only paths not read yet are looked at: never one whose rename was told.
    for (scanned_ = std::max(scanned_, next); scanned_ < limit; ++scanned_) {
        const std::string_view folder = FolderTextOf(paths_.at(scanned_));
        if (folder != scanned_folder_) {
            if (scanned_ > 0) changes_.push_back(scanned_);
            scanned_folder_.assign(folder);
        }
    }
    while (!changes_.empty() && changes_.front() <= finished) changes_.pop_front();
}

}  // namespace tavrel
