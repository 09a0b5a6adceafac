#include "common/prompt.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

namespace j4::common {
namespace {

using A = PromptAnswer;
using B = PromptButtons;

TEST(Prompt, SafeAnswersAndFittingAnswers) {
    struct Case {
        B buttons;
        A safe;
        std::vector<A> fits;
    } cases[] = {
        {B::Ok, A::Ok, {A::Ok}},
        {B::OkCancel, A::Cancel, {A::Ok, A::Cancel}},
        {B::YesNo, A::No, {A::Yes, A::No}},
        {B::YesNoCancel, A::Cancel, {A::Yes, A::No, A::Cancel}},
        {B::RetryCancel, A::Cancel, {A::Retry, A::Cancel}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(safeAnswer(c.buttons), c.safe);
        for (A a : {A::Ok, A::Cancel, A::Yes, A::No, A::Retry}) {
            const bool expected = std::find(c.fits.begin(), c.fits.end(), a) != c.fits.end();
            EXPECT_EQ(answerFits(c.buttons, a), expected) << answerName(a);
        }
    }
}

TEST(ScriptedPrompt, AnswersInOrderAndRecordsEveryQuestion) {
    ScriptedPrompt prompt;
    prompt.queueAnswer(A::Yes);
    prompt.queueAnswer(A::Retry);  // does not fit a Yes/No question
    EXPECT_EQ(prompt.ask(MSG_SAVE_CHANGES, STR_APP_CAPTION, B::YesNoCancel, PromptIcon::Question),
              A::Yes);
    EXPECT_EQ(prompt.ask(MSG_CLOSE_SHOW, STR_APP_CAPTION, B::YesNo, PromptIcon::Question), A::No);
    EXPECT_EQ(prompt.ask(std::string("Cannot read /shows/a.j4")), A::Ok);  // queue empty
    EXPECT_EQ(prompt.ask(MSG_HARDWARE_IN_USE, STR_APP_CAPTION, B::OkCancel), A::Cancel);

    EXPECT_EQ(prompt.askedTextIds(),
              (std::vector<int>{MSG_SAVE_CHANGES, MSG_CLOSE_SHOW, 0, MSG_HARDWARE_IN_USE}));
    const auto asked = prompt.asked();
    ASSERT_EQ(asked.size(), 4u);
    EXPECT_EQ(asked[0].text, "Do you want to save the changes?");
    EXPECT_EQ(asked[0].caption, "Corvanta J4");
    EXPECT_EQ(asked[0].buttons, B::YesNoCancel);
    EXPECT_EQ(asked[0].icon, PromptIcon::Question);
    EXPECT_EQ(asked[2].text, "Cannot read /shows/a.j4");
    EXPECT_EQ(asked[2].icon, PromptIcon::Warning);
    EXPECT_EQ(prompt.misfits(), 1);
    EXPECT_EQ(prompt.unanswered(), 2);
    EXPECT_EQ(prompt.pendingAnswers(), 0u);
}

TEST(ScriptedPrompt, OwnCaptionsAndUnknownIds) {
    ScriptedPrompt prompt;
    PromptRequest request;
    request.textId = PANEL_STR_SELECT_BITMAP;
    request.text = panelStringText(PANEL_STR_SELECT_BITMAP);
    request.captionId = 0;
    request.caption = PANEL_CAPTION;
    prompt.ask(request);
    prompt.ask(9999, 9998);
    const auto asked = prompt.asked();
    EXPECT_EQ(asked[0].caption, "Quelvo");
    EXPECT_EQ(asked[0].text, "Select Bitmap for Sequence");
    EXPECT_EQ(asked[1].text, "Message 9999");
    EXPECT_EQ(asked[1].caption, "Corvanta J4");
}

TEST(HeadlessPrompt, AnswersFromItsDefaultsAndPrintsEachQuestion) {
    std::ostringstream out;
    HeadlessPrompt prompt({{MSG_CONTINUE_WITHOUT_HARDWARE, A::Ok},
                           {MSG_CLOSE_SHOW, A::Yes},
                           {MSG_SAVE_CHANGES, A::Retry}},
                          out);
    EXPECT_EQ(prompt.ask(MSG_CONTINUE_WITHOUT_HARDWARE, STR_APP_CAPTION, B::OkCancel), A::Ok);
    EXPECT_EQ(prompt.ask(MSG_CLOSE_SHOW, STR_APP_CAPTION, B::YesNo), A::Yes);
    // A default that does not fit the buttons, and questions without a default, get the
    // answer that changes nothing.
    EXPECT_EQ(prompt.ask(MSG_SAVE_CHANGES, STR_APP_CAPTION, B::YesNoCancel), A::Cancel);
    EXPECT_EQ(prompt.ask(MSG_EXIT_APPLICATION, STR_APP_CAPTION, B::YesNo), A::No);
    EXPECT_EQ(prompt.ask(std::string("literal"), STR_APP_CAPTION, B::RetryCancel), A::Cancel);
    const std::string text = out.str();
    EXPECT_NE(text.find("Corvanta J4: No Corvanta J4 hardware was detected."), std::string::npos);
    EXPECT_NE(text.find("Do you really want to close the current show? (552) -> Yes\n"),
              std::string::npos);
    EXPECT_NE(text.find("literal -> Cancel\n"), std::string::npos);

    EXPECT_EQ(HeadlessPrompt::consoleDefaults().at(MSG_CONTINUE_WITHOUT_HARDWARE), A::Ok);
}

}  // namespace
}  // namespace j4::common
