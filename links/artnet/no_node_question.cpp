#include "links/artnet/no_node_question.h"

#include "common/prompt.h"
#include "links/artnet/artnet_sender.h"

namespace j4::links {

bool askNoNodeQuestion(ArtNetSender& sender, common::Prompt& prompt) {
    if (sender.status().state != SenderState::AwaitingAnswer) return false;
    auto answer = prompt.ask(sender.questionTextId(), common::STR_ARTNET_ERROR_CAPTION,
                             common::PromptButtons::YesNo, common::PromptIcon::Question);
    sender.answerNoNode(answer == common::PromptAnswer::Yes);
    return true;
}

}  // namespace j4::links
