#pragma once
// The "no node answered" question of an Art-Net sender, asked on the user-interface
// thread (the sender thread only waits for the answer). The console's UI calls this
// from a timer for each sender; it asks only while the sender is waiting.

namespace j4::common {
class Prompt;
}

namespace j4::links {

class ArtNetSender;

// When `sender` waits for an answer, asks its question (Yes/No, caption 40132) through
// `prompt` and passes the answer on: Yes searches again, No sends to this machine.
// Returns true when it asked.
bool askNoNodeQuestion(ArtNetSender& sender, common::Prompt& prompt);

}  // namespace j4::links
