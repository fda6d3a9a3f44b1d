#include "app/last_resort.h"

#include <cxxabi.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <typeinfo>

#include "base/errors.h"
#include "platform/name_rules.h"

namespace tavrel {
namespace {

std::string Demangled(const char* name) {
    int status = 0;
    std::unique_ptr<char, decltype(&std::free)> text(
        abi::__cxa_demangle(name, nullptr, nullptr, &status), &std::free);
    return status == 0 && text ? std::string(text.get()) : std::string(name);
}

}  // namespace

std::string WithFinalPeriod(const std::string& message) {
    if (message.empty() || message.back() == '.') return message;
    return message + ".";
}

std::string LastResortText(const std::string& type_name, const std::string& module_name,
                           const void* address, const std::string& message) {
    char address_text[32];
    std::snprintf(address_text, sizeof address_text, "%p", address);
    return type_name + " がモジュール " + module_name + " の " + address_text +
           " で発生しました。\n" + WithFinalPeriod(message);
}

std::string LastResortTextFor(std::exception_ptr error, const std::string& module_name) {
    try {
        std::rethrow_exception(error);
    } catch (const Error& e) {
        return LastResortText(e.TypeName(), module_name, e.Address(), e.what());
    } catch (const std::exception& e) {
        return LastResortText(Demangled(typeid(e).name()), module_name, nullptr, e.what());
    } catch (...) {
        return LastResortText("unknown error", module_name, nullptr, "");
    }
}

std::string ReportLastResort(std::exception_ptr error, const std::string& executable_path) {
    const std::string module =
        executable_path.substr(executable_path.find_last_of(kPathSeparators) + 1);
    const std::string text = LastResortTextFor(error, module);
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
    return text;
}

int RunWithLastResort(const std::string& executable_path, const std::function<int()>& run,
                      const std::function<void(const std::string& text)>& show_box) {
    try {
        return run();
    } catch (...) {
        const std::string text = ReportLastResort(std::current_exception(), executable_path);
        if (show_box) show_box(text);
        return 1;
    }
}

}  // namespace tavrel
