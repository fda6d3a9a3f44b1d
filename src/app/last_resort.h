#pragma once
// The last-resort handler: what happens to an error that escapes start-up.

#include <exception>
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

// Writes the text for the error in flight to standard error, on a line of its
// own, with the module named after the executable; returns the text.
std::string ReportLastResort(std::exception_ptr error, const std::string& executable_path);

}  // namespace tavrel
