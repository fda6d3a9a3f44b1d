// The code address an error carries: the place that raised it, inside the
// program's own code.

#include "base/errors.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>
#include <string>

#include "app/settings_file.h"
#include "platform/posix/posix_file_system.h"
#include "platform/process.h"
#include "platform/regional_formats.h"
#include "stamp/stamp_text.h"
#include "test_support.h"

namespace tavrel {
namespace {

// True when the address lies in an executable mapping of this program's own file.
bool InOwnCode(const void* address) {
    const std::string self = ExecutablePath();
    const auto at = reinterpret_cast<std::uintptr_t>(address);
    std::ifstream maps("/proc/self/maps");
    for (std::string line; std::getline(maps, line);) {
        std::istringstream fields(line);
        std::string range, permissions, offset, device, inode, path;
        fields >> range >> permissions >> offset >> device >> inode >> path;
        if (path != self || permissions.find('x') == std::string::npos) continue;
        const auto dash = range.find('-');
        const auto first = std::stoull(range.substr(0, dash), nullptr, 16);
        const auto end = std::stoull(range.substr(dash + 1), nullptr, 16);
        if (at >= first && at < end) return true;
    }
    return false;
}

const void* AddressOfErrorFrom(const std::function<void()>& raise) {
    try {
        raise();
    } catch (const Error& error) {
        return error.Address();
    }
    ADD_FAILURE() << "nothing was raised";
    return nullptr;
}

TEST(ErrorAddress, EachPlaceThatRaisesGivesItsOwnAddressInTheProgramsCode) {
    test::TempDir dir;
    test::MakeFile(dir / "1975.jpg", test::UtcSeconds(1975, 6, 1));
    PosixFileSystem file_system;
    const RegionalFormats formats = RegionalFormats::Reference();
    struct Case {
        const char* name;
        std::function<void()> raise;
    } cases[] = {
        {"a file that cannot be opened",
         [&] { MakeStampText(dir / "missing.jpg", 1, file_system, formats); }},
        {"a time before 1980", [&] { MakeStampText(dir / "1975.jpg", 1, file_system, formats); }},
        {"a settings file that cannot be created",
         [&] { WriteSettingsFile(dir / "missing/setup.ini", 1, file_system); }},
    };
    std::set<const void*> addresses;
    for (const auto& c : cases) {
        const void* address = AddressOfErrorFrom(c.raise);
        EXPECT_TRUE(InOwnCode(address)) << c.name << ": " << address;
        EXPECT_TRUE(addresses.insert(address).second) << c.name << ": " << address << " seen";
    }
}

}  // namespace
}  // namespace tavrel
