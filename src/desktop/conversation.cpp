#include "desktop/conversation.h"

#include "desktop/ui_element.h"
#include "platform/dispatch.h"
#include "platform/process_state.h"

namespace zoral::desktop {

namespace {

// The conversation open on the main thread. Only the main thread touches it.
struct OpenRecord {
    std::shared_ptr<ConversationRecord> record;
};

std::shared_ptr<ConversationRecord>& openRecord() {
    return platform::processPart<OpenRecord>().record;
}

}  // namespace

void ConversationRecord::setKeepsAnswers(bool keeps) {
    keepsAnswers_ = keeps;
    if (!keeps)
        forgetAnswers();
}

void ConversationRecord::forgetAnswers() {
    values_.clear();
    settable_.clear();
}

Conversation::Conversation(Answers answers) {
    if (auto joined = open()) {
        record_ = std::move(joined);
        return;
    }
    record_ = std::make_shared<ConversationRecord>();
    if (answers == Answers::kept) {
        record_->setKeepsAnswers(true);
        keepsAnswers_ = true;
    }
    install();
}

Conversation::Conversation(const UIElement& subject) {
    if (auto joined = open()) {
        record_ = std::move(joined);
        return;
    }
    record_ = subject.conversation();
    if (!record_)
        record_ = std::make_shared<ConversationRecord>();
    install();
}

Conversation::Conversation(std::shared_ptr<ConversationRecord> record)
    : record_(std::move(record)) {
    if (!record_)
        record_ = std::make_shared<ConversationRecord>();
    install();
}

void Conversation::install() {
    if (!platform::isMainThread())
        return;
    previous_ = std::exchange(openRecord(), record_);
    installed_ = true;
}

Conversation::~Conversation() {
    if (keepsAnswers_)
        record_->setKeepsAnswers(false);
    if (installed_)
        openRecord() = std::move(previous_);
}

std::shared_ptr<ConversationRecord> Conversation::open() {
    return platform::isMainThread() ? openRecord() : nullptr;
}

}  // namespace zoral::desktop
