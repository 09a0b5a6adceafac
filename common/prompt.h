#pragma once
// The prompt service: the console's message boxes. A caller asks a question by its
// string-table id (or a literal text), with a caption, a set of buttons and an icon, and
// gets the button the user chose. Front ends plug in their own implementation (the Qt
// windows show a dialog); tests use ScriptedPrompt and the headless console uses
// HeadlessPrompt.
//
// Threads: questions are asked only from the user-interface thread. A worker thread
// that needs to tell the user something (the engine thread when the hardware is lost,
// a network sender) hands the request to the user-interface thread and never waits
// for the answer.

#include <map>
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

#include "common/string_table.h"

namespace j4::common {

enum class PromptButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };
enum class PromptIcon { Warning, Question, Information };
enum class PromptAnswer { Ok, Cancel, Yes, No, Retry };

struct PromptRequest {
    int textId = 0;                   // string-table id of the text; 0 for a literal text
    std::string text;                 // the text shown (filled from textId when empty)
    int captionId = STR_APP_CAPTION;  // 0 when `caption` is given directly
    std::string caption;              // the caption shown (filled from captionId when empty)
    PromptButtons buttons = PromptButtons::Ok;
    PromptIcon icon = PromptIcon::Warning;
};

// True when `answer` is one of the buttons of `buttons`.
bool answerFits(PromptButtons buttons, PromptAnswer answer);
// The answer that changes nothing: Ok for a lone OK button, otherwise Cancel or No.
PromptAnswer safeAnswer(PromptButtons buttons);
const char* answerName(PromptAnswer answer);

class Prompt {
  public:
    virtual ~Prompt() = default;

    // A numbered text with a numbered caption (STR_APP_CAPTION for the console).
    PromptAnswer ask(int textId, int captionId = STR_APP_CAPTION,
                     PromptButtons buttons = PromptButtons::Ok,
                     PromptIcon icon = PromptIcon::Warning);
    // A literal text (e.g. one with a file name in it).
    PromptAnswer ask(const std::string& text, int captionId = STR_APP_CAPTION,
                     PromptButtons buttons = PromptButtons::Ok,
                     PromptIcon icon = PromptIcon::Warning);
    // The general form; fills text and caption from their ids when they are empty.
    // An answer that does not fit the buttons is replaced by the safe answer.
    PromptAnswer ask(PromptRequest request);

  protected:
    virtual PromptAnswer show(const PromptRequest& request) = 0;
};

// For tests: answers from a queue and records every question.
class ScriptedPrompt : public Prompt {
  public:
    void queueAnswer(PromptAnswer answer);
    // Every question asked so far, in order, with its ids and resolved texts.
    std::vector<PromptRequest> asked() const;
    std::vector<int> askedTextIds() const;
    // Questions that found the queue empty (answered with the safe answer).
    int unanswered() const;
    // Queued answers nobody asked for yet.
    size_t pendingAnswers() const;
    // Queued answers that were not among the question's buttons (a script error; the
    // caller got the safe answer instead).
    int misfits() const;

  protected:
    PromptAnswer show(const PromptRequest& request) override;

  private:
    mutable std::mutex mutex_;
    std::vector<PromptAnswer> queue_;
    size_t next_ = 0;
    std::vector<PromptRequest> asked_;
    int unanswered_ = 0;
    int misfits_ = 0;
};

// For the headless console: prints each question with its caption on a stream
// (standard error by default) and answers from a table of defaults by text id; any
// other question gets the safe answer.
class HeadlessPrompt : public Prompt {
  public:
    explicit HeadlessPrompt(std::map<int, PromptAnswer> defaults = consoleDefaults());
    HeadlessPrompt(std::map<int, PromptAnswer> defaults, std::ostream& out);

    // The console's headless choices: continue without hardware.
    static std::map<int, PromptAnswer> consoleDefaults();

  protected:
    PromptAnswer show(const PromptRequest& request) override;

  private:
    std::map<int, PromptAnswer> defaults_;
    std::ostream& out_;
};

}  // namespace j4::common
