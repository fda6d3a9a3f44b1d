#pragma once
// The base of every error Tavrel raises on purpose. Each error type is declared
// beside the code that raises it; the handlers that report errors (the
// last-resort handler and the windows) only ever read TypeName(), what() and
// Address().

#include <stdexcept>
#include <string>

namespace tavrel {

// The return address of this call: a code address inside the function that
// called it. As the default argument of the error constructors it is
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

}  // namespace tavrel
