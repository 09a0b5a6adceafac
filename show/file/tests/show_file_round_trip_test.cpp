#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <random>

#include "common/byte_writer.h"
#include "show/file/show_layout.h"
#include "show/file/tests/bad_show_cases.h"
#include "show/file/tests/show_harness.h"

namespace j4::show {
namespace {

namespace fs = std::filesystem;
using testing::ints;
using testing::mutate;
using testing::putStream;
using testing::ShowHarness;

class ShowFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("j4-showfile-" + std::to_string(getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string file(const std::string& name) const { return (dir_ / name).string(); }

    fs::path dir_;
};

// Every stream of a file by path, with its bytes.
using StreamMap = std::map<std::string, std::vector<uint8_t>>;

void collect(const platform::Storage& storage, const std::string& prefix, StreamMap& out) {
    for (const platform::EntryInfo& e : storage.children()) {
        const std::string path = prefix + e.name;
        if (e.type == platform::EntryType::Storage) {
            out[path + "/"] = {};
            collect(*storage.openStorage(e.name), path + "/", out);
        } else {
            out[path] = storage.openStream(e.name)->readAll();
        }
    }
}

StreamMap streamsOf(const std::string& path) {
    auto f = platform::CompoundFile::openRead(path);
    EXPECT_TRUE(f.ok()) << path;
    StreamMap out;
    if (f) collect(f->root(), "", out);
    return out;
}

void expectEmptyShow(ShowHarness& h) {
    EXPECT_EQ(h.devices.count(), 0);
    EXPECT_EQ(h.cues.count(), 0);
    for (int k = 0; k < common::EVENT_LIST_COUNT; ++k)
        EXPECT_EQ(h.engine.eventLists().list(k)->eventCount(), 1);
    EXPECT_EQ(h.document.path(), "");
    EXPECT_EQ(h.document.title(), "Untitled Show");
    EXPECT_EQ(h.engine.mixer().layerCueNumber(0), 0);
}

TEST_F(ShowFileTest, SaveOpenSaveKeepsEveryStreamAndTheLogicalShow) {
    ShowHarness original;
    testing::buildRichShow(original);
    ASSERT_TRUE(original.document.save(file("a.j4")).ok());
    EXPECT_FALSE(original.document.changed());
    EXPECT_EQ(original.document.title(), "a.j4");

    ShowHarness reopened;
    const ShowReadResult opened = reopened.document.open(file("a.j4"));
    ASSERT_TRUE(opened.ok()) << opened.reason;
    EXPECT_FALSE(reopened.document.changed());
    ASSERT_TRUE(reopened.document.save(file("b.j4")).ok());

    const StreamMap a = streamsOf(file("a.j4"));
    const StreamMap b = streamsOf(file("b.j4"));
    EXPECT_EQ(a, b);
    EXPECT_TRUE(a.count("EventLists/0/Events"));
    EXPECT_TRUE(a.count("Cues/4/Data"));

    // Spot checks of the logical content after the round trip.
    EXPECT_EQ(reopened.devices.count(), 6);
    EXPECT_EQ(reopened.cues.count(), 5);
    const Cue* five = reopened.cues.find(5);
    ASSERT_EQ(five->effects().size(), 1u);
    EXPECT_EQ(five->effects()[0].settings, (EffectSettings{300, 40, -900, 1}));
    EXPECT_EQ(reopened.cues.find(1000000)->name(), "Cue 1000000 \xF0\x9F\x8E\xAD");
    const engine::EventList& main = *reopened.engine.eventLists().list(0);
    EXPECT_EQ(main.name(), "Main \xF0\x9D\x84\x9E");
    EXPECT_EQ(main.events(), original.engine.eventLists().list(0)->events());
    EXPECT_FALSE(reopened.engine.eventLists().list(2)->enabled());
    EXPECT_EQ(reopened.clock.timecodeOffset(), -1500);
    EXPECT_EQ(reopened.clock.lostTimecodeSwitch(), true);
    EXPECT_EQ(reopened.engine.mixer().preset(7), original.engine.mixer().preset(7));
    EXPECT_EQ(reopened.engine.mixer().layerCueNumber(23), 10);
    EXPECT_EQ(reopened.engine.mixer().dmxInputSettings(), (engine::DmxInputSettings{17, 0x3F}));
}

TEST_F(ShowFileTest, IndependentReaderSeesTheShowTree) {
    ShowHarness h;
    testing::buildRichShow(h);
    ASSERT_TRUE(h.document.save(file("show.j4")).ok());
    const std::string listing = file("olefile.txt");
    const std::string script =
        "import olefile,sys\n"
        "o=olefile.OleFileIO(sys.argv[1])\n"
        "for e in sorted(o.listdir(streams=True, storages=False)):\n"
        "  print('/'.join(e), o.get_size('/'.join(e)))\n";
    const std::string command =
        "/usr/bin/python3 -c \"" + script + "\" " + file("show.j4") + " > " + listing;
    ASSERT_EQ(std::system(command.c_str()), 0) << "python3-olefile must be installed";
    std::map<std::string, size_t> seen;
    std::ifstream in(listing);
    std::string path;
    size_t size = 0;
    while (in >> path >> size) seen[path] = size;
    std::map<std::string, size_t> ours;
    for (const auto& [path, bytes] : streamsOf(file("show.j4")))
        if (path.back() != '/') ours[path] = bytes.size();
    EXPECT_EQ(seen, ours);
    EXPECT_EQ(seen["CorvantaJ4"], 4u);
    EXPECT_EQ(seen["Presets/Data"], (24u + 24u * 24u) * 4u);
    EXPECT_EQ(seen["Devices/Groups"], 0u);
}

TEST_F(ShowFileTest, SavingOverAShowKeepsThePreviousAsBackup) {
    ShowHarness h;
    testing::buildRichShow(h);
    ASSERT_TRUE(h.document.save(file("show.j4")).ok());
    const StreamMap first = streamsOf(file("show.j4"));
    {
        std::lock_guard guard(h.engine.lock());
        h.cues.find(1)->setName("renamed");
    }
    h.document.markChanged();
    ASSERT_TRUE(h.document.save(file("show.j4")).ok());
    EXPECT_EQ(streamsOf(file("show.j4.bak")), first);
    EXPECT_NE(streamsOf(file("show.j4")), first);
}

TEST_F(ShowFileTest, FailedSaveKeepsTheOldFileAndTheChangedMark) {
    ShowHarness h;
    testing::buildRichShow(h);
    ASSERT_TRUE(h.document.save(file("show.j4")).ok());
    const StreamMap saved = streamsOf(file("show.j4"));
    h.document.markChanged();

    const SaveResult missingFolder = h.document.save(file("no/such/folder/show.j4"));
    EXPECT_EQ(missingFolder.message, common::MSG_SHOW_SAVE_FAILED);
    EXPECT_TRUE(h.document.changed());

    // A full disk: the child may write only a few kilobytes.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit{4096, 4096};
        setrlimit(RLIMIT_FSIZE, &limit);
        const SaveResult r = h.document.save(file("show.j4"));
        _exit(r.message == common::MSG_SHOW_SAVE_FAILED && h.document.changed() ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(streamsOf(file("show.j4")), saved);
    for (const auto& entry : fs::directory_iterator(dir_))
        EXPECT_EQ(entry.path().filename().string().find(".tmp"), std::string::npos)
            << "temporary file left behind: " << entry.path();
}

TEST_F(ShowFileTest, VersionRules) {
    ShowHarness h;
    testing::buildRichShow(h);
    ASSERT_TRUE(h.document.save(file("show.j4")).ok());

    struct Case {
        const char* what;
        std::function<void(platform::Storage&)> change;
        int message;
    } cases[] = {
        {"version 123", [](platform::Storage& r) { putStream(r, "CorvantaJ4", ints({123})); },
         common::MSG_FILE_VERSION_INCOMPATIBLE},
        {"no version stream", [](platform::Storage& r) { (void)r.remove("CorvantaJ4"); },
         common::MSG_FILE_VERSION_INCOMPATIBLE},
        {"version 272", [](platform::Storage& r) { putStream(r, "CorvantaJ4", ints({272})); }, 0},
    };
    for (const auto& c : cases) {
        fs::copy_file(file("show.j4"), file("case.j4"), fs::copy_options::overwrite_existing);
        mutate(file("case.j4"), c.change);
        ShowHarness target;
        testing::buildRichShow(target);
        const ShowReadResult r = target.document.open(file("case.j4"));
        EXPECT_EQ(r.message, c.message) << c.what << ": " << r.reason;
        if (c.message != 0) expectEmptyShow(target);
    }

    ShowHarness target;
    EXPECT_EQ(target.document.open(file("missing.j4")).message, common::MSG_SHOW_OPEN_FAILED);
    std::ofstream(file("text.j4")) << "not a compound file";
    EXPECT_EQ(target.document.open(file("text.j4")).message, common::MSG_SHOW_OPEN_FAILED);
}

TEST_F(ShowFileTest, Version80EventsHaveNoStopFlagAndInputHasNoFlags) {
    ShowHarness h;
    ASSERT_TRUE(h.document.save(file("show.j4")).ok());
    mutate(file("show.j4"), [](platform::Storage& root) {
        putStream(root, "CorvantaJ4", ints({80}));
        putStream(root, "EventLists/0/Info", [] {
            common::ByteWriter w = ints({2, 1});
            w.string("old");
            return w;
        }());
        // Two records of six ints and a comment.
        common::ByteWriter events = ints({0, 0, 0, 0, 0, 0});
        events.string("");
        events.raw(ints({5000, 1, 250, 750, 3, 0}).bytes());
        events.string("from an old show");
        putStream(root, "EventLists/0/Events", events);
        putStream(root, "Input/Info", ints({12}));
    });
    ShowHarness target;
    const ShowReadResult r = target.document.open(file("show.j4"));
    ASSERT_TRUE(r.ok()) << r.reason;
    const auto events = target.engine.eventLists().list(0)->events();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[1].time, 5000);
    EXPECT_TRUE(events[1].splitFade);
    EXPECT_FALSE(events[1].stop);
    EXPECT_EQ(events[1].fadeIn, 250);
    EXPECT_EQ(events[1].fadeOut, 750);
    EXPECT_EQ(events[1].cue, 3);
    EXPECT_EQ(events[1].comment, "from an old show");
    EXPECT_EQ(target.engine.mixer().dmxInputSettings(), (engine::DmxInputSettings{12, 1}));
}

TEST_F(ShowFileTest, BadInputIsRefusedWithAnEmptyShow) {
    ShowHarness h;
    testing::buildRichShow(h);
    ASSERT_TRUE(h.document.save(file("show.j4")).ok());

    for (const auto& c : testing::badShowCases()) {
        SCOPED_TRACE(c.what);
        fs::copy_file(file("show.j4"), file("case.j4"), fs::copy_options::overwrite_existing);
        mutate(file("case.j4"), c.change);
        ShowHarness target;
        ASSERT_TRUE(target.document.open(file("show.j4")).ok());
        const ShowReadResult r = target.document.open(file("case.j4"));
        EXPECT_EQ(r.message, common::MSG_SHOW_OPEN_FAILED) << r.reason;
        EXPECT_NE(r.reason.find(c.reasonHas), std::string::npos) << r.reason;
        expectEmptyShow(target);
    }
}

TEST_F(ShowFileTest, AKilledSaveLeavesAShowThatWasSaved) {
    // A child saves generation after generation (the generation is Cue 1's name); the
    // parent kills it at random moments. The show file must always open, to a
    // generation that was completely saved, and never one from the future.
    std::mt19937 rng(1234);
    int lastSeen = -1;
    for (int round = 0; round < 12; ++round) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ShowHarness h;
            testing::buildRichShow(h);
            for (int generation = round * 1000;; ++generation) {
                {
                    std::lock_guard guard(h.engine.lock());
                    h.cues.find(1)->setName(std::to_string(generation));
                }
                if (!h.document.save(file("show.j4")).ok()) _exit(3);
            }
        }
        usleep(20000 + rng() % 60000);
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the saving child stopped by itself";
        if (!fs::exists(file("show.j4"))) continue;  // killed before the first save finished
        ShowHarness reader;
        const ShowReadResult r = reader.document.open(file("show.j4"));
        ASSERT_TRUE(r.ok()) << "round " << round << ": " << r.reason;
        const int generation = std::stoi(reader.cues.find(1)->name());
        // Either this round completed a save, or the file still holds the last one.
        EXPECT_TRUE(generation == lastSeen || generation >= round * 1000) << generation;
        EXPECT_GE(generation, lastSeen);
        lastSeen = generation;
        if (fs::exists(file("show.j4.bak"))) {
            ShowHarness backup;
            EXPECT_TRUE(backup.document.open(file("show.j4.bak")).ok());
        }
    }
    EXPECT_GE(lastSeen, 0);
}

}  // namespace
}  // namespace j4::show
