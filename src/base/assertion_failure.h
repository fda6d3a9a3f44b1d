#pragma once
// The error the version lookups raise (on either system) when the program's
// version cannot be read from its own file.

#include <string>

#include "base/errors.h"

namespace tavrel {

// An internal consistency check failed; the message names the check by a
// source name and a number.
class AssertionFailure : public Error {
public:
    AssertionFailure(const std::string& source, int line, const void* address = CallerAddress())
        : Error("アサートの失敗 (" + source + ", " + std::to_string(line) + " 行)", address) {}
    const char* TypeName() const noexcept override { return "AssertionFailure"; }
};

}  // namespace tavrel
