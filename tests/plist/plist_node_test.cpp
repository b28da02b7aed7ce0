#include "plist/plist_node.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "plist/plist.h"

namespace zoral::plist {
namespace {

constexpr std::int64_t twoTo53 = std::int64_t{1} << 53;

std::shared_ptr<PList> documentWith(PListDictionary storage) {
    return PList::initWithStorage(std::move(storage));
}

TEST(PListNodeReading, TypedReadsAreStrict) {
    const auto document = documentWith({
        {"a", PListDictionary{{"b", true}}},
        {"n", PListDictionary{{"three", std::int64_t{3}},
                              {"big", twoTo53 + 1},
                              {"one", std::int64_t{1}},
                              {"half", 0.5}}},
        {"text", "x"},
    });
    const auto root = document->rootNode();
    const auto a = root->dictionaryChild("a");
    EXPECT_EQ(a->boolChild("b")->typedValue(), true);
    EXPECT_EQ(a->intChild("b")->typedValue(), std::nullopt);
    EXPECT_EQ(a->anyChild("b")->typedValue(), PListValue::boolean(true));
    EXPECT_EQ(a->stringChild("c")->typedValue(), std::nullopt);
    EXPECT_EQ(a->typedValue(), (PListDictionary{{"b", true}}));

    const auto n = root->dictionaryChild("n");
    EXPECT_EQ(n->doubleChild("three")->typedValue(), 3.0);
    EXPECT_EQ(n->doubleChild("big")->typedValue(), std::nullopt);
    EXPECT_EQ(n->intChild("big")->typedValue(), twoTo53 + 1);
    EXPECT_EQ(n->boolChild("one")->typedValue(), std::nullopt);
    EXPECT_EQ(n->intChild("half")->typedValue(), std::nullopt);
    EXPECT_EQ(n->dateChild("half")->typedValue(), std::nullopt);
    EXPECT_EQ(n->dataChild("half")->typedValue(), std::nullopt);

    // Through a String where a dictionary is expected.
    EXPECT_EQ(root->dictionaryChild("text")->stringChild("b")->typedValue(), std::nullopt);
    EXPECT_EQ(root->stringChild("text")->typedValue(), "x");
    EXPECT_EQ(root->arrayChild("text")->typedValue(), std::nullopt);
}

TEST(PListNodeReading, NodesReadTheStorageOfTheMoment) {
    const auto document = documentWith({{"k", std::int64_t{1}}});
    const auto node = document->rootNode()->intChild("k");
    EXPECT_EQ(node->typedValue(), 1);
    document->setStorage({{"k", std::int64_t{2}}});
    EXPECT_EQ(node->typedValue(), 2);

    // Two root nodes see one storage.
    document->rootNode()->intChild("k")->setTypedValue(3);
    EXPECT_EQ(node->typedValue(), 3);
    EXPECT_EQ(node->key(), "k");
    EXPECT_EQ(node->type(), PListNode::NodeType::int_);
    EXPECT_EQ(document->rootNode()->type(), PListNode::NodeType::dictionary);
    EXPECT_EQ(document->rootNode()->parent(), nullptr);
}

TEST(PListNodeWriting, IntermediateDictionariesFollowTheFlag) {
    struct Case {
        const char* name;
        bool createIntermediate;
        PListDictionary before;
        PListDictionary afterWrite;   // of Int 7 at a → b → c
        PListDictionary afterRemove;  // of none at the same path
    };
    const PListDictionary nested{
        {"a", PListDictionary{{"b", PListDictionary{{"c", std::int64_t{7}}}}}}};
    const PListDictionary emptied{{"a", PListDictionary{{"b", PListDictionary{}}}}};
    const Case cases[] = {
        {"created on an empty document", true, {}, nested, emptied},
        {"forbidden on an empty document", false, {}, {}, {}},
        {"forbidden even where they exist", false, emptied, emptied, emptied},
        {"a String in the way stays", true, {{"a", "x"}}, {{"a", "x"}}, {{"a", "x"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto document = documentWith(c.before);
        document->setCreateIntermediateDictionaries(c.createIntermediate);
        const auto node =
            document->rootNode()->dictionaryChild("a")->dictionaryChild("b")->intChild("c");
        node->setTypedValue(7);
        EXPECT_EQ(document->storage(), c.afterWrite);

        const auto fresh = documentWith(c.before);
        fresh->setCreateIntermediateDictionaries(c.createIntermediate);
        fresh->rootNode()->dictionaryChild("a")->dictionaryChild("b")->intChild("c")->setTypedValue(
            std::nullopt);
        EXPECT_EQ(fresh->storage(), c.afterRemove);
    }
}

TEST(PListNodeWriting, FirstLevelWritesIgnoreTheFlag) {
    for (const bool create : {true, false}) {
        const auto document = documentWith({});
        document->setCreateIntermediateDictionaries(create);
        document->rootNode()->intChild("n")->setTypedValue(5);
        EXPECT_EQ(document->storage(), (PListDictionary{{"n", std::int64_t{5}}})) << create;
    }
}

TEST(PListNodeWriting, WritesStoreTheNodesShapeAndNoneRemovesAnyShape) {
    const auto document = documentWith({
        {"d", PListDictionary{{"old", true}}},
        {"text", "x"},
        {"i", std::int64_t{3}},
        {"keep", "sibling"},
    });
    const auto root = document->rootNode();

    root->dictionaryChild("d")->setTypedValue(PListDictionary{{"new", std::int64_t{1}}});
    EXPECT_EQ(document->storage().dictionaryEntry("d"),
              (PListDictionary{{"new", std::int64_t{1}}}));
    root->dictionaryChild("d")->setTypedValue(std::nullopt);
    EXPECT_FALSE(document->storage().contains("d"));

    root->doubleChild("whole")->setTypedValue(2.0);
    EXPECT_TRUE(document->storage().find("whole")->is<double>());

    root->boolChild("text")->setTypedValue(std::nullopt);  // a String, removed all the same
    EXPECT_FALSE(document->storage().contains("text"));

    // In place: a Double node over Int 3, left alone, stores Double 3.0.
    root->doubleChild("i")->modifyTypedValue(
        [](std::optional<double>& value) { EXPECT_EQ(value, 3.0); });
    EXPECT_TRUE(document->storage().find("i")->is<double>());
    // An Int node over a String reads none; leaving none removes the String.
    root->intChild("keep")->modifyTypedValue(
        [](std::optional<std::int64_t>& value) { EXPECT_EQ(value, std::nullopt); });
    EXPECT_FALSE(document->storage().contains("keep"));

    root->arrayChild("list")->modifyTypedValue(
        [](std::optional<PListArray>& list) { list = PListArray{"first"}; });
    EXPECT_EQ(document->storage().arrayEntry("list"), (PListArray{"first"}));
}

TEST(PListNodeWriting, WritesLeaveEarlierCopiesOfTheStorageAlone) {
    const auto document = documentWith({{"a", PListDictionary{{"b", std::int64_t{1}}}},
                                        {"z", PListDictionary{{"y", std::int64_t{2}}}}});
    const PListDictionary before = document->storage();
    document->rootNode()->dictionaryChild("a")->intChild("b")->setTypedValue(10);
    EXPECT_EQ(before.dictionaryEntry("a")->intEntry("b"), 1);
    EXPECT_EQ(document->storage().dictionaryEntry("a")->intEntry("b"), 10);
    EXPECT_EQ(document->storage().dictionaryEntry("z"), before.dictionaryEntry("z"));
}

TEST(PListNodeRoot, TypedValueIsTheWholeStorage) {
    const auto document = documentWith({{"old", true}});
    const auto root = document->rootNode();
    EXPECT_EQ(root->typedValue(), (PListDictionary{{"old", true}}));
    root->setTypedValue({{"new", std::int64_t{1}}});
    EXPECT_EQ(document->storage(), (PListDictionary{{"new", std::int64_t{1}}}));
    root->modifyTypedValue([](PListDictionary& storage) { storage.setBoolEntry("more", true); });
    EXPECT_EQ(document->storage().boolEntry("more"), true);
}

TEST(PListNodeRoot, AReleasedDocumentLeavesItsNodesEmpty) {
    auto document = documentWith({{"a", PListDictionary{{"b", true}}}});
    const auto root = document->rootNode();
    const auto leaf = root->dictionaryChild("a")->boolChild("b");
    std::weak_ptr<PList> watch = document;
    document.reset();  // nodes do not keep it alive

    EXPECT_TRUE(watch.expired());
    EXPECT_EQ(leaf->typedValue(), std::nullopt);
    EXPECT_EQ(leaf->keyPathValue(), std::nullopt);
    leaf->setTypedValue(false);
    root->intChild("n")->setTypedValue(1);
    root->setTypedValue({{"x", true}});
    EXPECT_EQ(root->typedValue(), PListDictionary());
}

TEST(PListNodeRoot, ResolvesAndStoresKeyPathsFromTheRootEnd) {
    using Step = PListNode::KeyPathStep;
    using Type = PListNode::NodeType;
    const PListDictionary storage{{"a", PListDictionary{{"b", "leaf"}}}};
    // Collected upwards: the step nearest the root is last.
    const PListNode::KeyPath path{Step{"b", Type::string}, Step{"a", Type::dictionary}};
    EXPECT_EQ(PListNode::Root::resolveKeyPath(path, &storage), PListValue::string("leaf"));
    EXPECT_EQ(PListNode::Root::resolveKeyPath({}, &storage), std::nullopt);
    EXPECT_EQ(PListNode::Root::resolveKeyPath(path, nullptr), std::nullopt);
    // A non-dictionary step in the middle reads the value under its own key.
    const PListNode::KeyPath early{Step{"b", Type::string}, Step{"a", Type::any}};
    EXPECT_EQ(PListNode::Root::resolveKeyPath(early, &storage),
              PListValue(PListDictionary{{"b", "leaf"}}));

    const auto document = documentWith(storage);
    EXPECT_EQ(document->rootNode()->keyPathValue(path), PListValue::string("leaf"));
    EXPECT_EQ(document->rootNode()->keyPathValue(), std::nullopt);
}

}  // namespace
}  // namespace zoral::plist
