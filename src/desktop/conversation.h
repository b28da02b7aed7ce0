#pragma once

// Questions put to other applications while the user waits on the answers: a gesture, from where it
// starts to the action it ends with. Every accessibility call is a message to another process,
// answered on that process's main thread, and an application that has stopped answering keeps the
// caller waiting for the whole messaging time-out, call after call. Meanwhile the program's main
// thread serves nothing else, its event tap included, and the window server disables a tap that
// keeps it waiting: the user's input then passes without the program.
//
// While a conversation goes on, every call made through UIElement on the main thread:
//  - waits at most `patience` seconds for its answer (less when the element's own time-out is
//    shorter), well within what the window server allows the event tap;
//  - is not made at all, and fails at once with CannotComplete, when its application has already
//    let a call of the conversation time out: a conversation waits at most once on an application;
//  - while the conversation that asked for it is open, reads an attribute of an element (or
//    whether it can be written) only once: the answer is given again until the program writes or
//    performs an action.
//
// A conversation is open for the life of a Conversation object; one opened while another is open
// joins it. The elements found while it is open belong to it, and so do the elements read from
// them later: their calls made while no conversation is open resume it. It is over when nothing
// holds its record any more: the open Conversation objects, the elements that keep it (what a
// gesture found, for as long as the gesture holds it), a poll that resumes it for each attempt.
// Calls off the main thread, and calls of elements of no live conversation, go out as they are.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

#include "platform/accessibility.h"

namespace zoral::desktop {

class UIElement;

// What one conversation has learnt.
class ConversationRecord {
public:
    bool hasGivenUpOn(platform::ProcessId pid) const { return givenUp_.contains(pid); }
    void giveUpOn(platform::ProcessId pid) { givenUp_.insert(pid); }

    // Answers are kept while the conversation that asked for them is open.
    bool keepsAnswers() const { return keepsAnswers_; }
    void setKeepsAnswers(bool keeps);
    // The answer of an earlier read (of a value, or of whether it can be written), when answers
    // are kept and there was one.
    template <class Answer>
    std::optional<Answer> kept(platform::ax::Element element, std::string_view attribute) const {
        const auto& answers = answersOf<Answer>();
        const auto found = answers.find({element.identifier(), std::string(attribute)});
        return found == answers.end() ? std::nullopt : std::optional<Answer>(found->second);
    }
    template <class Answer>
    void keep(platform::ax::Element element, std::string_view attribute, const Answer& answer) {
        if (keepsAnswers_)
            answersOf<Answer>().insert_or_assign({element.identifier(), std::string(attribute)},
                                                 answer);
    }
    // After a write or an action the kept answers may be out of date.
    void forgetAnswers();

private:
    template <class Answer>
    using Answers = std::map<std::pair<std::uint64_t, std::string>, Answer>;
    using ValueAnswer = platform::ax::Result<platform::ax::Value>;
    using SettableAnswer = platform::ax::Result<bool>;

    template <class Answer>
    Answers<Answer>& answersOf() {
        if constexpr (std::is_same_v<Answer, ValueAnswer>) {
            return values_;
        } else {
            return settable_;
        }
    }
    template <class Answer>
    const Answers<Answer>& answersOf() const {
        if constexpr (std::is_same_v<Answer, ValueAnswer>) {
            return values_;
        } else {
            return settable_;
        }
    }

    bool keepsAnswers_ = false;
    std::set<platform::ProcessId> givenUp_;
    Answers<ValueAnswer> values_;
    Answers<SettableAnswer> settable_;
};

class Conversation {
public:
    // Seconds a call waits for its answer: half of the second or so that the window server waits
    // for an event tap, so that one unanswered call leaves the tap time for its own work.
    static constexpr float patience = 0.5f;

    // Whether the answers of reads are kept while this conversation is open.
    enum class Answers : std::uint8_t { asked, kept };

    // Joins the open conversation, or opens a new one.
    explicit Conversation(Answers answers = Answers::asked);
    // Joins the open conversation, else resumes the one the element belongs to, else opens a new
    // one: an operation on what a gesture found goes on with the gesture's conversation.
    explicit Conversation(const UIElement& subject);
    // Resumes a conversation from its record.
    explicit Conversation(std::shared_ptr<ConversationRecord> record);
    ~Conversation();
    Conversation(const Conversation&) = delete;
    Conversation& operator=(const Conversation&) = delete;

    const std::shared_ptr<ConversationRecord>& record() const { return record_; }

    // The record of the conversation open on the main thread; none off it, or when none is open.
    static std::shared_ptr<ConversationRecord> open();

private:
    void install();

    std::shared_ptr<ConversationRecord> record_;
    std::shared_ptr<ConversationRecord> previous_;
    bool installed_ = false;
    bool keepsAnswers_ = false;
};

}  // namespace zoral::desktop
