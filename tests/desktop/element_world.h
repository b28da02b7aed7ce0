#pragma once

// A small simulated desktop for the element model's tests: one editor application (pid 12) with
// a window "Notes" holding a close button and a group with a text area, on the virtual clock,
// with the program's output captured.

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "desktop/ui_element.h"
#include "platform/accessibility.h"
#include "sim/node.h"
#include "sim/world.h"
#include "support/captured_output.h"
#include "support/virtual_clock.h"

namespace zoral::desktop::testing {

namespace ax = platform::ax;

// A node that remembers what was written to it and what was performed, with the virtual time.
class RecordingNode : public sim::Node {
public:
    struct Call {
        std::string what;
        ax::Value value;
        double time;
    };

    using sim::Node::Node;

    ax::Error write(sim::World& world, std::string_view attribute,
                    const ax::Value& value) override {
        calls.push_back({std::string(attribute), value, now()});
        return sim::Node::write(world, attribute, value);
    }
    ax::Error perform(sim::World& world, std::string_view action) override {
        calls.push_back({std::string(action), ax::Value(), now()});
        return sim::Node::perform(world, action);
    }

    std::vector<std::string> callNames() const {
        std::vector<std::string> names;
        for (const Call& call : calls)
            names.push_back(call.what);
        return names;
    }

    std::vector<Call> calls;

private:
    static double now() { return platform::DispatchTime::now().uptimeSeconds(); }
};

class ElementWorldTest : public zoral::testing::VirtualClockTest {
protected:
    static constexpr platform::ProcessId editorPid = 12;

    ElementWorldTest() {
        sim::Process& editor = world->addProcess(editorPid, "org.example.editor", "Editor");
        application = editor.application;
        window = addWindow(application, "Notes", {100, 100, 400, 300});
        closeButton = world->makeNode(editorPid, "AXButton");
        closeButton->set("AXSubrole", "AXCloseButton");
        closeButton->set("AXEnabled", true);
        closeButton->set("AXPosition", platform::CGPoint{110, 105});
        closeButton->set("AXSize", platform::CGSize{12, 12});
        closeButton->setActions({"AXPress"});
        window->appendChild(closeButton);
        group = world->makeNode(editorPid, "AXGroup");
        window->appendChild(group);
        textArea = world->makeNode(editorPid, "AXTextArea");
        textArea->set("AXValue", "hello");
        group->appendChild(textArea);
    }

    // A window of the application with a settable frame, listed in its "AXWindows".
    std::shared_ptr<RecordingNode> addWindow(const std::shared_ptr<sim::Node>& owner,
                                             std::string title, platform::CGRect frame) {
        auto node = world->makeNode<RecordingNode>(owner->pid(), "AXWindow");
        node->set("AXTitle", std::move(title));
        node->set("AXPosition", frame.origin);
        node->set("AXSize", frame.size);
        node->set("AXFrame", frame);
        node->set("AXMinimized", false);
        for (const char* attribute : {"AXPosition", "AXSize", "AXMinimized"})
            node->setSettable(attribute);
        node->setActions({"AXRaise"});
        owner->appendChild(node);
        ax::Value::Array windows;
        if (const ax::Value* listed = owner->stored("AXWindows"))
            windows = *listed->getIf<ax::Value::Array>();
        windows.emplace_back(node->element());
        owner->set("AXWindows", windows);
        return node;
    }

    static UIElementRef wrap(const std::shared_ptr<sim::Node>& node) {
        return std::make_shared<UIElement>(node->element());
    }

    sim::ScopedWorld world;
    zoral::testing::ScopedOutputCapture output;
    std::shared_ptr<sim::Node> application;
    std::shared_ptr<RecordingNode> window;
    std::shared_ptr<sim::Node> closeButton;
    std::shared_ptr<sim::Node> group;
    std::shared_ptr<sim::Node> textArea;
};

}  // namespace zoral::desktop::testing
