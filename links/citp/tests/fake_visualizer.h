#pragma once
// A stand-in for the visualizer, written from the CITP packet tables: it announces
// itself on UDP 4810, accepts the console's TCP session on 4811, splits the stream
// into messages (checking every common header field) and sends patch, unpatch and
// channel-block messages back.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace j4::links::test {

// A message as the visualizer would build it: header, layer and message type, body.
std::vector<uint8_t> citpMessage(const char* layer, const char* type,
                                 const std::vector<uint8_t>& body);
std::vector<uint8_t> patchMessage(uint16_t fixture, uint8_t universe, uint16_t channel);
std::vector<uint8_t> unpatchMessage(const std::vector<uint16_t>& fixtures);
std::vector<uint8_t> channelBlockMessage(uint8_t universe, uint16_t first,
                                         const std::vector<uint8_t>& levels);

struct ReceivedMessage {
    std::string layer;  // "SDMX"
    std::string type;   // "ChBk"
    std::vector<uint8_t> bytes;
};

class FakeVisualizer {
  public:
    explicit FakeVisualizer(const std::string& address = "127.0.0.1");
    ~FakeVisualizer();
    FakeVisualizer(const FakeVisualizer&) = delete;
    FakeVisualizer& operator=(const FakeVisualizer&) = delete;

    bool listening() const { return listen_ >= 0; }
    // Accepts the next connection (dropping the current one).
    bool accept(int timeoutMs = 5000);
    // The next whole message; nothing on time-out, close, or a header that breaks
    // the tables (then `error` says what).
    std::optional<ReceivedMessage> next(int timeoutMs = 5000);
    // The next message of the given type, skipping others (channel blocks etc.).
    std::optional<ReceivedMessage> nextOf(const std::string& type, int timeoutMs = 5000);
    bool send(const std::vector<uint8_t>& bytes);
    void disconnect();
    // Sends a datagram to the console's discovery port from this visualizer's address.
    bool announce(const std::vector<uint8_t>& datagram);

    const std::string& error() const { return error_; }

  private:
    bool readExact(uint8_t* p, size_t n, int timeoutMs);

    std::string address_;
    int listen_ = -1;
    int conn_ = -1;
    std::string error_;
};

}  // namespace j4::links::test
