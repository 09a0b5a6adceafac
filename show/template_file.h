#pragma once
// Template files (".tpl"), compound files holding:
//   stream "TemplateJ4": int version, always 5
//   stream "Info":       identity; int control count; int creator id; string name
//   stream "Controls":   control count x (int kind; control record)
//   stream "Logo":       optional raw image bytes (present = certified)
// Writes go to a temporary file that replaces the target only when every part
// succeeded; a failed write leaves the old file as it was.

#include <cstdint>
#include <string>
#include <vector>

#include "common/identity.h"
#include "show/control.h"

namespace j4::show {

inline constexpr int32_t TEMPLATE_FILE_VERSION = 5;

struct TemplateHeader {
    common::Identity identity;
    int32_t controlCount = 0;
    int32_t creatorId = 0;
    std::string name;
};

// Reads version and Info. False with a reason when the file is not a compound file,
// not version 5, or Info is short or invalid.
bool readTemplateHeader(const std::string& path, TemplateHeader& header, std::string* error);
// Reads header and controls.
bool readTemplateFile(const std::string& path, TemplateHeader& header, ControlList& controls,
                      std::string* error);
// The file opens as a Template and has a "Logo" stream.
bool templateFileHasLogo(const std::string& path);
// The Logo stream of a Template file; false when the file has none.
bool readTemplateLogo(const std::string& path, std::vector<uint8_t>& logo);

// `logo` null: no Logo stream. An empty logo fails the write (a certified Template
// must carry an image).
bool writeTemplateFile(const std::string& path, const TemplateHeader& header,
                       const ControlList& controls, const std::vector<uint8_t>* logo,
                       std::string* error);

// The stream contents, for the readers above and for tests.
std::vector<uint8_t> encodeTemplateInfo(const TemplateHeader& header);
bool decodeTemplateInfo(const std::vector<uint8_t>& bytes, TemplateHeader& header,
                        std::string* error);

}  // namespace j4::show
