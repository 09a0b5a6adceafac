#include "show/effect_file.h"

#include "common/byte_reader.h"
#include "common/byte_writer.h"
#include "common/string_table.h"
#include "platform/compound/compound_file.h"
#include "show/file_streams.h"

namespace j4::show {

namespace {
const char* const VERSION_STREAM = common::stringText(common::STR_EFFECT_VERSION_STREAM);
const char* const INFO_STREAM = common::stringText(common::STR_EFFECT_INFO_STREAM);
const char* const POINTS_STREAM = common::stringText(common::STR_EFFECT_POINTS_STREAM);

bool fail(std::string* error, std::string text) {
    if (error) *error = std::move(text);
    return false;
}
}  // namespace

bool readEffectFile(const std::string& path, EffectShape& shape, std::string* error) {
    auto opened = platform::CompoundFile::openRead(path);
    if (!opened) return fail(error, path + ": " + opened.error().message);
    const platform::Storage root = opened.value().root();

    std::vector<uint8_t> bytes;
    if (!readStream(root, VERSION_STREAM, bytes, error)) return false;
    common::ByteReader version(bytes);
    if (version.int32("effect version") != EFFECT_FILE_VERSION || !version.ok())
        return fail(error, path + ": not an effect file of version 256");

    if (!readStream(root, INFO_STREAM, bytes, error)) return false;
    common::ByteReader info(bytes);
    const common::Identity identity = info.identity("effect identity");
    const uint16_t count = info.uint16("point count");
    std::string name = info.string("effect name");
    if (!info.ok()) return fail(error, path + ": Info: " + info.error());
    if (count != EFFECT_POINTS)
        return fail(error, path + ": " + std::to_string(count) + " points instead of 3000");

    if (!readStream(root, POINTS_STREAM, bytes, error)) return false;
    common::ByteReader points(bytes);
    if (!points.fitsCount(count, 4, "points")) return fail(error, path + ": " + points.error());
    for (int i = 0; i < EFFECT_POINTS; ++i) {
        shape.points[i].x = static_cast<int16_t>(points.uint16("x"));
        shape.points[i].y = static_cast<int16_t>(points.uint16("y"));
    }
    shape.identity = identity;
    shape.name = std::move(name);
    return true;
}

bool writeEffectFile(const std::string& path, const EffectShape& shape, std::string* error) {
    auto created = platform::CompoundFile::create(path);
    if (!created) return fail(error, path + ": " + created.error().message);
    platform::Storage root = created.value().root();
    common::ByteWriter version, info, points;
    version.int32(EFFECT_FILE_VERSION);
    info.identity(shape.identity);
    info.uint16(EFFECT_POINTS);
    info.string(shape.name);
    for (const EffectPoint& p : shape.points) {
        points.uint16(static_cast<uint16_t>(p.x));
        points.uint16(static_cast<uint16_t>(p.y));
    }
    if (!writeStream(root, VERSION_STREAM, version.bytes(), error) ||
        !writeStream(root, INFO_STREAM, info.bytes(), error) ||
        !writeStream(root, POINTS_STREAM, points.bytes(), error))
        return false;
    const auto committed = created.value().commit();
    if (!committed) return fail(error, path + ": " + committed.error().message);
    return true;
}

}  // namespace j4::show
