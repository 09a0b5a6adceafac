#include "show/file_streams.h"

namespace j4::show {

bool readStream(const platform::Storage& storage, const char* name, std::vector<uint8_t>& out,
                std::string* error) {
    auto stream = storage.openStream(name);
    if (!stream) {
        if (error) *error = std::string("stream \"") + name + "\": " + stream.error().message;
        return false;
    }
    out = stream.value().readAll();
    return true;
}

bool writeStream(platform::Storage& storage, const char* name, std::span<const uint8_t> bytes,
                 std::string* error) {
    auto stream = storage.createStream(name, platform::CreateMode::Replace);
    platform::CompoundStatus status =
        stream ? stream.value().writeAll(bytes) : platform::CompoundStatus(stream.error());
    if (!status) {
        if (error) *error = std::string("stream \"") + name + "\": " + status.error().message;
        return false;
    }
    return true;
}

}  // namespace j4::show
