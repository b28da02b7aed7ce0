#include "plist/plist_node.h"

#include "plist/plist.h"

namespace zoral::plist {

PListNode::PListNode(std::shared_ptr<PListNode> parent, std::optional<NodeType> type,
                     std::string key)
    : parent_(std::move(parent)), type_(type), key_(std::move(key)) {}

PListNode::~PListNode() = default;

std::optional<PListValue> PListNode::keyPathValue(std::optional<KeyPath> steps) const {
    KeyPath path = steps ? std::move(*steps) : KeyPath();
    if (type_)
        path.push_back({key_, *type_});
    if (!parent_)
        return std::nullopt;
    return parent_->keyPathValue(std::move(path));
}

void PListNode::setKeyPathValue(std::optional<KeyPath> steps, std::optional<PListValue> value) {
    KeyPath path = steps ? std::move(*steps) : KeyPath();
    if (type_)
        path.push_back({key_, *type_});
    if (parent_)
        parent_->setKeyPathValue(std::move(path), std::move(value));
}

// ---- TreeDictionary --------------------------------------------------------

std::shared_ptr<PListNode::AnyKey> PListNode::TreeDictionary::anyChild(std::string key) {
    return std::make_shared<AnyKey>(shared_from_this(), std::move(key));
}

std::shared_ptr<PListNode::SubDictionary> PListNode::TreeDictionary::dictionaryChild(
    std::string key) {
    return std::make_shared<SubDictionary>(shared_from_this(), std::move(key));
}

std::shared_ptr<PListNode::ArrayKey> PListNode::TreeDictionary::arrayChild(std::string key) {
    return std::make_shared<ArrayKey>(shared_from_this(), std::move(key));
}

std::shared_ptr<PListNode::StringKey> PListNode::TreeDictionary::stringChild(std::string key) {
    return std::make_shared<StringKey>(shared_from_this(), std::move(key));
}

std::shared_ptr<PListNode::IntKey> PListNode::TreeDictionary::intChild(std::string key) {
    return std::make_shared<IntKey>(shared_from_this(), std::move(key));
}

std::shared_ptr<PListNode::DoubleKey> PListNode::TreeDictionary::doubleChild(std::string key) {
    return std::make_shared<DoubleKey>(shared_from_this(), std::move(key));
}

std::shared_ptr<PListNode::BoolKey> PListNode::TreeDictionary::boolChild(std::string key) {
    return std::make_shared<BoolKey>(shared_from_this(), std::move(key));
}

std::shared_ptr<PListNode::DateKey> PListNode::TreeDictionary::dateChild(std::string key) {
    return std::make_shared<DateKey>(shared_from_this(), std::move(key));
}

std::shared_ptr<PListNode::DataKey> PListNode::TreeDictionary::dataChild(std::string key) {
    return std::make_shared<DataKey>(shared_from_this(), std::move(key));
}

// ---- Root ------------------------------------------------------------------

PListNode::Root::Root(std::weak_ptr<PList> delegate)
    : TreeDictionary(nullptr, NodeType::dictionary, std::string()),
      delegate_(std::move(delegate)) {}

PListDictionary PListNode::Root::typedValue() const {
    if (const auto document = delegate_.lock())
        return document->storage();
    return PListDictionary();
}

void PListNode::Root::setTypedValue(PListDictionary value) {
    if (const auto document = delegate_.lock())
        document->setStorage(std::move(value));
}

std::optional<PListValue> PListNode::Root::keyPathValue(std::optional<KeyPath> steps) const {
    const auto document = delegate_.lock();
    if (!document || !steps)
        return std::nullopt;
    return resolveKeyPath(*steps, &document->storage());
}

void PListNode::Root::setKeyPathValue(std::optional<KeyPath> steps,
                                      std::optional<PListValue> value) {
    if (!steps)
        return;
    PListDictionary storage;
    {
        const auto document = delegate_.lock();
        if (!document)
            return;
        // Shares the document's storage until the first change below.
        storage = document->storage();
    }
    storage = storeAtKeyPath(std::move(storage), *steps, *this, std::move(value));
    if (const auto document = delegate_.lock())
        document->setStorage(std::move(storage));
}

std::optional<PListValue> PListNode::Root::resolveKeyPath(std::span<const KeyPathStep> steps,
                                                          const PListDictionary* dictionary) {
    while (!steps.empty()) {
        const KeyPathStep& step = steps.back();
        steps = steps.first(steps.size() - 1);
        const PListValue* value = dictionary ? dictionary->find(step.key) : nullptr;
        if (step.type == NodeType::dictionary && !steps.empty()) {
            // A missing or differently shaped value ends the walk in none.
            dictionary = value ? value->getIf<PListDictionary>() : nullptr;
            continue;
        }
        return value ? std::optional<PListValue>(*value) : std::nullopt;
    }
    return std::nullopt;
}

PListDictionary PListNode::Root::storeAtKeyPath(PListDictionary dictionary,
                                                std::span<const KeyPathStep> steps,
                                                const Root& root, std::optional<PListValue> value) {
    if (steps.empty())
        return dictionary;
    const KeyPathStep& step = steps.back();
    const std::span<const KeyPathStep> below = steps.first(steps.size() - 1);
    if (step.type != NodeType::dictionary || below.empty()) {
        dictionary.setAnyEntry(step.key, std::move(value));
        return dictionary;
    }
    {
        // The flag gates every write below the first level, not only the
        // creation of missing dictionaries.
        const auto document = root.delegate().lock();
        if (!document || !document->createIntermediateDictionaries())
            return dictionary;
    }
    if (!dictionary.dictionaryEntryCreatingMissing(step.key))
        return dictionary;  // another shape is in the way and stays
    dictionary.modifyDictionaryEntry(step.key, [&](std::optional<PListDictionary>& nested) {
        nested = storeAtKeyPath(std::move(*nested), below, root, std::move(value));
    });
    return dictionary;
}

// ---- SubDictionary ---------------------------------------------------------

PListNode::SubDictionary::SubDictionary(std::shared_ptr<PListNode> parent, std::string key)
    : TreeDictionary(std::move(parent), NodeType::dictionary, std::move(key)) {}

}  // namespace zoral::plist
