// Pins the time zone and the language for every in-process test, so that no
// test depends on the machine's own settings; and gives the programs the tests
// run a state folder of their own, so their journals never reach the state
// folder of the account that runs the tests (a window there would offer them).

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>

int main(int argc, char** argv) {
    ::setenv("TZ", "UTC", 1);
    ::setenv("LC_ALL", "C", 1);
    ::tzset();
    char state[] = "/tmp/tavrel-state-XXXXXX";
    if (::mkdtemp(state) == nullptr) return 2;
    ::setenv("XDG_STATE_HOME", state, 1);
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    std::filesystem::remove_all(state);
    return result;
}
