// The main function of every test binary. It makes the process's state, and each test starts with
// that state fresh and a temporary home of its own: the state is reset as a whole before the
// test's fixture is made and again after it is gone, so that no test sees what another left behind
// and the tests pass in any order. A test that makes no home of its own still never reads or writes
// a real one.

#include <optional>

#include <gtest/gtest.h>

#include "platform/process_state.h"
#include "support/temporary_home.h"

namespace {

class FreshProcessState final : public ::testing::EmptyTestEventListener {
public:
    explicit FreshProcessState(zoral::platform::ProcessState& state) : state_(state) {}

    void OnTestStart(const ::testing::TestInfo&) override {
        state_.reset();
        home_.emplace();
    }

    void OnTestEnd(const ::testing::TestInfo&) override {
        // The settings are saved into the test's home before it goes.
        home_.reset();
        state_.reset();
    }

private:
    zoral::platform::ProcessState& state_;
    std::optional<zoral::testing::TemporaryHome> home_;
};

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    zoral::platform::ProcessState state;
    ::testing::UnitTest::GetInstance()->listeners().Append(new FreshProcessState(state));
    return RUN_ALL_TESTS();
}
