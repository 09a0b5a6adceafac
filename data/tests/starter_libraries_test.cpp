// The generated libraries: they scan as the console scans them (no message 521), hold
// the fixtures and shapes a new user needs, and the shapes are closed paths.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "common/settings_names.h"
#include "data/library_sources.h"
#include "platform/settings_store.h"
#include "show/device_store.h"
#include "show/effect_library.h"
#include "show/paged_mode_control.h"
#include "show/position_control.h"
#include "show/template_store.h"

namespace j4::data {
namespace {

using show::ControlKind;

TEST(StarterLibraries, ScanThroughTheSettingsWithoutMessages) {
    // A private settings root, whether or not the test runs under CTest.
    char root[] = "/tmp/j4data-XXXXXX";
    ASSERT_TRUE(::mkdtemp(root));
    platform::SettingsStore settings(platform::SettingsScope::Machine, root);
    ASSERT_TRUE(settings.writeString(common::SETTINGS_KEY, common::SETTING_TEMPLATE_PATH,
                                     J4_TEMPLATE_LIBRARY_DIR));
    ASSERT_TRUE(settings.writeString(common::SETTINGS_KEY, common::SETTING_EFFECT_PATH,
                                     J4_EFFECT_LIBRARY_DIR));
    show::TemplateStore templates;
    ASSERT_EQ(templates.scan(settings), show::MessageId::None);
    std::vector<std::string> folders;
    int count = 0;
    for (int f = 0; f < templates.folderCount(); ++f) {
        folders.push_back(templates.folder(f)->name());
        for (const auto& tpl : templates.folder(f)->templates()) {
            ASSERT_TRUE(tpl->loadControls()) << tpl->path();
            EXPECT_GT(tpl->channelCount(), 0) << tpl->name();
            EXPECT_TRUE(tpl->channelsUnique()) << tpl->name();
            EXPECT_EQ(tpl->identity(), starterIdentity(tpl->folder(), tpl->name()));
            ++count;
        }
    }
    EXPECT_EQ(folders,
              (std::vector<std::string>{"Dimmers", "Effects", "LED", "Moving Heads", "Scanners"}));
    EXPECT_EQ(count, static_cast<int>(starterTemplates().size()));

    show::EffectLibrary effects;
    ASSERT_EQ(effects.scan(settings), show::MessageId::None);
    ASSERT_EQ(effects.count(), 8);
    // Shows refer to shapes by identity: these must never change.
    const auto circle = common::Identity::fromText("{0144A12B-5804-4F8C-9F98-B379DB651B87}");
    ASSERT_TRUE(circle && effects.find(*circle));
    EXPECT_EQ(effects.find(*circle)->name, "Circle");
    std::filesystem::remove_all(root);
}

TEST(StarterLibraries, MovingHeadHas16BitPositionPagedModeAndSelect) {
    show::TemplateStore templates;
    ASSERT_EQ(templates.scanFolder(J4_TEMPLATE_LIBRARY_DIR), show::MessageId::None);
    show::Template* spot =
        templates.findByName(templates.folderIndex("Moving Heads"), "spot 16-BIT");
    ASSERT_TRUE(spot && spot->loadControls());
    EXPECT_EQ(spot->channelCount(), 15);
    const show::PositionControl* position = nullptr;
    const show::PagedModeControl* mode = nullptr;
    int selects = 0;
    for (const auto& c : spot->controls()) {
        if (c->kind() == ControlKind::Position)
            position = static_cast<const show::PositionControl*>(c.get());
        if (c->kind() == ControlKind::Mode)
            mode = static_cast<const show::PagedModeControl*>(c.get());
        selects += c->kind() == ControlKind::Select;
    }
    ASSERT_TRUE(position && mode);
    EXPECT_TRUE(position->fourChannels());
    EXPECT_GE(selects, 1);
    ASSERT_EQ(mode->pages().size(), 2u);

    // Patched at universe 2, channel 1: the gobo page drives the wheel-effect channels.
    show::DeviceStore devices;
    ASSERT_EQ(devices.create(*spot, "Spot 001", 512), 0);
    common::DmxFrame values{};
    values[512 + 12] = 200;  // gobo page
    values[512 + 13] = 90;
    values[512 + 14] = 64;
    common::RenderBuffer buffer;
    devices.at(0)->render(values, buffer, common::FULL_LEVEL, common::FULL_LEVEL);
    EXPECT_EQ(buffer.values[512 + 12], 200);
    EXPECT_EQ(buffer.values[512 + 13], 90);
    EXPECT_EQ(buffer.values[512 + 14], 64);
    EXPECT_EQ(devices.channelCounts()[1], 15);
}

TEST(StarterLibraries, ShapesAreClosedPaths) {
    for (const StarterEffect& e : starterEffects()) {
        const auto shape = makeStarterEffect(e);
        ASSERT_TRUE(shape) << e.name;
        // The step from the last point back to the first is no longer than the
        // largest step along the path.
        double largest = 0;
        for (int i = 1; i < show::EFFECT_POINTS; ++i)
            largest = std::max(largest, std::hypot(shape->points[i].x - shape->points[i - 1].x,
                                                   shape->points[i].y - shape->points[i - 1].y));
        const auto& first = shape->points.front();
        const auto& last = shape->points.back();
        EXPECT_LE(std::hypot(first.x - last.x, first.y - last.y), largest + 1) << e.name;
        EXPECT_GT(largest, 0) << e.name;
    }
}

}  // namespace
}  // namespace j4::data
