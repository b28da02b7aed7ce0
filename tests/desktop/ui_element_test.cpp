#include "desktop/ui_element.h"

#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "desktop/application.h"
#include "desktop/window.h"
#include "element_world.h"
#include "platform/scheduler.h"

namespace zoral::desktop {
namespace {

using platform::CGPoint;
using platform::CGRect;
using platform::CGSize;
namespace ax = platform::ax;
using testing::ElementWorldTest;

class UIElementTest : public ElementWorldTest {};

// The code an AXError raised by the call carries; none when it raised nothing.
template <class Call>
std::optional<std::int32_t> raisedCode(Call&& call) {
    try {
        call();
    } catch (const AXError& error) {
        return error.axCode();
    }
    return std::nullopt;
}

TEST_F(UIElementTest, ByNameFormsRaiseByTheErrorRuleAndCaseFormsNeverRaise) {
    struct Row {
        ax::Error code;
        bool readRaises;  // reads and settable tests by name
    };
    const std::vector<Row> rows = {
        {ax::noValue, false},       {ax::attributeUnsupported, false},
        {ax::cannotComplete, true}, {ax::invalidUIElement, true},
        {ax::apiDisabled, true},    {ax::actionUnsupported, true},
        {ax::failure, true},        {static_cast<ax::Error>(-1), true},
    };
    const auto element = wrap(window);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.code);
        world->clearInjectedErrors();
        world->injectError(window->element(), "AXTitle", row.code);
        world->injectError(window->element(), "AXRaise", row.code);
        const std::optional<std::int32_t> expectedForReads =
            row.readRaises ? std::optional<std::int32_t>(row.code) : std::nullopt;

        std::optional<std::string> read = "unset";
        EXPECT_EQ(raisedCode([&] { read = element->attributeByName<std::string>("AXTitle"); }),
                  expectedForReads);
        if (!row.readRaises) {
            EXPECT_EQ(read, std::nullopt);
        }
        bool settable = true;
        EXPECT_EQ(raisedCode([&] { settable = element->isSettableByName("AXTitle"); }),
                  expectedForReads);
        if (!row.readRaises) {
            EXPECT_FALSE(settable);
        }
        EXPECT_EQ(raisedCode([&] { element->setAttributeByName("AXTitle", "x"); }), row.code);
        EXPECT_EQ(raisedCode([&] { element->performActionByName("AXRaise"); }), row.code);

        EXPECT_EQ(raisedCode([&] {
                      EXPECT_EQ(element->attribute<std::string>(Attribute::title), std::nullopt);
                      EXPECT_FALSE(element->isSettable(Attribute::title));
                      element->setAttribute(Attribute::title, "x");
                      EXPECT_FALSE(element->performAction(AXAction::raise));
                  }),
                  std::nullopt);
    }
}

TEST_F(UIElementTest, ResultFormsAnswerEveryCodeInOneCallWithoutRaising) {
    const auto element = wrap(window);
    for (const ax::Error code : {ax::noValue, ax::attributeUnsupported, ax::cannotComplete,
                                 ax::failure, static_cast<ax::Error>(-1)}) {
        SCOPED_TRACE(code);
        world->clearInjectedErrors();
        world->injectError(window->element(), "AXTitle", code);
        world->injectError(window->element(), "AXRaise", code);
        world->resetRoundTrips();
        EXPECT_EQ(raisedCode([&] {
                      EXPECT_EQ(element->tryAttributeValue("AXTitle").error(), code);
                      EXPECT_EQ(element->tryIsSettable("AXTitle").error(), code);
                      EXPECT_EQ(element->trySetAttribute("AXTitle", "x"), code);
                      EXPECT_EQ(element->tryPerformAction("AXRaise"), code);
                  }),
                  std::nullopt);
        EXPECT_EQ(world->roundTripCount(), 4);
    }

    world->clearInjectedErrors();
    const auto title = element->tryAttributeValue("AXTitle");
    ASSERT_TRUE(title.ok());
    EXPECT_EQ(valueAs<std::string>(title.value()), "Notes");
    EXPECT_EQ(element->tryIsSettable("AXPosition").optional(), true);
    EXPECT_EQ(element->trySetAttribute("AXPosition", CGPoint{120, 130}), ax::success);
    EXPECT_EQ(element->position(), (CGPoint{120, 130}));
    EXPECT_EQ(element->tryPerformAction("AXRaise"), ax::success);
    // What the element does not have is a code like any other.
    EXPECT_EQ(wrap(textArea)->tryAttributeValue("AXMinimized").error(), ax::attributeUnsupported);
}

TEST_F(UIElementTest, UnsupportedAttributesReadAsNoneAndRefuseWrites) {
    const auto element = wrap(textArea);
    EXPECT_EQ(element->attributeByName<bool>("AXMinimized"), std::nullopt);
    EXPECT_FALSE(element->isSettableByName("AXMinimized"));
    EXPECT_EQ(raisedCode([&] { element->setAttributeByName("AXMinimized", true); }),
              ax::attributeUnsupported);
    // The action exists on the button only.
    EXPECT_TRUE(wrap(closeButton)->performAction(AXAction::press));
    EXPECT_FALSE(element->performAction(AXAction::press));
}

TEST_F(UIElementTest, AHungApplicationsReadsRaiseCannotCompleteAfterTheTimeout) {
    world->process(editorPid)->hung = true;
    const auto element = wrap(window);
    const double start = scheduler().now().uptimeSeconds();
    EXPECT_EQ(raisedCode([&] { (void)element->attributeByName<std::string>("AXTitle"); }),
              ax::cannotComplete);
    EXPECT_DOUBLE_EQ(scheduler().now().uptimeSeconds() - start,
                     sim::World::defaultMessagingTimeout);
    EXPECT_EQ(element->title(), std::nullopt);
}

TEST_F(UIElementTest, ValuesAreUnpackedAndTakenAsTheRequestedType) {
    const ax::Value::Array elements{closeButton->element(), group->element()};
    textArea->set("AXURL", ax::Url{"file:///tmp/notes.txt"});
    textArea->set("AXVisibleCharacterRange", ax::Range{2, 5});
    textArea->set("AXNumberOfCharacters", 5);
    textArea->set("AXError", ax::ErrorValue{ax::cannotComplete});
    textArea->set("AXLinkedUIElements", elements);
    textArea->set("AXMixed", ax::Value::Array{closeButton->element(), "text"});
    textArea->set("AXRatio", 0.5);
    const auto element = wrap(textArea);

    EXPECT_EQ(element->attributeByName<std::string>("AXValue"), "hello");
    EXPECT_EQ(element->urlAttribute("AXURL")->text, "file:///tmp/notes.txt");
    EXPECT_EQ(element->attributeByName<ax::Range>("AXVisibleCharacterRange"), (ax::Range{2, 5}));
    EXPECT_EQ(element->attributeByName<int>("AXNumberOfCharacters"), 5);
    EXPECT_EQ(element->attributeByName<double>("AXNumberOfCharacters"), 5.0);
    EXPECT_EQ(element->attributeByName<int>("AXRatio"), std::nullopt) << "0.5 is no integer";
    EXPECT_EQ(element->attributeByName<AXError>("AXError")->axCode(), ax::cannotComplete);
    const auto linked = element->elementsAttribute("AXLinkedUIElements");
    ASSERT_TRUE(linked.has_value());
    ASSERT_EQ(linked->size(), 2u);
    EXPECT_EQ((*linked)[1]->element(), group->element());
    EXPECT_EQ(element->elementsAttribute("AXMixed"), std::nullopt) << "one item is no element";
    EXPECT_EQ(element->attributeByName<ax::Value::Array>("AXMixed")->size(), 2u);

    const auto windowElement = wrap(window);
    EXPECT_EQ(windowElement->pointAttribute("AXPosition"), (CGPoint{100, 100}));
    EXPECT_EQ(windowElement->sizeAttribute("AXSize"), (CGSize{400, 300}));
    EXPECT_EQ(windowElement->rectAttribute("AXFrame"), (CGRect{100, 100, 400, 300}));
    EXPECT_EQ(windowElement->boolAttribute("AXMinimized"), false);
    EXPECT_EQ(windowElement->elementAttribute("AXParent")->element(), application->element());
    // A value of another kind is no value.
    EXPECT_EQ(windowElement->boolAttribute("AXTitle"), std::nullopt);
    EXPECT_EQ(windowElement->elementAttribute("AXTitle"), nullptr);
    EXPECT_EQ(windowElement->frame(), (CGRect{100, 100, 400, 300}));
    EXPECT_EQ(element->frame(), CGRect()) << "no frame reads as zero";
}

TEST(UnpackedValue, NumbersConvertOnlyWhenTheyKeepTheirValue) {
    const double twoTo63 = 9223372036854775808.0;
    EXPECT_EQ(valueAs<int>(UnpackedValue(3.0)), 3);
    EXPECT_EQ(valueAs<int>(UnpackedValue(3.5)), std::nullopt);
    EXPECT_EQ(valueAs<int>(UnpackedValue(std::numeric_limits<double>::quiet_NaN())), std::nullopt);
    EXPECT_EQ(valueAs<std::int64_t>(UnpackedValue(twoTo63)), std::nullopt);
    EXPECT_EQ(valueAs<std::int64_t>(UnpackedValue(-twoTo63)),
              std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(valueAs<std::int32_t>(UnpackedValue(std::int64_t{1} << 40)), std::nullopt);
    EXPECT_EQ(valueAs<std::uint32_t>(UnpackedValue(std::int64_t{-1})), std::nullopt);
    EXPECT_EQ(valueAs<double>(UnpackedValue(std::numeric_limits<std::int64_t>::max())),
              std::nullopt);
    EXPECT_EQ(valueAs<float>(UnpackedValue(0.1)), std::nullopt);
    EXPECT_EQ(valueAs<bool>(UnpackedValue(std::int64_t{1})), std::nullopt);
}

TEST_F(UIElementTest, MessagingTimeoutStoresNothingBelowZeroAndBoundsEveryCall) {
    const auto element = wrap(window);
    world->process(editorPid)->hung = true;
    const auto timedRead = [&] {
        const double start = scheduler().now().uptimeSeconds();
        (void)element->attribute<std::string>(Attribute::title);
        return scheduler().now().uptimeSeconds() - start;
    };
    EXPECT_EQ(element->messagingTimeout(), 0.0f);
    element->setMessagingTimeout(0.5f);
    EXPECT_DOUBLE_EQ(timedRead(), 0.5);
    for (float stored : {-1.0f, 0.0f, std::numeric_limits<float>::quiet_NaN()}) {
        element->setMessagingTimeout(0.5f);
        element->setMessagingTimeout(stored);
        EXPECT_EQ(element->messagingTimeout(), 0.0f) << stored;
        EXPECT_DOUBLE_EQ(timedRead(), sim::World::defaultMessagingTimeout) << stored;
    }
}

TEST_F(UIElementTest, AncestorsStopAtTwentyAndAtTheApplication) {
    // A chain of 25 groups below the window: the walk stops after 20 parents.
    std::shared_ptr<sim::Node> deepest = textArea;
    for (int level = 0; level < 25; ++level) {
        auto node = world->makeNode(editorPid, "AXGroup");
        deepest->appendChild(node);
        deepest = node;
    }
    const auto ancestors = wrap(deepest)->ancestors();
    ASSERT_EQ(ancestors.size(), 20u);
    EXPECT_EQ(ancestors.front()->element(), deepest->parent()->element());

    const auto shallow = wrap(textArea)->ancestors();
    std::vector<ax::Element> chain;
    for (const auto& ancestor : shallow)
        chain.push_back(ancestor->element());
    EXPECT_EQ(chain, (std::vector<ax::Element>{group->element(), window->element(),
                                               application->element()}));
    EXPECT_TRUE(wrap(application)->ancestors().empty());
    // Each walk is timed in the log; without latency it takes no virtual time.
    EXPECT_EQ(output.lines(), std::vector<std::string>(3, "AXAncestors retrieved in 0.0"));
}

TEST_F(UIElementTest, RelationsAreReadOnceAndCanBeAssigned) {
    const auto element = wrap(window);
    EXPECT_EQ(element->title(), "Notes");
    EXPECT_EQ(element->role(), Role::window);
    EXPECT_EQ(element->subrole(), std::nullopt);
    world->resetRoundTrips();
    window->set("AXTitle", "Renamed");
    EXPECT_EQ(element->title(), "Notes") << "nothing invalidates the cache";
    EXPECT_EQ(element->role(), Role::window);
    EXPECT_EQ(world->roundTripCount(), 0);
    element->setTitle("Assigned");
    EXPECT_EQ(element->title(), "Assigned");
    element->setTitle(std::nullopt);
    EXPECT_EQ(element->title(), std::nullopt);

    EXPECT_EQ(wrap(closeButton)->subrole(), Subrole::closeButton);
    auto unknownRole = world->makeNode(editorPid, "AXSomethingNew");
    EXPECT_EQ(wrap(unknownRole)->role(), std::nullopt);

    std::vector<ax::Element> descendants;
    for (const auto& descendant : element->descendants())
        descendants.push_back(descendant->element());
    // Children and grandchildren only: the text area sits two levels down.
    EXPECT_EQ(descendants, (std::vector<ax::Element>{closeButton->element(), group->element(),
                                                     textArea->element()}));
    EXPECT_TRUE(wrap(textArea)->children().empty());
    EXPECT_EQ(wrap(textArea)->parent()->element(), group->element());
    EXPECT_EQ(wrap(application)->parent(), nullptr);
}

TEST_F(UIElementTest, FirstAncestorSearchesABoundedChainBelowTheApplication) {
    const auto isWindow = [](const UIElement& e) { return e.role() == Role::window; };
    const auto isApplication = [](const UIElement& e) { return e.role() == Role::application; };
    const auto text = wrap(textArea);
    EXPECT_EQ(text->firstAncestor(5, false, isWindow)->element(), window->element());
    EXPECT_EQ(text->firstAncestor(1, false, isWindow), nullptr) << "two steps needed";
    EXPECT_EQ(text->firstAncestor(-3, false, isWindow), nullptr);
    const auto windowElement = wrap(window);
    EXPECT_EQ(windowElement->firstAncestor(0, true, isWindow), windowElement);
    EXPECT_EQ(windowElement->firstAncestor(0, false, isWindow), nullptr);
    EXPECT_EQ(text->firstAncestor(10, false, isApplication)->element(), application->element());
    EXPECT_EQ(wrap(application)->firstAncestor(10, false, isApplication), nullptr);
}

TEST_F(UIElementTest, WindowComesFromTheRoleTheWindowAttributeOrTheAncestors) {
    auto other = addWindow(application, "Other", {0, 0, 10, 10});
    textArea->set("AXWindow", other->element());
    closeButton->set("AXWindow", "not an element");
    auto sheet = world->makeNode(editorPid, "AXSheet");
    group->set("AXWindow", sheet->element());

    EXPECT_EQ(wrap(window)->window()->element(), window->element());
    EXPECT_EQ(wrap(textArea)->window()->element(), other->element()) << "the attribute first";
    EXPECT_EQ(wrap(closeButton)->window()->element(), window->element());
    EXPECT_EQ(wrap(group)->window()->element(), window->element()) << "a sheet is no window";
    EXPECT_EQ(wrap(application)->window(), nullptr);
}

TEST_F(UIElementTest, ApplicationIsTheRunningApplicationOfThePid) {
    const auto owner = wrap(textArea)->application();
    ASSERT_NE(owner, nullptr);
    EXPECT_EQ(owner->element(), application->element());
    EXPECT_EQ(owner->bundleIdentifier(), "org.example.editor");
    const auto systemWide = std::make_shared<UIElement>(ax::createSystemWide());
    EXPECT_EQ(systemWide->application(), nullptr) << "pid 0 is no application";
    const auto gone = wrap(textArea);
    world->removeProcess(editorPid);
    EXPECT_EQ(gone->pid(), editorPid) << "an element keeps its process's identifier";
    EXPECT_EQ(gone->application(), nullptr);
}

TEST_F(UIElementTest, DescriptionNamesRolePidAndWhatIdentifiesTheElement) {
    auto untitled = addWindow(application, "", {0, 0, 10, 10});
    untitled->remove("AXTitle");
    auto noRole = world->makeNode(editorPid, "");
    world->addProcess(40, "", "Nameless");
    const auto windowObject = Window::make(*wrap(untitled));
    windowObject->setId(34);

    struct Row {
        std::string expected;
        UIElementRef element;
    };
    const std::vector<Row> rows = {
        {"<AXWindow pid=12 id=34 ->", windowObject},
        {"<AXWindow pid=12 id=0 Notes>", wrap(window)},
        {"<AXApplication pid=12 org.example.editor>", Application::applicationForPID(editorPid)},
        {"<AXApplication pid=12 ->", wrap(application)},
        {"<AXApplication pid=40 ->", Application::applicationForPID(40)},
        {"<AXTextArea pid=12 ->", wrap(textArea)},
        {"<AXNullElement pid=12 ->", wrap(noRole)},
        {"<AXNullElement pid=? ->", std::make_shared<UIElement>(ax::Element(999999))},
    };
    for (const Row& row : rows) {
        ASSERT_NE(row.element, nullptr) << row.expected;
        EXPECT_EQ(row.element->description(), row.expected);
    }
    closeButton->set("AXTitle", "Close");
    EXPECT_EQ(wrap(closeButton)->description(), "<AXButton pid=12 Close>");
}

TEST_F(UIElementTest, ElementsAreEqualWhenTheyWrapTheSameElement) {
    EXPECT_EQ(*wrap(window), *wrap(window));
    EXPECT_FALSE(*wrap(window) == *wrap(group));
    EXPECT_EQ(*wrap(window), *Window::make(*wrap(window)));
}

TEST_F(UIElementTest, DelayedWritesAndActionsRunOnTheAXQueueAfterTheirDelay) {
    const double start = scheduler().now().uptimeSeconds();
    {
        // The caller lets go at once; the work keeps the element alive.
        const auto element = wrap(window);
        element->setAttributeAfter(Attribute::position, CGPoint{5, 6}, 0.25);
        element->performActionAfter(AXAction::raise);
    }
    const auto pending = scheduler().pendingWork();
    ASSERT_EQ(pending.size(), 2u);
    for (const auto& work : pending)
        EXPECT_EQ(work.queueLabel, "AXQueue");
    EXPECT_TRUE(axQueue().isConcurrent());

    scheduler().advance(0.005);
    EXPECT_TRUE(window->calls.empty()) << "nothing runs before its deadline";
    scheduler().advance(1);
    ASSERT_EQ(window->callNames(), (std::vector<std::string>{"AXRaise", "AXPosition"}));
    EXPECT_DOUBLE_EQ(window->calls[0].time - start, 0.01);
    EXPECT_DOUBLE_EQ(window->calls[1].time - start, 0.25);
    EXPECT_EQ(window->calls[1].value, ax::Value(CGPoint{5, 6}));
}

TEST_F(UIElementTest, FramesAreWrittenSizePositionSizeAndFailuresDropped) {
    const auto element = wrap(window);
    element->setFrame(CGRect{1, 2, 300, 200});
    EXPECT_EQ(window->callNames(), (std::vector<std::string>{"AXSize", "AXPosition", "AXSize"}));
    EXPECT_EQ(element->position(), (CGPoint{1, 2}));
    EXPECT_EQ(element->size(), (CGSize{300, 200}));
    world->injectError(window->element(), "AXSize", ax::cannotComplete);
    EXPECT_NO_THROW(element->setSizeAndPosition(7, 8, 9, 10));
    EXPECT_EQ(element->position(), (CGPoint{7, 8}));
}

TEST_F(UIElementTest, ActionsListOnlyKnownCasesAndEmptyOnFailure) {
    closeButton->setActions({"AXPress", "AXMadeUpAction", "AXShowMenu"});
    const auto button = wrap(closeButton);
    EXPECT_EQ(button->actions(), (std::vector<AXAction>{AXAction::press, AXAction::showMenu}));
    world->process(editorPid)->hung = true;
    EXPECT_TRUE(button->actions().empty());
}

TEST_F(UIElementTest, ElementAtPositionWrapsTheHitAndGivesNoneOnFailure) {
    const auto appElement = wrap(application);
    const auto hit = appElement->elementAtPosition(112.0f, 107.0f);
    ASSERT_NE(hit, nullptr);
    EXPECT_EQ(hit->element(), closeButton->element());
    const UIElement& hitElement = *hit;
    EXPECT_EQ(typeid(hitElement), typeid(UIElement)) << "a plain element";
    EXPECT_EQ(appElement->elementAtPosition(5000.0f, 5000.0f), nullptr);
}

TEST_F(UIElementTest, DumpListsEveryAttributeWithValueAndSettableFlag) {
    const auto dump = wrap(window)->dumpAttributes();
    ASSERT_TRUE(dump.contains("AXTitle"));
    EXPECT_EQ(std::get<std::string>(*dump.at("AXTitle").value), "Notes");
    EXPECT_EQ(dump.at("AXTitle").settable, false);
    EXPECT_EQ(dump.at("AXPosition").settable, true);
    EXPECT_TRUE(dump.contains("AXChildren"));
    world->removeProcess(editorPid);
    EXPECT_TRUE(wrap(window)->dumpAttributes().empty());
}

}  // namespace
}  // namespace zoral::desktop
