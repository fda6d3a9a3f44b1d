#include "app/outcome_texts.h"

namespace tavrel {
namespace {

// "1 file", "2 files".
std::string Files(std::size_t count) {
    return std::to_string(count) + (count == 1 ? " file" : " files");
}

// "<done> of <total> files <verb>." or where it stopped, "Stopped ... ".
std::string WorkText(const WorkOutcome& outcome, const std::string& verb) {
    const std::string changed = std::to_string(outcome.changed) + " of " + Files(outcome.total);
    if (outcome.error.empty() && !outcome.stopped && outcome.finished >= outcome.total)
        return changed + " " + verb + ".";
    std::string text =
        outcome.stopped && outcome.error.empty() ? "Stopped by Esc after " : "Stopped after ";
    text += std::to_string(outcome.finished) + " of " + Files(outcome.total) + "; " +
            std::to_string(outcome.changed) + " " + verb;
    return outcome.error.empty() ? text + "." : text + ": " + outcome.error;
}

}  // namespace

std::string PassOutcomeText(const WorkOutcome& outcome) {
    return WorkText(outcome, "renamed");
}

std::string UndoOutcomeText(const WorkOutcome& outcome, std::size_t kept) {
    std::string text = WorkText(outcome, "named back");
    if (kept == 0) return text;
    if (text.back() == '.') text.pop_back();  // the kept files end the sentence
    return text + "; " + std::to_string(kept) +
           (kept == 1 ? " keeps its new name." : " keep their new names.");
}

std::string AddedOutcomeText(std::size_t added, std::size_t listed) {
    return Files(added) + " added; " + std::to_string(listed) + " in the list.";
}

}  // namespace tavrel
