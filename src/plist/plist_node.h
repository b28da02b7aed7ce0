#pragma once

// Key-path nodes: small handles that each name one step of a path into a
// document (a key and the shape expected under it). A chain is spelled from
// the document's root node: root → dictionaryChild("a") → boolChild("b"), and
// the last node's typedValue reads or writes the value there.
//
// Nodes copy nothing out of the document: every read walks up to the root,
// which resolves the whole path in the document's storage at that moment, and
// every write rebuilds the dictionaries along the path and stores the new root
// dictionary back once. A node keeps its ancestors alive, but the root holds
// its document only weakly: once the document is released, reads through any
// chain yield none and writes do nothing. Nothing here raises.

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "plist/plist_value.h"

namespace zoral::plist {

class PList;

class PListNode : public std::enable_shared_from_this<PListNode> {
public:
    // `int`, `double` and `bool` carry a trailing underscore, being keywords.
    enum class NodeType { any, dictionary, array, string, int_, double_, bool_, date, data };

    struct KeyPathStep {
        std::string key;
        NodeType type;
        friend bool operator==(const KeyPathStep&, const KeyPathStep&) = default;
    };
    // Collected from the addressed node upwards: the step nearest the root is last.
    using KeyPath = std::vector<KeyPathStep>;

    class TreeNode;
    class TreeDictionary;
    class Root;
    class SubDictionary;
    class SubValue;
    template <class T>
    class ValueKey;
    using AnyKey = ValueKey<PListValue>;
    using ArrayKey = ValueKey<PListArray>;
    using StringKey = ValueKey<std::string>;
    using IntKey = ValueKey<std::int64_t>;
    using DoubleKey = ValueKey<double>;
    using BoolKey = ValueKey<bool>;
    using DateKey = ValueKey<PListDate>;
    using DataKey = ValueKey<PListData>;

    PListNode(std::shared_ptr<PListNode> parent, std::optional<NodeType> type, std::string key);
    virtual ~PListNode();
    PListNode(const PListNode&) = delete;
    PListNode& operator=(const PListNode&) = delete;

    const std::shared_ptr<PListNode>& parent() const { return parent_; }
    std::optional<NodeType> type() const { return type_; }
    const std::string& key() const { return key_; }

    // The raw value at this node's path, of any shape, or none. `steps` are the
    // steps collected below this node; none when this node is the one addressed.
    virtual std::optional<PListValue> keyPathValue(std::optional<KeyPath> steps) const;
    std::optional<PListValue> keyPathValue() const { return keyPathValue(std::nullopt); }
    // Stores the value at the path; none removes the key there.
    virtual void setKeyPathValue(std::optional<KeyPath> steps, std::optional<PListValue> value);

protected:
    template <class T>
    std::optional<T> readTyped() const {
        const std::optional<PListValue> value = keyPathValue();
        return value ? value->as<T>() : std::nullopt;
    }
    template <class T>
    void writeTyped(std::optional<T> value) {
        std::optional<PListValue> stored;
        if (value)
            stored.emplace(std::move(*value));
        setKeyPathValue(std::nullopt, std::move(stored));
    }
    template <class T, class Body>
    void modifyTyped(Body&& body) {
        // Written back whatever the body does, a throw included.
        std::optional<T> value = readTyped<T>();
        try {
            std::forward<Body>(body)(value);
        } catch (...) {
            writeTyped<T>(std::move(value));
            throw;
        }
        writeTyped<T>(std::move(value));
    }

private:
    const std::shared_ptr<PListNode> parent_;
    const std::optional<NodeType> type_;
    const std::string key_;
};

class PListNode::TreeNode : public PListNode {
public:
    using PListNode::PListNode;
};

// A node under which children can be named: the root, and dictionaries.
// Making a child touches neither the document nor its storage.
class PListNode::TreeDictionary : public PListNode::TreeNode {
public:
    using TreeNode::TreeNode;

    std::shared_ptr<AnyKey> anyChild(std::string key);
    std::shared_ptr<SubDictionary> dictionaryChild(std::string key);
    std::shared_ptr<ArrayKey> arrayChild(std::string key);
    std::shared_ptr<StringKey> stringChild(std::string key);
    std::shared_ptr<IntKey> intChild(std::string key);
    std::shared_ptr<DoubleKey> doubleChild(std::string key);
    std::shared_ptr<BoolKey> boolChild(std::string key);
    std::shared_ptr<DateKey> dateChild(std::string key);
    std::shared_ptr<DataKey> dataChild(std::string key);
};

class PListNode::Root : public PListNode::TreeDictionary {
public:
    explicit Root(std::weak_ptr<PList> delegate);

    const std::weak_ptr<PList>& delegate() const { return delegate_; }

    // The document's whole storage: an empty dictionary once the document is
    // gone, whose writes are then dropped.
    PListDictionary typedValue() const;
    void setTypedValue(PListDictionary value);
    template <class Body>
    void modifyTypedValue(Body&& body) {
        PListDictionary value = typedValue();
        try {
            std::forward<Body>(body)(value);
        } catch (...) {
            setTypedValue(std::move(value));
            throw;
        }
        setTypedValue(std::move(value));
    }

    using PListNode::keyPathValue;
    std::optional<PListValue> keyPathValue(std::optional<KeyPath> steps) const override;
    void setKeyPathValue(std::optional<KeyPath> steps, std::optional<PListValue> value) override;

    // The value at the path (steps consumed from the back, the root end) in the
    // dictionary, of whatever shape, or none.
    static std::optional<PListValue> resolveKeyPath(std::span<const KeyPathStep> steps,
                                                    const PListDictionary* dictionary);
    // The dictionary with the value stored at the path (none removes). Below the
    // first level only while the root's document is there and allows
    // intermediate dictionaries; missing ones are created on the way, and a
    // value of another shape in the way leaves everything as it was.
    static PListDictionary storeAtKeyPath(PListDictionary dictionary,
                                          std::span<const KeyPathStep> steps, const Root& root,
                                          std::optional<PListValue> value);

private:
    std::weak_ptr<PList> delegate_;
};

class PListNode::SubDictionary : public PListNode::TreeDictionary {
public:
    SubDictionary(std::shared_ptr<PListNode> parent, std::string key);

    std::optional<PListDictionary> typedValue() const { return readTyped<PListDictionary>(); }
    void setTypedValue(std::optional<PListDictionary> value) {
        writeTyped<PListDictionary>(std::move(value));
    }
    template <class Body>
    void modifyTypedValue(Body&& body) {
        modifyTyped<PListDictionary>(std::forward<Body>(body));
    }
};

class PListNode::SubValue : public PListNode {
public:
    using PListNode::PListNode;
};

// The leaf nodes, one per shape: AnyKey reads any shape, DoubleKey also reads
// an Int that a Double holds exactly, every other reads only its own shape.
// Writes store the node's own shape (a DoubleKey always stores a Double).
template <class T>
class PListNode::ValueKey : public PListNode::SubValue {
    static_assert((PListShape<T> && !std::is_same_v<T, PListDictionary>) ||
                  std::is_same_v<T, PListValue>);

public:
    ValueKey(std::shared_ptr<PListNode> parent, std::string key)
        : SubValue(std::move(parent), nodeType(), std::move(key)) {}

    std::optional<T> typedValue() const { return readTyped<T>(); }
    void setTypedValue(std::optional<T> value) { writeTyped<T>(std::move(value)); }
    template <class Body>
    void modifyTypedValue(Body&& body) {
        modifyTyped<T>(std::forward<Body>(body));
    }

    static constexpr NodeType nodeType() {
        if constexpr (std::is_same_v<T, PListValue>)
            return NodeType::any;
        else if constexpr (std::is_same_v<T, PListArray>)
            return NodeType::array;
        else if constexpr (std::is_same_v<T, std::string>)
            return NodeType::string;
        else if constexpr (std::is_same_v<T, std::int64_t>)
            return NodeType::int_;
        else if constexpr (std::is_same_v<T, double>)
            return NodeType::double_;
        else if constexpr (std::is_same_v<T, bool>)
            return NodeType::bool_;
        else if constexpr (std::is_same_v<T, PListDate>)
            return NodeType::date;
        else
            return NodeType::data;
    }
};

}  // namespace zoral::plist
