#pragma once
// Error types raised by Tavrel's core. Every failure that reaches the user carries
// one of the exact message texts below; the handlers that report errors (the
// last-resort handler and, later, the window) only ever read TypeName(),
// what() and Address().

#include <stdexcept>
#include <string>

namespace tavrel {

// The return address of this call: a code address inside the function that
// called it. As the default argument of the error constructors below it is
// evaluated where the error is constructed, so every error carries the address
// of the code that raised it, not that of its constructor.
const void* CallerAddress() noexcept;

// Base of every error Tavrel raises on purpose.
class Error : public std::runtime_error {
public:
    // The address is the one the last-resort handler prints as the code address
    // "at which the error was raised"; left out, it is the raising code's.
    explicit Error(const std::string& message, const void* address = CallerAddress());
    virtual const char* TypeName() const noexcept { return "Error"; }
    const void* Address() const noexcept { return address_; }

private:
    const void* address_;
};

// A file's last-write time could not be read or converted to a stamp time.
class DateConversionError : public Error {
public:
    explicit DateConversionError(const void* address = CallerAddress());
    const char* TypeName() const noexcept override { return "DateConversionError"; }
};

// The settings file exists but could not be opened for reading.
class FileOpenError : public Error {
public:
    FileOpenError(const std::string& path, const std::string& reason,
                  const void* address = CallerAddress());
    const char* TypeName() const noexcept override { return "FileOpenError"; }
};

// The settings file could not be created or written.
class FileCreateError : public Error {
public:
    FileCreateError(const std::string& path, const std::string& reason,
                    const void* address = CallerAddress());
    const char* TypeName() const noexcept override { return "FileCreateError"; }
};

// An internal consistency check failed (used by the version lookup).
class AssertionFailure : public Error {
public:
    AssertionFailure(const std::string& source, int line, const void* address = CallerAddress());
    const char* TypeName() const noexcept override { return "AssertionFailure"; }
};

// Message texts, kept in one place so that tests and handlers agree on them.
inline constexpr const char* kDateConversionMessage = "日付に変換できない値が渡されました";

}  // namespace tavrel
