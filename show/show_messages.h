#pragma once
// The numbered messages the show-data operations report. The numbers are those of the
// console's string table (common/string_table.h); the user interface shows the text in
// a message box captioned "Corvanta J4".

namespace j4::show {

enum class MessageId : int {
    None = 0,
    DeviceOverlap = 501,
    TemplateSaveFailed = 512,
    TemplateSettingsMissing = 513,
    TemplateFolderMissing = 514,
    FolderCreateFailed = 515,
    SomeTemplatesNotLoaded = 521,
    TemplateDataLoadFailed = 524,
    TemplateWithoutChannels = 525,
    EffectSettingsMissing = 526,
    EffectFolderMissing = 527,
    CueNumberRefused = 530,
    CueNumberMissing = 531,
    UniverseBoundary = 542,
    TemplateReadOnly = 544,
    TemplateCertifiedOverwrite = 546,
    DevicesUsedInCues = 547,
    TemplateCertifiedDelete = 548,
    FolderCertifiedDelete = 549,
    TemplateCertifiedRename = 550,
    // Not from the original table: a Template or folder name that cannot be a file
    // name (path separators, "..", control characters, empty after trimming).
    UnsafeName = 10001,
};

// The text of a message from the string table, or "" for None.
const char* messageText(MessageId id);

}  // namespace j4::show
