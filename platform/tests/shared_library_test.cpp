#include "platform/shared_library.h"

#include <gtest/gtest.h>

namespace j4::platform {
namespace {

TEST(SharedLibrary, LoadsByPathAndFindsExportsByName) {
    SharedLibrary lib;
    ASSERT_TRUE(lib.open(J4_TEST_PLUGIN_PATH)) << lib.error();
    auto answer = lib.function<int (*)()>("j4TestAnswer");
    ASSERT_NE(answer, nullptr);
    EXPECT_EQ(answer(), 42);
    EXPECT_EQ(lib.symbol("noSuchExport"), nullptr);
    EXPECT_EQ(lib.symbol(nullptr), nullptr);

    SharedLibrary moved(std::move(lib));
    EXPECT_FALSE(lib.isOpen());
    EXPECT_TRUE(moved.isOpen());
    EXPECT_EQ(lib.symbol("j4TestAnswer"), nullptr);
    moved.close();
    EXPECT_FALSE(moved.isOpen());
}

TEST(SharedLibrary, LoadsASystemLibraryByBareName) {
    SharedLibrary libm;
    ASSERT_TRUE(libm.open("libm.so.6")) << libm.error();
    auto cosine = libm.function<double (*)(double)>("cos");
    ASSERT_NE(cosine, nullptr);
    EXPECT_DOUBLE_EQ(cosine(0.0), 1.0);
}

TEST(SharedLibrary, ReportsWhyALibraryCouldNotBeLoaded) {
    SharedLibrary lib;
    EXPECT_FALSE(lib.open("/nonexistent/libCorvantaJ4Drv.so"));
    EXPECT_FALSE(lib.isOpen());
    EXPECT_NE(lib.error().find("libCorvantaJ4Drv.so"), std::string::npos) << lib.error();
    EXPECT_FALSE(lib.open(""));
    EXPECT_FALSE(lib.error().empty());
}

}  // namespace
}  // namespace j4::platform
