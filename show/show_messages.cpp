#include "show/show_messages.h"

namespace j4::show {

const char* messageText(MessageId id) {
    switch (id) {
        case MessageId::None:
            return "";
        case MessageId::DeviceOverlap:
            return "Device cannot be inserted because of potential overlap with an existing "
                   "Device.";
        case MessageId::TemplateSaveFailed:
            return "An error occured while saving the Template.";
        case MessageId::TemplateSettingsMissing:
            return "Cannot access registry keys created during installation. Make sure that the "
                   "installation was completed successfully.";
        case MessageId::TemplateFolderMissing:
            return "Cannot find the Template folder.";
        case MessageId::FolderCreateFailed:
            return "An error occured while creating the Template Folder.";
        case MessageId::SomeTemplatesNotLoaded:
            return "Some Templates could not be loaded. Please check your J4 installation.";
        case MessageId::TemplateDataLoadFailed:
            return "An error occured while trying to load required Template data.";
        case MessageId::TemplateWithoutChannels:
            return "The selected Template does not use any DMX channels. A Template needs to use "
                   "at least one DMX channel in order for it to create a Device.";
        case MessageId::EffectSettingsMissing:
            return "Cannot access registry keys created during installation. Make sure the "
                   "installation was completed successfully.";
        case MessageId::EffectFolderMissing:
            return "Cannot find the Effects folder.";
        case MessageId::CueNumberRefused:
            return "Cannot create new Cue. Either the Cue Number is already in use or invalid. "
                   "(Cue Numbers must be a value from 1 to 1000000.)";
        case MessageId::CueNumberMissing:
            return "No Cue with that number exists. Please enter the number of an existing Cue.";
        case MessageId::UniverseBoundary:
            return "Cannot insert Device because it exceeds the boundary of the current DMX "
                   "Universe.";
        case MessageId::TemplateReadOnly:
            return "The Template cannot be saved because it is read only.";
        case MessageId::TemplateCertifiedOverwrite:
            return "The Template is certified and can't be overwritten. Save changes to a "
                   "different name.";
        case MessageId::DevicesUsedInCues:
            return "One or more Devices are currently used in a Cue. Deleting the device(s) will "
                   "remove them from the cue(s). Continue?";
        case MessageId::TemplateCertifiedDelete:
            return "The selected Template is certified and cannot be deleted.";
        case MessageId::FolderCertifiedDelete:
            return "The selected Folder contains certified Templates and cannot be deleted.";
        case MessageId::TemplateCertifiedRename:
            return "The selected Template is certified and cannot be renamed.";
        case MessageId::UnsafeName:
            return "The name cannot be used as a file name. Names must not contain / \\ : * ? "
                   "\" < > | or control characters, and must not be \".\" or \"..\".";
    }
    return "";
}

}  // namespace j4::show
