#pragma once

// One element of a simulated process's accessibility tree. A node answers the
// accessibility calls from its stored attributes and its place in the tree;
// kinds of element with behaviour of their own (applications, windows, the
// Dock's tiles) derive from it and override what they compute or act on.
// A node made by a world knows that world (weakly), and tells it when children
// come and go, so that the window server learns of each application's windows.

#include <cstdint>
#include <initializer_list>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/accessibility.h"
#include "platform/ax_names.h"

namespace zoral::sim {

class World;

namespace ax = platform::ax;

class Node : public std::enable_shared_from_this<Node> {
public:
    Node(platform::ProcessId pid, std::string_view role);
    virtual ~Node() = default;
    Node(const Node&) = delete;
    Node& operator=(const Node&) = delete;

    ax::Element element() const { return element_; }
    platform::ProcessId pid() const { return pid_; }
    const std::string& role() const { return role_; }

    // The world that made the node; none once that world is gone.
    std::shared_ptr<World> world() const { return world_.lock(); }

    // Stored attributes: what reads answer unless a kind computes the value. A kind may refuse
    // to store a value of the wrong type for an attribute it computes from.
    virtual void set(std::string_view attribute, ax::Value value);
    void remove(std::string_view attribute);
    const ax::Value* stored(std::string_view attribute) const;
    std::vector<std::string> storedAttributeNames() const;
    std::vector<std::string> settableAttributes() const;
    void setSettable(std::string_view attribute, bool settable = true);
    void setActions(std::vector<std::string> actions) { actions_ = std::move(actions); }
    void setActions(std::initializer_list<std::string_view> actions) {
        actions_.assign(actions.begin(), actions.end());
    }
    const std::vector<std::string>& actions() const { return actions_; }

    std::shared_ptr<Node> parent() const { return parent_.lock(); }
    const std::vector<std::shared_ptr<Node>>& children() const { return children_; }
    void appendChild(const std::shared_ptr<Node>& child);
    void removeChild(const std::shared_ptr<Node>& child);
    bool isDescendantOf(const Node& ancestor) const;
    // A destroyed element answers nothing any more, even while a reference to it lives.
    bool isDestroyed() const { return destroyed_; }
    void markDestroyed() { destroyed_ = true; }
    // The node and everything below it, as when a window closes.
    void markSubtreeDestroyed();

    // The accessibility calls, answered without round-trip accounting (the
    // world does that). The defaults serve the stored attributes plus "AXRole",
    // "AXParent" and "AXChildren" from the tree.
    virtual ax::Result<ax::Value> read(World& world, std::string_view attribute) const;
    virtual std::vector<std::string> attributeNames() const;
    virtual ax::Result<bool> isSettable(std::string_view attribute) const;
    virtual ax::Error write(World& world, std::string_view attribute, const ax::Value& value);
    virtual ax::Error perform(World& world, std::string_view action);
    // The frame used by hit tests, in top-left screen coordinates, when the node has one.
    virtual std::optional<platform::CGRect> frame() const;

private:
    friend class World;
    static std::uint64_t nextIdentifier();

    std::weak_ptr<World> world_;
    const ax::Element element_;
    const platform::ProcessId pid_;
    const std::string role_;
    std::map<std::string, ax::Value, std::less<>> attributes_;
    std::set<std::string, std::less<>> settable_;
    std::vector<std::string> actions_;
    std::weak_ptr<Node> parent_;
    std::vector<std::shared_ptr<Node>> children_;
    bool destroyed_ = false;
};

}  // namespace zoral::sim
