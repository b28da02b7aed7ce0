// The main function of every test binary: the tests run in a temporary home of the binary's own,
// so that a test that forgets to make its own home still never reads or writes a real one.

#include <gtest/gtest.h>

#include "support/temporary_home.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    const zoral::testing::TemporaryHome home;
    return RUN_ALL_TESTS();
}
