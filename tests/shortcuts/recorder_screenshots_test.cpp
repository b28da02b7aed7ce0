// The recorder as a user sees it, drawn to PNG files (screenshots/ beside the test binary): empty,
// recording, and holding a shortcut, in a window with its label.

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "recorder_fixture.h"
#include "shortcuts/recorder.h"

namespace zoral::shortcuts::testing {
namespace {

using namespace GlobalShortcuts;

class RecorderScreenshots : public RecorderTest {
protected:
    RecorderScreenshots() { std::filesystem::create_directories(folder); }

    void save(const std::string& file) {
        EXPECT_TRUE(shown->render().savePng(folder + "/" + file + ".png"));
    }

    const std::string folder = "screenshots";
    std::shared_ptr<Recorder> view = Recorder::make("Fix gestures:", Name("screenshot"));
    std::shared_ptr<ui::TitledWindow> shown = makeWindow({view});
};

TEST_F(RecorderScreenshots, EmptyRecordingAndHoldingAShortcut) {
    save("recorder-empty");
    EXPECT_EQ(view->control().placeholderString(), "Record Shortcut");

    click(view->control());
    ASSERT_TRUE(view->control().isRecording());
    save("recorder-recording");

    type(Qt::Key_G, Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    ASSERT_EQ(view->control().stringValue(), "⌃⌥⌘G");
    save("recorder-holding");
}

}  // namespace
}  // namespace zoral::shortcuts::testing
