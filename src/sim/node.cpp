#include "sim/node.h"

#include <algorithm>
#include <atomic>

#include "platform/process_state.h"
#include "sim/world.h"

namespace zoral::sim {

namespace {

struct NextIdentifier {
    std::atomic<std::uint64_t> next{1};
};

}  // namespace

std::uint64_t Node::nextIdentifier() {
    // Identifiers are never reused while the process's state lasts, so a reference to a destroyed
    // element can never reach a newer one.
    return platform::processPart<NextIdentifier>().next.fetch_add(1);
}

Node::Node(platform::ProcessId pid, std::string_view role)
    : element_(nextIdentifier()), pid_(pid), role_(role) {}

void Node::set(std::string_view attribute, ax::Value value) {
    if (auto found = attributes_.find(attribute); found != attributes_.end()) {
        found->second = std::move(value);
    } else {
        attributes_.emplace(std::string(attribute), std::move(value));
    }
}

void Node::remove(std::string_view attribute) {
    if (auto found = attributes_.find(attribute); found != attributes_.end()) {
        attributes_.erase(found);
    }
}

const ax::Value* Node::stored(std::string_view attribute) const {
    auto found = attributes_.find(attribute);
    return found == attributes_.end() ? nullptr : &found->second;
}

std::vector<std::string> Node::storedAttributeNames() const {
    std::vector<std::string> names;
    for (const auto& [name, value] : attributes_)
        names.push_back(name);
    return names;
}

std::vector<std::string> Node::settableAttributes() const {
    return {settable_.begin(), settable_.end()};
}

void Node::setSettable(std::string_view attribute, bool settable) {
    if (settable) {
        settable_.emplace(attribute);
    } else if (auto found = settable_.find(attribute); found != settable_.end()) {
        settable_.erase(found);
    }
}

void Node::appendChild(const std::shared_ptr<Node>& child) {
    if (auto old = child->parent())
        old->removeChild(child);
    child->parent_ = weak_from_this();
    children_.push_back(child);
    if (auto owner = world())
        owner->childAttached(*this, child);
}

void Node::removeChild(const std::shared_ptr<Node>& child) {
    if (std::erase(children_, child) == 0)
        return;
    child->parent_.reset();
    if (auto owner = world())
        owner->childDetached(*this, *child);
}

void Node::markSubtreeDestroyed() {
    markDestroyed();
    for (const auto& child : children_)
        child->markSubtreeDestroyed();
}

bool Node::isDescendantOf(const Node& ancestor) const {
    for (auto node = parent(); node; node = node->parent()) {
        if (node.get() == &ancestor)
            return true;
    }
    return false;
}

ax::Result<ax::Value> Node::read(World&, std::string_view attribute) const {
    if (attribute == ax::attribute::role)
        return ax::Value(role_);
    if (attribute == ax::attribute::parent) {
        if (auto node = parent())
            return ax::Value(node->element());
        return ax::noValue;
    }
    if (attribute == ax::attribute::children) {
        ax::Value::Array elements;
        for (const auto& child : children_)
            elements.emplace_back(child->element());
        return ax::Value(std::move(elements));
    }
    if (const ax::Value* value = stored(attribute))
        return *value;
    return ax::attributeUnsupported;
}

std::vector<std::string> Node::attributeNames() const {
    std::vector<std::string> names{std::string(ax::attribute::role),
                                   std::string(ax::attribute::children)};
    if (parent())
        names.emplace_back(ax::attribute::parent);
    for (const auto& [name, value] : attributes_)
        names.push_back(name);
    return names;
}

ax::Result<bool> Node::isSettable(std::string_view attribute) const {
    if (settable_.contains(attribute))
        return true;
    if (attribute == ax::attribute::role || attribute == ax::attribute::children ||
        attribute == ax::attribute::parent || stored(attribute) != nullptr) {
        return false;
    }
    return ax::attributeUnsupported;
}

ax::Error Node::write(World&, std::string_view attribute, const ax::Value& value) {
    const ax::Result<bool> settable = isSettable(attribute);
    if (!settable.ok())
        return settable.error();
    if (!settable.value())
        return ax::attributeUnsupported;
    set(std::string(attribute), value);
    return ax::success;
}

ax::Error Node::perform(World&, std::string_view action) {
    return std::find(actions_.begin(), actions_.end(), action) == actions_.end()
               ? ax::actionUnsupported
               : ax::success;
}

std::optional<platform::CGRect> Node::frame() const {
    const ax::Value* position = stored(ax::attribute::position);
    const ax::Value* size = stored(ax::attribute::size);
    if (position == nullptr || size == nullptr)
        return std::nullopt;
    const auto* p = position->getIf<platform::CGPoint>();
    const auto* s = size->getIf<platform::CGSize>();
    if (p == nullptr || s == nullptr)
        return std::nullopt;
    return platform::CGRect(*p, *s);
}

}  // namespace zoral::sim
