#pragma once
// The console's scratch folder "Corvanta J4 Data" for picture files the windows write
// and load. It is emptied at start and removed at exit.
//
// The folder lives in the user's own runtime folder ($XDG_RUNTIME_DIR) when there is
// one. Otherwise it goes into the temporary folder ($TMPDIR or /tmp) with the user id
// appended: that folder is shared by every user, so a fixed name could be taken first
// by someone else (or be a symbolic link into another place) and the console would
// then empty a folder that is not its own. The folder is made private (mode 0700) and
// refused unless it is a real directory owned by this user.

#include <string>

namespace j4::engine {

class TempDataFolder {
  public:
    ~TempDataFolder();

    // Creates the folder or deletes every file in it (sub-folders are left). False
    // when no temporary folder is known or the folder cannot be made safe.
    bool prepare();
    // Deletes every file in it and removes it (it stays when sub-folders remain).
    void remove();
    const std::string& path() const { return path_; }

    // Where prepare() puts the folder for the current environment.
    static std::string location();

  private:
    std::string path_;
};

}  // namespace j4::engine
