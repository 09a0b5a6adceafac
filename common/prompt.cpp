#include "common/prompt.h"

#include <iostream>
#include <utility>

namespace j4::common {

bool answerFits(PromptButtons buttons, PromptAnswer answer) {
    using A = PromptAnswer;
    switch (buttons) {
        case PromptButtons::Ok:
            return answer == A::Ok;
        case PromptButtons::OkCancel:
            return answer == A::Ok || answer == A::Cancel;
        case PromptButtons::YesNo:
            return answer == A::Yes || answer == A::No;
        case PromptButtons::YesNoCancel:
            return answer == A::Yes || answer == A::No || answer == A::Cancel;
        case PromptButtons::RetryCancel:
            return answer == A::Retry || answer == A::Cancel;
    }
    return false;
}

PromptAnswer safeAnswer(PromptButtons buttons) {
    switch (buttons) {
        case PromptButtons::Ok:
            return PromptAnswer::Ok;
        case PromptButtons::YesNo:
            return PromptAnswer::No;
        default:
            return PromptAnswer::Cancel;
    }
}

const char* answerName(PromptAnswer answer) {
    switch (answer) {
        case PromptAnswer::Ok:
            return "OK";
        case PromptAnswer::Cancel:
            return "Cancel";
        case PromptAnswer::Yes:
            return "Yes";
        case PromptAnswer::No:
            return "No";
        case PromptAnswer::Retry:
            return "Retry";
    }
    return "?";
}

PromptAnswer Prompt::ask(int textId, int captionId, PromptButtons buttons, PromptIcon icon) {
    PromptRequest request;
    request.textId = textId;
    request.captionId = captionId;
    request.buttons = buttons;
    request.icon = icon;
    return ask(std::move(request));
}

PromptAnswer Prompt::ask(const std::string& text, int captionId, PromptButtons buttons,
                         PromptIcon icon) {
    PromptRequest request;
    request.text = text;
    request.captionId = captionId;
    request.buttons = buttons;
    request.icon = icon;
    return ask(std::move(request));
}

PromptAnswer Prompt::ask(PromptRequest request) {
    if (request.text.empty() && request.textId != 0) {
        const char* text = stringText(request.textId);
        // An unknown id still shows something a user can report.
        request.text = text != nullptr ? text : "Message " + std::to_string(request.textId);
    }
    if (request.caption.empty() && request.captionId != 0) {
        const char* caption = stringText(request.captionId);
        request.caption = caption != nullptr ? caption : stringText(STR_APP_CAPTION);
    }
    const PromptAnswer answer = show(request);
    return answerFits(request.buttons, answer) ? answer : safeAnswer(request.buttons);
}

void ScriptedPrompt::queueAnswer(PromptAnswer answer) {
    std::lock_guard lock(mutex_);
    queue_.push_back(answer);
}

std::vector<PromptRequest> ScriptedPrompt::asked() const {
    std::lock_guard lock(mutex_);
    return asked_;
}

std::vector<int> ScriptedPrompt::askedTextIds() const {
    std::lock_guard lock(mutex_);
    std::vector<int> ids;
    for (const auto& r : asked_) ids.push_back(r.textId);
    return ids;
}

int ScriptedPrompt::unanswered() const {
    std::lock_guard lock(mutex_);
    return unanswered_;
}

size_t ScriptedPrompt::pendingAnswers() const {
    std::lock_guard lock(mutex_);
    return queue_.size() - next_;
}

int ScriptedPrompt::misfits() const {
    std::lock_guard lock(mutex_);
    return misfits_;
}

PromptAnswer ScriptedPrompt::show(const PromptRequest& request) {
    std::lock_guard lock(mutex_);
    asked_.push_back(request);
    if (next_ >= queue_.size()) {
        ++unanswered_;
        return safeAnswer(request.buttons);
    }
    const PromptAnswer answer = queue_[next_++];
    if (!answerFits(request.buttons, answer)) ++misfits_;
    return answer;
}

HeadlessPrompt::HeadlessPrompt(std::map<int, PromptAnswer> defaults)
    : HeadlessPrompt(std::move(defaults), std::cerr) {}

HeadlessPrompt::HeadlessPrompt(std::map<int, PromptAnswer> defaults, std::ostream& out)
    : defaults_(std::move(defaults)), out_(out) {}

std::map<int, PromptAnswer> HeadlessPrompt::consoleDefaults() {
    return {{MSG_CONTINUE_WITHOUT_HARDWARE, PromptAnswer::Ok}};
}

PromptAnswer HeadlessPrompt::show(const PromptRequest& request) {
    PromptAnswer answer = safeAnswer(request.buttons);
    if (request.textId != 0) {
        const auto it = defaults_.find(request.textId);
        if (it != defaults_.end() && answerFits(request.buttons, it->second)) answer = it->second;
    }
    out_ << request.caption << ": " << request.text;
    if (request.textId != 0) out_ << " (" << request.textId << ")";
    out_ << " -> " << answerName(answer) << '\n';
    out_.flush();
    return answer;
}

}  // namespace j4::common
