#include "show/file/cue_data_code.h"

#include <algorithm>

namespace j4::show {

namespace {
constexpr int MAX_PACKET = 128;
constexpr uint8_t RUN_FLAG = 0x80;
constexpr int OLD_FILE_VALUES = 2048;
}  // namespace

std::vector<uint8_t> encodeCueData(std::span<const uint8_t, common::FRAME_CHANNELS> v) {
    constexpr int end = common::FRAME_CHANNELS;
    std::vector<uint8_t> out;
    out.reserve(2 * end / MAX_PACKET);
    int p = 0;
    while (p < end) {
        int q = p + 1;
        if (p + 1 < end && v[p] == v[p + 1]) {
            while (q < end && v[q - 1] == v[q] && q - p < MAX_PACKET) ++q;
            out.push_back(static_cast<uint8_t>(RUN_FLAG | (q - p - 1)));
            out.push_back(v[p]);
        } else {
            while (q < end && v[q - 1] != v[q] && q - p < MAX_PACKET) ++q;
            // Leave an equal pair to start the next run.
            if (q < end && v[q - 1] == v[q]) --q;
            out.push_back(static_cast<uint8_t>(q - p - 1));
            out.insert(out.end(), v.begin() + p, v.begin() + q);
        }
        p = q;
    }
    return out;
}

bool decodeCueData(std::span<const uint8_t> code, std::span<uint8_t, common::FRAME_CHANNELS> values,
                   std::string* error) {
    std::fill(values.begin(), values.end(), uint8_t{0});
    auto fail = [&](std::string reason) {
        if (error) *error = std::move(reason);
        std::fill(values.begin(), values.end(), uint8_t{0});
        return false;
    };
    size_t in = 0;
    int produced = 0;
    while (in < code.size() && produced < common::FRAME_CHANNELS) {
        const uint8_t control = code[in++];
        const int n = (control & 0x7F) + 1;
        if (produced + n > common::FRAME_CHANNELS)
            return fail("Cue data: packet at byte " + std::to_string(in - 1) +
                        " passes channel 8192");
        if (control & RUN_FLAG) {
            if (in >= code.size()) return fail("Cue data: run packet cut short");
            std::fill_n(values.begin() + produced, n, code[in++]);
        } else {
            if (code.size() - in < static_cast<size_t>(n))
                return fail("Cue data: literal packet cut short");
            std::copy_n(code.begin() + in, n, values.begin() + produced);
            in += n;
        }
        produced += n;
    }
    if (produced != common::FRAME_CHANNELS && produced != OLD_FILE_VALUES)
        return fail("Cue data: " + std::to_string(produced) +
                    " channel values, expected 8192 or 2048");
    return true;
}

}  // namespace j4::show
