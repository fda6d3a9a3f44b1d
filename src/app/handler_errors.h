#pragma once
// The window's default error handling, shared by both windows: a handler's
// steps run until one raises an error; the error's message is reported and the
// rest of the handler is skipped.

#include <exception>
#include <string>

namespace tavrel {

// Runs steps(); an error it raises goes to report(message) (an empty message
// for an error that carries none). Returns whether the steps ran to their end.
template <typename Steps, typename Report>
bool RunReportingErrors(Steps&& steps, Report&& report) {
    try {
        steps();
        return true;
    } catch (const std::exception& error) {
        report(std::string(error.what()));
    } catch (...) {
        report(std::string());
    }
    return false;
}

}  // namespace tavrel
