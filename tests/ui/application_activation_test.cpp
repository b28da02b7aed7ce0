#include "ui/application_activation.h"

#include <string>

#include <gtest/gtest.h>

#include "platform/activation_policy.h"
#include "platform/url_opening.h"
#include "sim/journal.h"
#include "sim/url_opening.h"
#include "sim/workspace.h"
#include "ui_world.h"

namespace zoral::ui {
namespace {

using platform::ActivationPolicy;

class ApplicationTest : public testing::UiWorldTest {};

// The program starts as an accessory application (no Dock icon); full screen makes it regular and
// closing its window an accessory again. The system will not make a running application
// prohibited.
TEST_F(ApplicationTest, TheActivationPolicyIsTheSystemsRecordOfTheProgram) {
    EXPECT_EQ(Application::activationPolicy(), ActivationPolicy::accessory);
    const platform::ProcessId self = platform::currentProcessIdentifier();
    EXPECT_TRUE(Application::setActivationPolicy(ActivationPolicy::regular));
    EXPECT_EQ(sim::workspace(*world).infoOf(self).activationPolicy, ActivationPolicy::regular);
    EXPECT_EQ(platform::runningApplicationWithProcessIdentifier(self)->activationPolicy,
              ActivationPolicy::regular);
    EXPECT_FALSE(Application::setActivationPolicy(ActivationPolicy::prohibited));
    EXPECT_EQ(Application::activationPolicy(), ActivationPolicy::regular) << "refused, unchanged";
    EXPECT_TRUE(Application::setActivationPolicy(ActivationPolicy::accessory));
    EXPECT_EQ(Application::activationPolicy(), ActivationPolicy::accessory);
}

TEST_F(ApplicationTest, ActivatingAsksTheWorkspaceForTheProgramItself) {
    Application::activateIgnoringOtherApps();
    const auto requests = sim::Journal::of(*world).recordsOf<sim::WorkspaceRequest>();
    ASSERT_EQ(requests.size(), 1U);
    EXPECT_EQ(requests[0].kind, sim::WorkspaceRequest::Kind::activate);
    EXPECT_EQ(requests[0].pid, platform::currentProcessIdentifier());
    EXPECT_EQ(requests[0].options, platform::activateIgnoringOtherApps);
}

TEST_F(ApplicationTest, OpensOnlyWhatFormsAURLWithAnApplicationForIt) {
    struct Case {
        std::string url;
        bool valid;
        bool opened;
    };
    const std::vector<Case> cases{
        {"https://example.org/zoral", true, true},
        {"HTTP://EXAMPLE.ORG", true, true},
        {"mailto:support@example.org", true, true},
        {"file:///Applications/", true, true},
        {"", false, false},
        {"example.org", false, false},
        {"https://example.org/a b", false, false},
        {"https:", false, false},
        {"1http://example.org", false, false},
        {"zoral-settings://general", true, false},
    };
    scheduler().advance(1.5);
    std::vector<sim::OpenedURL> expected;
    for (const Case& row : cases) {
        SCOPED_TRACE(row.url);
        EXPECT_EQ(platform::isValidURL(row.url), row.valid);
        EXPECT_EQ(platform::openURL(row.url), row.opened);
        if (row.opened)
            expected.push_back({1.5, row.url});
    }
    EXPECT_EQ(sim::URLOpening::of(*world).opened(), expected);
}

}  // namespace
}  // namespace zoral::ui
