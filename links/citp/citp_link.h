#pragma once
// The visualizer link: streams the frame's universes to the visualizer over CITP,
// names the universes, mirrors the Cue Editor's device selection into the
// visualizer's fixture selection (through a copy of its fixture patch) and hands
// channel levels it sends back to the user interface.
//
// Threads: the engine thread calls sendFrame; the UI thread start, stop,
// setSelection, setSendLength and drains incomingValues(); the link thread discovers
// the visualizer (UDP 4810), connects (TCP 4811) and sends; a receive thread per
// connection reads its messages. Both wait with poll() on their socket and eventfd
// events. The link lock guards the patch list and the selection list only.
//
// A connection whose stream loses its framing (a message without the "CITP" cookie,
// a size under the header, an absurd size) is dropped and made again.

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "common/frame_sink.h"
#include "links/artnet/frame_store.h"
#include "links/artnet/network_settings.h"
#include "links/artnet/send_lengths.h"
#include "links/citp/channel_value_queue.h"
#include "links/citp/citp_messages.h"
#include "platform/event.h"

namespace j4::links {

// Broadcast to the console's windows for every level drained from the link:
// wParam the channel index (universe index * 512 + channel), lParam the level.
inline constexpr int UM_VISUALIZER_CHANNEL = 1542;

enum class CitpState {
    Stopped,
    Discovering,  // listening for the visualizer's announcement
    Connecting,
    Connected,
    Failed  // the thread ended on a socket error; stop() clears it
};

struct CitpStatus {
    bool started = false;
    bool connected = false;
    CitpState state = CitpState::Stopped;
    uint32_t peer = 0;             // IPv4 of the visualizer, network byte order
    uint64_t frameWakeups = 0;     // frames seen this connection
    uint64_t blocksSent = 0;       // channel blocks sent
    uint64_t connections = 0;      // sessions made since start
    uint64_t framingLosses = 0;    // connections dropped for a broken stream
    uint64_t messagesRefused = 0;  // messages whose fields did not fit
    size_t patchedFixtures = 0;
    int lastError = 0;
};

class CitpLink : public common::FrameSink, public common::SendLengthListener {
  public:
    CitpLink();
    ~CitpLink() override;
    CitpLink(const CitpLink&) = delete;
    CitpLink& operator=(const CitpLink&) = delete;

    // 0 when started or already running; -1 when the interface address names no
    // local interface or the thread cannot be created (startError() says why).
    int start(const NetworkSettings& settings);
    void stop();
    bool isStarted() const { return started_.load(); }
    bool isConnected() const { return connected_.load(); }
    const std::string& startError() const { return startError_; }

    int sendFrame(int firstChannel, int length, const uint8_t* bytes) override;
    void setSendLength(int universe, int highestChannel) override;
    int trySetSendLength(int universe, int highestChannel);

    // The Cue Editor's selected Devices by base address (absolute channel index
    // 0..8191): every patched fixture at one of them becomes selected, in patch order.
    void setSelection(std::span<const int> deviceBaseAddresses);

    // Levels the visualizer sent; the UI thread drains them (see UM_VISUALIZER_CHANNEL).
    ChannelValueQueue& incomingValues() { return incoming_; }

    CitpStatus status() const;
    // Fixture identifiers in the patch list, in order (for the UI and tests).
    std::vector<uint16_t> patchedFixtures() const;

    // Half the engine's rate; a patch request every PATCH_REQUEST_WAKEUPS frames.
    static constexpr int PATCH_REQUEST_WAKEUPS = 450;
    // Messages larger than this are read past, unread.
    static constexpr uint32_t MAX_MESSAGE = 2047;
    // Past this size a message cannot be real: the stream has lost its framing.
    static constexpr uint32_t MAX_SKIPPED_MESSAGE = 1u << 20;
    // The patch list keeps at most this many fixtures.
    static constexpr size_t MAX_FIXTURES = 8192;

  private:
    enum class Ended { Stopped, Again, Failed, Found };
    struct Patched {
        uint16_t fixture;
        uint8_t universe;
        uint16_t channel;
    };

    void run();
    Ended discover(uint32_t& peer);
    Ended session(uint32_t peer);
    Ended serve(int fd);
    bool sendFrameRound(int fd, Ended& ended);
    bool sendSelection(int fd, Ended& ended);
    bool sendBytes(int fd, const uint8_t* data, size_t size, Ended& ended);
    void receive(int fd);
    void handleMessage(std::span<const uint8_t> message);
    void clearLists();
    void fail(int error);

    NetworkSettings settings_;
    std::string startError_;
    std::string peerName_;

    FrameStore frames_;
    SendLengths lengths_;
    ChannelValueQueue incoming_;
    platform::Event stop_{platform::Event::Reset::Manual};
    platform::Event selectionEvent_{platform::Event::Reset::Auto};
    // Set by the receive thread when its connection broke or lost framing.
    platform::Event broken_{platform::Event::Reset::Auto};
    // Set by the link thread to end the receive thread of the current connection.
    platform::Event sessionEnd_{platform::Event::Reset::Manual};
    std::thread thread_;
    std::thread receiver_;

    mutable std::mutex lock_;  // the link lock: patch list and selection list
    std::vector<Patched> patch_;
    std::vector<uint16_t> selection_;

    std::atomic<bool> started_{false};
    std::atomic<bool> connected_{false};
    std::atomic<CitpState> state_{CitpState::Stopped};
    std::atomic<uint32_t> peer_{0};
    std::atomic<uint64_t> frameWakeups_{0}, blocksSent_{0}, connections_{0}, framingLosses_{0},
        messagesRefused_{0};
    std::atomic<int> lastError_{0};

    // Link-thread working memory, allocated once.
    bool halfRateToggle_ = false;
    int patchTimer_ = 0;
    common::DmxFrame snapshot_{};
    std::array<uint8_t, CHANNEL_BLOCK_MAX> block_{};
    std::vector<uint16_t> selectionCopy_;
    std::vector<uint8_t> selectMessage_;
    // Receive-thread buffer for one message.
    std::array<uint8_t, MAX_MESSAGE + 1> message_{};
};

}  // namespace j4::links
