#pragma once
// The last-resort handler: what happens to an error that escapes start-up.

#include <exception>
#include <functional>
#include <string>

namespace tavrel {

// The message with "." appended, unless it is empty or already ends with ".".
std::string WithFinalPeriod(const std::string& message);

// "<type> がモジュール <module> の <address> で発生しました。", a line break, and
// the message with its final period.
std::string LastResortText(const std::string& type_name, const std::string& module_name,
                           const void* address, const std::string& message);

// The text for the error in flight (called from inside a catch block), with the
// module name taken from the executable's file name.
std::string LastResortTextFor(std::exception_ptr error, const std::string& module_name);

// Runs a run mode's start-up and work and returns its exit code. An error that
// escapes it goes to the last resort: its text is written to standard error,
// then handed to show_box (when given), which returns once the user has
// dismissed the box; the exit code is then 1. Work done before the error stays
// done. The one handler for the command line and both windows.
int RunWithLastResort(const std::string& executable_path, const std::function<int()>& run,
                      const std::function<void(const std::string& text)>& show_box);

// Writes the text for the error in flight to standard error, on a line of its
// own, with the module named after the executable; returns the text.
std::string ReportLastResort(std::exception_ptr error, const std::string& executable_path);

}  // namespace tavrel
