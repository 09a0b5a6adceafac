#include "show/template_file.h"

#include "common/byte_reader.h"
#include "common/byte_writer.h"
#include "common/string_table.h"
#include "platform/compound/compound_file.h"
#include "show/control_record.h"
#include "show/file_streams.h"

namespace j4::show {

namespace {
const char* const VERSION_STREAM = common::stringText(common::STR_TEMPLATE_VERSION_STREAM);
const char* const INFO_STREAM = common::stringText(common::STR_TEMPLATE_INFO_STREAM);
const char* const CONTROLS_STREAM = common::stringText(common::STR_TEMPLATE_CONTROLS_STREAM);
const char* const LOGO_STREAM = common::stringText(common::STR_TEMPLATE_LOGO_STREAM);

void setError(std::string* error, std::string text) {
    if (error) *error = std::move(text);
}

// Opens the file and checks the version stream.
bool openTemplate(const std::string& path, platform::CompoundFile& file, std::string* error) {
    auto opened = platform::CompoundFile::openRead(path);
    if (!opened) {
        setError(error, path + ": " + opened.error().message);
        return false;
    }
    file = std::move(opened.value());
    std::vector<uint8_t> bytes;
    if (!readStream(file.root(), VERSION_STREAM, bytes, error)) return false;
    common::ByteReader in(bytes);
    const int32_t version = in.int32("Template version");
    if (!in.ok() || version != TEMPLATE_FILE_VERSION) {
        setError(error, path + ": not a Template file (version " + std::to_string(version) + ")");
        return false;
    }
    return true;
}

bool readHeader(const platform::CompoundFile& file, TemplateHeader& header, std::string* error) {
    std::vector<uint8_t> bytes;
    return readStream(file.root(), INFO_STREAM, bytes, error) &&
           decodeTemplateInfo(bytes, header, error);
}
}  // namespace

std::vector<uint8_t> encodeTemplateInfo(const TemplateHeader& header) {
    common::ByteWriter out;
    out.identity(header.identity);
    out.int32(header.controlCount);
    out.int32(header.creatorId);
    out.string(header.name);
    return out.take();
}

bool decodeTemplateInfo(const std::vector<uint8_t>& bytes, TemplateHeader& header,
                        std::string* error) {
    common::ByteReader in(bytes);
    TemplateHeader read;
    read.identity = in.identity("Template identity");
    read.controlCount = in.int32("Template control count");
    read.creatorId = in.int32("creator id");
    read.name = in.string("Template name");
    if (in.ok() && read.controlCount < 0) in.fail("negative control count");
    if (!in.ok()) {
        setError(error, "Template Info: " + in.error());
        return false;
    }
    header = std::move(read);
    return true;
}

bool readTemplateHeader(const std::string& path, TemplateHeader& header, std::string* error) {
    platform::CompoundFile file;
    return openTemplate(path, file, error) && readHeader(file, header, error);
}

bool readTemplateFile(const std::string& path, TemplateHeader& header, ControlList& controls,
                      std::string* error) {
    platform::CompoundFile file;
    TemplateHeader read;
    if (!openTemplate(path, file, error) || !readHeader(file, read, error)) return false;
    std::vector<uint8_t> bytes;
    if (!readStream(file.root(), CONTROLS_STREAM, bytes, error)) return false;
    common::ByteReader in(bytes);
    ControlList list;
    if (!loadControlList(in, read.controlCount, list)) {
        setError(error, path + ": Controls: " + in.error());
        return false;
    }
    header = std::move(read);
    controls = std::move(list);
    return true;
}

bool templateFileHasLogo(const std::string& path) {
    platform::CompoundFile file;
    if (!openTemplate(path, file, nullptr)) return false;
    const auto logo = file.root().stat(LOGO_STREAM);
    return logo.ok() && logo.value().type == platform::EntryType::Stream;
}

bool readTemplateLogo(const std::string& path, std::vector<uint8_t>& logo) {
    platform::CompoundFile file;
    return openTemplate(path, file, nullptr) && readStream(file.root(), LOGO_STREAM, logo, nullptr);
}

bool writeTemplateFile(const std::string& path, const TemplateHeader& header,
                       const ControlList& controls, const std::vector<uint8_t>* logo,
                       std::string* error) {
    if (logo && logo->empty()) {
        setError(error, "the logo image is empty");
        return false;
    }
    if (header.controlCount != static_cast<int32_t>(controls.size())) {
        setError(error, "control count does not match the controls");
        return false;
    }
    auto created = platform::CompoundFile::create(path);
    if (!created) {
        setError(error, path + ": " + created.error().message);
        return false;
    }
    platform::CompoundFile& file = created.value();
    platform::Storage root = file.root();

    common::ByteWriter version;
    version.int32(TEMPLATE_FILE_VERSION);
    common::ByteWriter records;
    saveControlList(records, controls);
    bool ok = writeStream(root, VERSION_STREAM, version.bytes(), error) &&
              writeStream(root, INFO_STREAM, encodeTemplateInfo(header), error) &&
              writeStream(root, CONTROLS_STREAM, records.bytes(), error);
    if (ok && logo) ok = writeStream(root, LOGO_STREAM, *logo, error);
    if (!ok) return false;  // nothing reached the disk
    // The layer writes a temporary file and renames it over the path.
    const auto committed = file.commit();
    if (!committed) {
        setError(error, path + ": " + committed.error().message);
        return false;
    }
    return true;
}

}  // namespace j4::show
