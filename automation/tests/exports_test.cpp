// The shared library exports its interface by name and keeps its insides to itself.

#include <dlfcn.h>
#include <gtest/gtest.h>

namespace {

TEST(SharedLibrary, ExportsTheInterfaceByName) {
    void* lib = dlopen(J4AUTO_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(lib, nullptr) << dlerror();
    for (const char* name :
         {"AutoDllSetEvent", "AutoDllGetCommand", "AutoDllSetTime", "j4auto_open", "j4auto_close",
          "j4auto_error", "j4auto_is_connected", "j4auto_get_clock", "j4auto_post", "j4auto_load",
          "j4auto_set_submaster_level", "j4auto_set_aux_sub_cue", "j4auto_automate"})
        EXPECT_NE(dlsym(lib, name), nullptr) << name;
    // The platform code linked inside must not interpose on the program's own copy.
    EXPECT_EQ(dlsym(lib, "_ZN2j48platform8LockFile13runtimeFolderB5cxx11Ev"), nullptr);
    EXPECT_EQ(dlsym(lib, "_ZN2j48platform5Event3setEv"), nullptr);
    dlclose(lib);
}

}  // namespace
