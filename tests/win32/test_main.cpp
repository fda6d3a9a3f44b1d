// The Windows tests' entry. The time zone and the language are pinned by the
// Wine wrapper (wine_env.sh) before the process starts.

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
