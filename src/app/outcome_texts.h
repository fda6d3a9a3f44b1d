#pragma once
// The texts that tell a screen reader how the window's work ended: a rename
// pass, an undo, files added. The window does not show them; it hands them to
// assistive technology (see WindowView::Announce).

#include <cstddef>
#include <string>

namespace tavrel {

// How a rename pass or an undo ended.
struct WorkOutcome {
    // Files renamed (by an undo: named back), of how many in the work.
    std::size_t changed = 0;
    std::size_t total = 0;
    // The files finished before it stopped; equal to total when it ran through.
    std::size_t finished = 0;
    // Esc stopped it.
    bool stopped = false;
    // The message of the error that ended it; empty when none did.
    std::string error;
};

// "3 of 5 files renamed.", or where the pass stopped, why:
// "Stopped by Esc after 4 of 10 files; 3 renamed." or
// "Stopped after 4 of 10 files; 3 renamed: <error>".
std::string PassOutcomeText(const WorkOutcome& outcome);

// As PassOutcomeText for an undo ("named back"), with the files that keep
// their new names: "2 of 3 files named back; 1 keeps its new name."
std::string UndoOutcomeText(const WorkOutcome& outcome, std::size_t kept);

// After files were added: "2 files added; 7 in the list."
std::string AddedOutcomeText(std::size_t added, std::size_t listed);

// Adding stopped by Esc.
inline constexpr const char* kAddingStoppedText = "Adding stopped by Esc; nothing added.";
// A paste found no file and no path.
inline constexpr const char* kNothingToPasteText = "The clipboard holds no files.";

}  // namespace tavrel
