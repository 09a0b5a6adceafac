#pragma once
// An Art-Net sender: finds a node with ArtPoll, then sends the frames the engine hands
// it as ArtDmx, from its own thread. Two roles share the code:
//   - the Art-Net output sends all 16 universes (port address k for console
//     universe k+1) to the first node that answers;
//   - the VJ link sends one universe to the node whose short name is the target
//     ("ArKaos VJ"); the node's SubSwitch and SwOut pick the universe.
//
// Threads: the engine thread calls sendFrame (copy, set an event, return; no
// allocation), the patch code calls setSendLength, the UI thread calls start, stop,
// status and answerNoNode. The sender thread waits with poll() on its socket and
// eventfd events, so stop() never depends on a socket time-out.
//
// When no node answers, the sender does not ask anyone itself: it parks in
// AwaitingAnswer and the console's UI thread asks the question (ids below) through
// the prompt service and passes the answer to answerNoNode(). Headless
// (askWhenNoNode false) it keeps searching quietly.

#include <array>
#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <thread>

#include "common/frame_sink.h"
#include "common/string_table.h"
#include "links/artnet/artnet_packets.h"
#include "links/artnet/frame_store.h"
#include "links/artnet/network_settings.h"
#include "links/artnet/send_lengths.h"
#include "platform/event.h"

namespace j4::links {

enum class SenderRole { AllUniverses, VjNode };

enum class SenderState {
    Stopped,         // not started
    Discovering,     // polling for a node
    AwaitingAnswer,  // no node answered; waiting for answerNoNode()
    Sending,         // sending ArtDmx to `destination`
    Failed           // the thread ended on a socket error; stop() clears it
};

// The short name the VJ link looks for.
inline constexpr std::string_view VJ_TARGET_NAME = "ArKaos VJ";

struct SenderStatus {
    bool started = false;
    SenderState state = SenderState::Stopped;
    uint32_t destination = 0;  // IPv4, network byte order; valid while Sending
    uint16_t portAddress = 0;  // VJ link: the node's port address
    uint64_t framesSent = 0;   // frame rounds sent
    uint64_t packetsSent = 0;  // ArtDmx datagrams sent
    uint64_t sendErrors = 0;   // datagrams the system refused (kept going)
    uint64_t searches = 0;     // discoveries that found no node
    int lastError = 0;         // errno of the last socket failure
};

class ArtNetSender : public common::FrameSink, public common::SendLengthListener {
  public:
    explicit ArtNetSender(SenderRole role);
    ~ArtNetSender() override;
    ArtNetSender(const ArtNetSender&) = delete;
    ArtNetSender& operator=(const ArtNetSender&) = delete;

    // 0 when started (or already running); -1 when the interface address names no
    // local interface, the target name cannot fit a short name (17 characters), or
    // the thread cannot be created. The VJ link uses `targetName` (empty: any node).
    int start(const NetworkSettings& settings, std::string_view targetName = VJ_TARGET_NAME);
    // Wakes the thread, waits for it and clears the started flag. Safe at any state.
    void stop();
    bool isStarted() const { return started_.load(); }
    // Why the last start() failed.
    const std::string& startError() const { return startError_; }

    // Copies the range into the frame buffer and wakes the sender; -1 for a first
    // channel below 1, a negative length or a range past channel 8192.
    int sendFrame(int firstChannel, int length, const uint8_t* bytes) override;
    // Refused (ignored) for a universe outside 1..16 or a channel outside 0..512.
    void setSendLength(int universe, int highestChannel) override;
    // The same, telling whether it was taken: 0, or -1 when refused.
    int trySetSendLength(int universe, int highestChannel);
    int sendLength(int universe) const;

    SenderStatus status() const;
    SenderRole role() const { return role_; }
    // While AwaitingAnswer: the text id of the question to ask (caption
    // STR_ARTNET_ERROR_CAPTION, Yes/No; see askNoNodeQuestion()).
    int questionTextId() const {
        return role_ == SenderRole::VjNode ? common::MSG_ARKAOS_NOT_FOUND
                                           : common::MSG_ARTNET_NOT_FOUND;
    }
    // Yes (keepSearching): search again after a pause. No: send to this machine
    // (127.0.0.1; the VJ link as port address 15). Ignored unless AwaitingAnswer.
    void answerNoNode(bool keepSearching);

  private:
    struct Target {
        uint32_t address = 0;
        uint16_t portAddress = 0;
    };
    enum class Found { Node, NoNode, Stopped, Failed };
    enum class Ended { Stopped, Rediscover, Failed };

    void run();
    Found discover(Target& target);
    bool accepts(std::span<const uint8_t> datagram, Target& target) const;
    Ended sendLoop(const Target& target);
    void sendRound(int fd, const Target& target);
    void fail(int error);

    const SenderRole role_;
    NetworkSettings settings_;
    uint32_t broadcast_ = 0;
    std::string targetName_;
    std::string startError_;

    FrameStore frames_;
    SendLengths lengths_;
    platform::Event stop_{platform::Event::Reset::Manual};
    platform::Event answerEvent_{platform::Event::Reset::Auto};
    std::atomic<bool> keepSearching_{false};
    std::thread thread_;

    std::atomic<bool> started_{false};
    std::atomic<SenderState> state_{SenderState::Stopped};
    std::atomic<uint32_t> destination_{0};
    std::atomic<uint16_t> portAddress_{0};
    std::atomic<uint64_t> framesSent_{0};
    std::atomic<uint64_t> packetsSent_{0};
    std::atomic<uint64_t> sendErrors_{0};
    std::atomic<uint64_t> searches_{0};
    std::atomic<int> lastError_{0};

    // Sender-thread working memory, allocated once with the sender.
    common::DmxFrame snapshot_{};
    std::array<uint8_t, ARTDMX_MAX_SIZE> packet_{};
    std::array<uint8_t, REPLY_BUFFER_SIZE> receive_{};
};

}  // namespace j4::links
