#pragma once

// Tabs of the simulated applications, with the accessibility trees in which each kind of
// application shows them:
// - native: the window holds an "AXTabGroup" of tab buttons ("AXRadioButton", subrole
//   "AXTabButton"), each with its title as a static text;
// - browser: the same tab group, inside a group of the window's title bar, each button holding
//   its title and a close button;
// - namedCells: groups that carry the identifier "TabCellView", each holding its title;
// - editor: a tab group of tab buttons, each holding a group with the title inside.
// Tabs lie side by side in a bar near the top of their window (where its kind of application
// draws them, or at an offset given) and follow the window when it moves. A window may also hold
// web content: a web area whose page draws tab-like controls.
//
// The effects of synthetic input on tabs, as the applications show them: a left-button drag of
// a tab that ends far enough out of its tab bar detaches the tab into a new window in front, after
// the detach latency, unless Escape is pressed meanwhile; a middle click on a tab closes it, and
// closing a window's last tab closes the window. The only tab of a window does not detach.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/events.h"
#include "platform/geometry.h"
#include "sim/node.h"

namespace zoral::sim {

class World;
class WindowNode;
class InputPipeline;

enum class TabTreeShape : std::uint8_t { native, browser, namedCells, editor };

// A node whose frame follows a source (its window's, for the parts of a tab bar).
class LaidOutNode : public Node {
public:
    using FrameSource = std::function<std::optional<platform::CGRect>()>;

    LaidOutNode(platform::ProcessId pid, std::string_view role, FrameSource source)
        : Node(pid, role), source_(std::move(source)) {}

    std::optional<platform::CGRect> frame() const override;
    ax::Result<ax::Value> read(World& world, std::string_view attribute) const override;
    std::vector<std::string> attributeNames() const override;

private:
    FrameSource source_;
};

// What a test gets back from adding tabs: the bar, the tab elements in order, and for each tab
// its innermost element, the one under the pointer on the tab's title.
struct TabStrip {
    std::shared_ptr<Node> bar;
    std::vector<std::shared_ptr<Node>> tabs;
    std::vector<std::shared_ptr<Node>> labels;
};

class Tabs {
public:
    // The bar's height, and how far past the bar's edge a drag must end to detach its tab.
    static constexpr double barHeight = 30;
    static constexpr double detachDistance = 40;
    static constexpr double maxTabWidth = 200;
    static constexpr double defaultDetachLatency = 0.2;

    // The world's tabs.
    static Tabs& install(World& world);
    // What the applications do with presses on their tabs and with Escape.
    static void registerInput(InputPipeline& pipeline);

    // From the release of a detaching drag to the new window.
    double detachLatency() const { return detachLatency_; }
    void setDetachLatency(double seconds) { detachLatency_ = seconds; }

    // Where a bar of the shape lies below its window's top edge unless told otherwise.
    static double defaultTop(TabTreeShape shape);

    // Adds a tab bar with one tab per title to the window (of a process of the world), `top`
    // below the window's top edge, or where the shape puts it.
    TabStrip addTabs(World& world, const std::shared_ptr<WindowNode>& window, TabTreeShape shape,
                     const std::vector<std::string>& titles,
                     std::optional<double> top = std::nullopt);
    // Adds web content covering the frame (relative to the window's origin) whose page draws a
    // tab-like control; gives that control.
    std::shared_ptr<Node> addWebContent(World& world, const std::shared_ptr<WindowNode>& window,
                                        platform::CGRect frame);

    // The titles of the window's tabs, in order; empty for a window without tabs.
    std::vector<std::string> titles(const WindowNode& window) const;
    // The tab bar's frame of the window, when it has tabs.
    std::optional<platform::CGRect> barFrame(const WindowNode& window) const;
    bool isDetachPending() const { return pending_ != nullptr; }

    // The window's tab bars as they were added, each with its shape, the element appended to the
    // window, and its tabs and their titles in order.
    struct BarView {
        TabTreeShape shape = TabTreeShape::native;
        double top = 0;
        std::shared_ptr<Node> root;
        std::vector<std::shared_ptr<Node>> tabs;
        std::vector<std::string> titles;
    };
    std::vector<BarView> barsOf(const WindowNode& window) const;

    struct Bar;
    struct Pending;

    // The bar and index of the tab that holds the element, when one does.
    std::pair<std::shared_ptr<Bar>, std::size_t> tabHolding(const std::shared_ptr<Node>& element);
    // A tab let go far from its bar detaches after the latency; a middle click that ends on the
    // tab it began on closes it.
    void releaseDragged(World& world, const std::shared_ptr<Node>& tab, platform::CGPoint release);
    void releaseMiddle(World& world, const std::shared_ptr<Node>& pressed,
                       const std::shared_ptr<Node>& releasedOn);

private:
    std::shared_ptr<Bar> barOf(const WindowNode& window) const;
    std::shared_ptr<Node> makeTab(World& world, const std::shared_ptr<Bar>& bar,
                                  const std::string& title, std::shared_ptr<Node>* label);
    void closeTab(World& world, const std::shared_ptr<Bar>& bar, std::size_t index);
    void detach(World& world, const std::shared_ptr<Bar>& bar, const std::shared_ptr<Node>& tab,
                platform::CGPoint release);

    double detachLatency_ = defaultDetachLatency;
    std::vector<std::shared_ptr<Bar>> bars_;
    // The detach that waits for its latency, if any.
    std::shared_ptr<Pending> pending_;
};

}  // namespace zoral::sim
