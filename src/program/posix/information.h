#pragma once
// Answers `tavrel --help` and `tavrel --version` on standard output.

#include <functional>
#include <string>

#include "app/information_request.h"

namespace tavrel {

// Prints the usage text (with this build's settings file path) or the version
// from the program file's version record ("tavrel 1.2.0.13"). Returns the exit
// code: 0, or 1 when the version record cannot be read (reported as any error
// of the command line, through show_error when given).
int PrintInformation(InformationRequest request,
                     const std::function<void(const std::string&)>& show_error);

}  // namespace tavrel
