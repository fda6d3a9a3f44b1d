#include "pass/rename_ledger.h"

namespace tavrel {

void RenameLedger::Expect(const EntryKey& entry, const FileIdentity& file) {
    Add(expected_entries_, entry);
    Add(expected_files_, file);
}

void RenameLedger::Finish(const EntryKey& entry, const FileIdentity& file) {
    Remove(expected_entries_, entry);
    Remove(expected_files_, file);
}

void RenameLedger::Record(const std::optional<EntryKey>& from, const std::optional<EntryKey>& to,
                          const std::optional<FileIdentity>& file) {
    made_.push_back(Made{++recorded_, from, to, file});
    if (from) Add(made_entries_, *from);
    if (to) Add(made_entries_, *to);
    if (file) Add(made_files_, *file);
}

bool RenameLedger::MayHaveMissed(Mark began, const EntryKey& entry, const FileIdentity& file) {
    ForgetUpTo(began);
    return expected_entries_.count(entry) != 0 || expected_files_.count(file) != 0 ||
           made_entries_.count(entry) != 0 || made_files_.count(file) != 0;
}

void RenameLedger::ForgetUpTo(Mark mark) {
    while (!made_.empty() && made_.front().number <= mark) {
        const Made& made = made_.front();
        if (made.from) Remove(made_entries_, *made.from);
        if (made.to) Remove(made_entries_, *made.to);
        if (made.file) Remove(made_files_, *made.file);
        made_.pop_front();
    }
}

}  // namespace tavrel
