#include "links/citp/citp_messages.h"

#include <cstring>

#include "common/dmx_frame.h"

namespace j4::links {

namespace {

void put16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
void put32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
uint16_t get16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}
uint32_t get32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void writeHeader(uint8_t* p, size_t size, uint32_t layer, uint32_t type) {
    std::memcpy(p, "CITP", 4);
    p[4] = 1;  // major version
    p[5] = 0;  // minor version
    p[6] = p[7] = 0;
    put32(p + 8, static_cast<uint32_t>(size));
    put16(p + 12, 1);  // part count
    put16(p + 14, 1);  // part number
    put32(p + 16, layer);
    put32(p + 20, type);
}

constexpr uint32_t PINF = fourCc("PINF"), SDMX = fourCc("SDMX"), FSEL = fourCc("FSEL"),
                   FPTC = fourCc("FPTC");

}  // namespace

std::vector<uint8_t> peerNameMessage(std::string_view name) {
    std::vector<uint8_t> m(CITP_TYPED_SIZE + name.size() + 1, 0);
    writeHeader(m.data(), m.size(), PINF, fourCc("PNam"));
    std::memcpy(m.data() + 24, name.data(), name.size());
    return m;
}

std::vector<uint8_t> universeNameMessage(uint8_t universeIndex, std::string_view name) {
    std::vector<uint8_t> m(CITP_TYPED_SIZE + 1 + name.size() + 1, 0);
    writeHeader(m.data(), m.size(), SDMX, fourCc("UNam"));
    m[24] = universeIndex;
    std::memcpy(m.data() + 25, name.data(), name.size());
    return m;
}

size_t writeChannelBlock(uint8_t* out, uint8_t universeIndex, const uint8_t* levels,
                         uint16_t count) {
    size_t size = CHANNEL_BLOCK_HEADER + count;
    writeHeader(out, size, SDMX, fourCc("ChBk"));
    out[24] = 0;  // not blind
    out[25] = universeIndex;
    put16(out + 26, 0);  // first channel
    put16(out + 28, count);
    if (count > 0) std::memcpy(out + CHANNEL_BLOCK_HEADER, levels, count);
    return size;
}

std::array<uint8_t, 26> deselectAllMessage() {
    std::array<uint8_t, 26> m{};
    writeHeader(m.data(), m.size(), FSEL, fourCc("DeSe"));
    put16(m.data() + 24, 0);
    return m;
}

void writeSelectMessage(std::vector<uint8_t>& out, std::span<const uint16_t> fixtures) {
    size_t n = fixtures.size() < MAX_SELECTION ? fixtures.size() : MAX_SELECTION;
    out.resize(28 + 2 * n);
    writeHeader(out.data(), out.size(), FSEL, fourCc("Sele"));
    out[24] = 1;  // the list is the complete selection
    out[25] = 0;
    put16(out.data() + 26, static_cast<uint16_t>(n));
    for (size_t i = 0; i < n; ++i) put16(out.data() + 28 + 2 * i, fixtures[i]);
}

std::array<uint8_t, 30> patchRequestMessage() {
    std::array<uint8_t, 30> m{};
    writeHeader(m.data(), m.size(), FPTC, fourCc("SPtc"));
    put32(m.data() + 24, 0);  // content hint
    put16(m.data() + 28, 0);  // every fixture
    return m;
}

std::optional<CitpHeader> parseCitpHeader(std::span<const uint8_t> h) {
    if (h.size() < CITP_HEADER_SIZE || std::memcmp(h.data(), "CITP", 4) != 0) return std::nullopt;
    CitpHeader r{get32(h.data() + 8), get32(h.data() + 16)};
    if (r.size < CITP_HEADER_SIZE) return std::nullopt;
    return r;
}

uint32_t citpMessageType(std::span<const uint8_t> m) {
    return m.size() < CITP_TYPED_SIZE ? 0 : get32(m.data() + 20);
}

std::optional<ChannelBlock> parseChannelBlock(std::span<const uint8_t> m) {
    if (m.size() < CHANNEL_BLOCK_HEADER) return std::nullopt;
    ChannelBlock b;
    b.universe = m[25];
    b.firstChannel = get16(m.data() + 26);
    uint16_t count = get16(m.data() + 28);
    if (count > m.size() - CHANNEL_BLOCK_HEADER) return std::nullopt;
    if (b.universe >= common::UNIVERSES) return std::nullopt;
    if (b.firstChannel + count > common::CHANNELS_PER_UNIVERSE) return std::nullopt;
    b.levels = m.subspan(CHANNEL_BLOCK_HEADER, count);
    return b;
}

std::optional<FixturePatch> parsePatch(std::span<const uint8_t> m) {
    if (m.size() < 34) return std::nullopt;
    return FixturePatch{get16(m.data() + 28), m[30], get16(m.data() + 32)};
}

std::optional<FixtureUnpatch> parseUnpatch(std::span<const uint8_t> m) {
    if (m.size() < 30) return std::nullopt;
    size_t count = get16(m.data() + 28);
    if (count > (m.size() - 30) / 2) return std::nullopt;
    return FixtureUnpatch{m.subspan(30, 2 * count)};
}

}  // namespace j4::links
