// The Template library on disk: scanning, folders, Templates, names, read-only and
// certified rules, authoring installations; and the effect library scan.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "common/settings_names.h"
#include "platform/settings_store.h"
#include "show/effect_file.h"
#include "show/effect_library.h"
#include "show/new_identity.h"
#include "show/template_file.h"
#include "show/template_store.h"
#include "show_test_fixtures.h"
#include "temp_folder.h"

namespace j4::show {
namespace {

namespace fs = std::filesystem;
using testing::TempFolder;

const Authoring NOT_AUTHORING{};

void writeTemplate(const std::string& path, const std::string& name, int channels = 2) {
    const Template tpl = testing::faderTemplate(name, channels);
    TemplateHeader header;
    header.identity = newIdentity();
    header.controlCount = channels;
    header.name = name;
    ASSERT_TRUE(writeTemplateFile(path, header, tpl.controls(), nullptr, nullptr));
}

void writeText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::vector<std::string> namesIn(const TemplateFolder& folder) {
    std::vector<std::string> names;
    for (const auto& tpl : folder.templates()) names.push_back(tpl->name());
    return names;
}

class TemplateLibrary : public ::testing::Test {
  protected:
    void SetUp() override {
        root = dir / "templates";
        fs::create_directories(root + "/Movers");
        fs::create_directories(root + "/LED");
        fs::create_directories(root + "/Empty");
        writeTemplate(root + "/Movers/Spot.TPL", "Spot");
        writeTemplate(root + "/Movers/Beam.tpl", "Beam");
        writeTemplate(root + "/LED/Par.tpl", "Par");
        writeText(root + "/LED/readme.txt", "not a Template");
        fs::create_directories(root + "/LED/nested.tpl");  // a folder is not a Template
    }
    TempFolder dir;
    std::string root;
    TemplateStore store;
};

TEST_F(TemplateLibrary, ScanListsFoldersAndTemplatesByName) {
    ASSERT_EQ(store.scanFolder(root), MessageId::None);
    ASSERT_EQ(store.folderCount(), 3);
    EXPECT_EQ(store.folder(0)->name(), "Empty");
    EXPECT_EQ(store.folder(1)->name(), "LED");
    EXPECT_EQ(store.folder(2)->name(), "Movers");
    EXPECT_EQ(store.folder(0)->count(), 0);
    EXPECT_EQ(namesIn(*store.folder(1)), (std::vector<std::string>{"Par"}));
    EXPECT_EQ(namesIn(*store.folder(2)), (std::vector<std::string>{"Beam", "Spot"}));
    const Template* spot = store.findByName(2, "spot");
    ASSERT_TRUE(spot);
    EXPECT_EQ(spot->fileName(), "Spot.TPL");
    EXPECT_FALSE(spot->loaded()) << "the scan reads only the header";
    Template* par = store.findByName(1, "PAR");
    ASSERT_TRUE(par && par->loadControls());
    EXPECT_EQ(par->channelCount(), 2);
}

TEST_F(TemplateLibrary, UnreadableTemplatesAreDroppedWithMessage521) {
    writeText(root + "/LED/Broken.tpl", "garbage");
    EXPECT_EQ(store.scanFolder(root), MessageId::SomeTemplatesNotLoaded);
    EXPECT_EQ(namesIn(*store.folder(1)), (std::vector<std::string>{"Par"}));
}

TEST_F(TemplateLibrary, SettingsAndMissingFolders) {
    platform::SettingsStore settings(platform::SettingsScope::Machine, dir / "settings");
    EXPECT_EQ(store.scan(settings), MessageId::TemplateSettingsMissing);
    ASSERT_TRUE(
        settings.writeString(common::SETTINGS_KEY, common::SETTING_TEMPLATE_PATH, dir / "nowhere"));
    EXPECT_EQ(store.scan(settings), MessageId::TemplateFolderMissing);
    ASSERT_TRUE(settings.writeString(common::SETTINGS_KEY, common::SETTING_TEMPLATE_PATH, root));
    EXPECT_EQ(store.scan(settings), MessageId::None);
    EXPECT_EQ(store.root(), root);
}

TEST_F(TemplateLibrary, FoldersAreCreatedRenamedWithTrimmingAndDeleted) {
    ASSERT_EQ(store.scanFolder(root), MessageId::None);
    const int index = store.newFolder("Scanners");
    ASSERT_EQ(index, 3);
    EXPECT_TRUE(fs::is_directory(root + "/Scanners"));
    EXPECT_EQ(store.newFolder("scanners"), -1) << "same name ignoring case";

    const int movers = store.folderIndex("Movers");
    ASSERT_TRUE(store.renameFolder(movers, " Heads. "));
    EXPECT_EQ(store.folder(movers)->name(), "Heads");
    EXPECT_TRUE(fs::exists(root + "/Heads/Spot.TPL"));
    EXPECT_EQ(store.findByName(movers, "Spot")->path(), root + "/Heads/Spot.TPL");
    EXPECT_FALSE(store.renameFolder(movers, "LED")) << "an existing folder is never replaced";
    EXPECT_TRUE(fs::exists(root + "/LED/Par.tpl"));

    ASSERT_TRUE(store.deleteFolder(movers));
    EXPECT_FALSE(fs::exists(root + "/Heads"));
    EXPECT_EQ(store.folderIndex("Heads"), -1);
    // A folder holding other files cannot be removed: its Templates go, it stays.
    const int led = store.folderIndex("LED");
    EXPECT_FALSE(store.deleteFolder(led));
    EXPECT_EQ(store.folder(led)->count(), 0);
    EXPECT_FALSE(fs::exists(root + "/LED/Par.tpl"));
}

TEST_F(TemplateLibrary, UnsafeNamesNeverTouchTheDisk) {
    ASSERT_EQ(store.scanFolder(root), MessageId::None);
    const auto before = [&] {
        std::vector<std::string> all;
        for (const auto& e : fs::recursive_directory_iterator(dir.path()))
            all.push_back(e.path().string());
        std::sort(all.begin(), all.end());
        return all;
    };
    const auto snapshot = before();
    for (const char* name : {"", "..", ".", "../escape", "a/b", "a\\b", "x:y", "what?", "tab\there",
                             "star*", "pi|pe", "quote\"", "...", " . "}) {
        EXPECT_EQ(store.newFolder(name), -1) << name;
        EXPECT_EQ(store.newTemplate(1, name, nullptr, NOT_AUTHORING), -1) << name;
        EXPECT_FALSE(store.renameTemplate(1, 0, name, NOT_AUTHORING)) << name;
        if (std::string_view(name) != "../escape") {
            EXPECT_FALSE(store.renameFolder(1, name)) << name;
        }
        EXPECT_FALSE(store.findByName(1, name)) << name;
    }
    EXPECT_FALSE(store.newFolder(std::string("nul\0byte", 8)) >= 0);
    EXPECT_EQ(before(), snapshot);
    EXPECT_EQ(store.folder(1)->name(), "LED");
    // Trimming takes the leading "../" off a folder rename: it stays inside the root.
    ASSERT_TRUE(store.renameFolder(1, "../Lights"));
    EXPECT_TRUE(fs::is_directory(root + "/Lights"));
    // The trimming rule applies to folder renames only, then the name must be safe.
    EXPECT_EQ(TemplateStore::trimName(" /Movers. "), "Movers");
    EXPECT_EQ(TemplateStore::trimName("<|:>"), "");
}

TEST_F(TemplateLibrary, NewSaveRenameAndDeleteTemplates) {
    ASSERT_EQ(store.scanFolder(root), MessageId::None);
    const int led = store.folderIndex("LED");
    const Template rgb = testing::faderTemplate("unused", 3);
    const int index = store.newTemplate(led, "RGB Par", &rgb.controls(), NOT_AUTHORING);
    ASSERT_GE(index, 0);
    Template* tpl = store.folder(led)->at(index);
    EXPECT_EQ(tpl->name(), "RGB Par");
    EXPECT_EQ(tpl->channelCount(), 3);
    EXPECT_EQ(store.newTemplate(led, "rgb par", nullptr, NOT_AUTHORING), -1) << "taken";

    // Every save of controls brings a new identity; the scan sees what was saved.
    const common::Identity first = tpl->identity();
    ASSERT_EQ(tpl->saveWithNewControls(testing::faderTemplate("x", 5).controls(), NOT_AUTHORING),
              Template::SaveResult::Ok);
    EXPECT_NE(tpl->identity(), first);
    const common::Identity second = tpl->identity();

    // A rename keeps the identity and rewrites the name inside the file.
    ASSERT_TRUE(store.renameTemplate(led, index, "Wash", NOT_AUTHORING));
    EXPECT_EQ(tpl->fileName(), "Wash.tpl");
    EXPECT_FALSE(fs::exists(root + "/LED/RGB Par.tpl"));
    TemplateHeader header;
    ASSERT_TRUE(readTemplateHeader(root + "/LED/Wash.tpl", header, nullptr));
    EXPECT_EQ(header.name, "Wash");
    EXPECT_EQ(header.identity, second);
    EXPECT_EQ(header.controlCount, 5);
    EXPECT_FALSE(store.renameTemplate(led, index, "PAR", NOT_AUTHORING)) << "another's name";
    EXPECT_TRUE(fs::exists(root + "/LED/Par.tpl"));

    ASSERT_TRUE(store.deleteTemplate(led, index));
    EXPECT_FALSE(fs::exists(root + "/LED/Wash.tpl"));
}

TEST_F(TemplateLibrary, ReadOnlyIsTheWriteBitsAndAFailedWriteKeepsTheTemplate) {
    ASSERT_EQ(store.scanFolder(root), MessageId::None);
    Template* par = store.findByName(1, "Par");
    ASSERT_TRUE(par->loadControls());
    const common::Identity identity = par->identity();
    const std::string path = par->path();
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    EXPECT_TRUE(par->readOnly());  // even for root, who may write anyway
    EXPECT_EQ(par->saveWithNewControls({}, NOT_AUTHORING), Template::SaveResult::ReadOnly);
    EXPECT_FALSE(store.renameTemplate(1, 0, "Other", NOT_AUTHORING));
    EXPECT_TRUE(fs::exists(path));
    ASSERT_EQ(::chmod(path.c_str(), 0644), 0);
    EXPECT_FALSE(par->readOnly());

    fs::remove_all(root + "/LED");  // the write cannot create its file any more
    EXPECT_EQ(par->saveWithNewControls({}, NOT_AUTHORING), Template::SaveResult::Failed);
    EXPECT_EQ(par->identity(), identity);
    EXPECT_EQ(par->controls().size(), 2u);
}

TEST_F(TemplateLibrary, AuthoringInstallationsCertifyTemplates) {
    platform::SettingsStore settings(platform::SettingsScope::Machine, dir / "settings");
    EXPECT_FALSE(Authoring::fromSettings(settings).authoring);
    const std::string logo = dir / "logo.png";
    writeText(logo, "\x89PNG fake image");
    ASSERT_TRUE(settings.writeString(common::SETTINGS_KEY, common::SETTING_LOGO_PATH, logo));
    EXPECT_FALSE(Authoring::fromSettings(settings).authoring) << "LogoPath alone";
    ASSERT_TRUE(settings.writeNumber(common::SETTINGS_KEY, common::SETTING_CREATOR_ID, 4242));
    const Authoring authoring = Authoring::fromSettings(settings);
    ASSERT_TRUE(authoring.authoring);
    EXPECT_EQ(authoring.creatorId, 4242);

    ASSERT_EQ(store.scanFolder(root), MessageId::None);
    const int led = store.folderIndex("LED");
    const int index = store.newTemplate(led, "Certified", nullptr, authoring);
    ASSERT_GE(index, 0);
    Template* tpl = store.folder(led)->at(index);
    EXPECT_TRUE(tpl->certified());
    EXPECT_TRUE(tpl->protectedFrom(NOT_AUTHORING));
    EXPECT_FALSE(tpl->protectedFrom(authoring));
    EXPECT_EQ(tpl->creatorId(), 4242);

    // A rename outside an authoring installation keeps the logo in the file.
    ASSERT_TRUE(store.renameTemplate(led, index, "Still Certified", NOT_AUTHORING));
    EXPECT_TRUE(tpl->certified());
    std::vector<uint8_t> stored;
    ASSERT_TRUE(readTemplateLogo(tpl->path(), stored));
    EXPECT_EQ(std::string(stored.begin(), stored.end()), "\x89PNG fake image");

    // An empty logo file makes an authoring save fail.
    writeText(logo, "");
    EXPECT_EQ(tpl->saveWithNewControls({}, authoring), Template::SaveResult::Failed);
    EXPECT_FALSE(store.findByName(1, "Par")->certified());
}

TEST(EffectLibrary, ScansEffFilesByNameAndSkipsBadOnes) {
    TempFolder dir;
    const std::string folder = dir / "effects";
    fs::create_directories(folder);
    std::vector<common::Identity> ids;
    for (const char* name : {"b-square", "a-circle", "c-eight"}) {
        EffectShape shape;
        shape.identity = newIdentity();
        shape.name = name;
        ids.push_back(shape.identity);
        const std::string file = std::string(name) + (name[0] == 'c' ? ".EFF" : ".eff");
        ASSERT_TRUE(writeEffectFile(folder + "/" + file, shape, nullptr));
    }
    writeText(folder + "/junk.eff", "not a compound file");
    writeTemplate(folder + "/template.eff", "a Template is not an effect");

    platform::SettingsStore settings(platform::SettingsScope::Machine, dir / "settings");
    EffectLibrary library;
    EXPECT_EQ(library.scan(settings), MessageId::EffectSettingsMissing);
    ASSERT_TRUE(
        settings.writeString(common::SETTINGS_KEY, common::SETTING_EFFECT_PATH, dir / "none"));
    EXPECT_EQ(library.scan(settings), MessageId::EffectFolderMissing);
    ASSERT_TRUE(settings.writeString(common::SETTINGS_KEY, common::SETTING_EFFECT_PATH, folder));
    ASSERT_EQ(library.scan(settings), MessageId::None);
    ASSERT_EQ(library.count(), 3);
    EXPECT_EQ(library.at(0)->name, "a-circle");
    EXPECT_EQ(library.at(1)->name, "b-square");
    EXPECT_EQ(library.at(2)->name, "c-eight");
    EXPECT_EQ(library.find(ids[2]), library.at(2));
    EXPECT_EQ(library.find(newIdentity()), nullptr);
}

}  // namespace
}  // namespace j4::show
