#pragma once
// Loading a shared library by name and looking up its exports by name.

#include <string>

namespace j4::platform {

class SharedLibrary {
  public:
    SharedLibrary() = default;
    ~SharedLibrary();
    SharedLibrary(SharedLibrary&& other) noexcept;
    SharedLibrary& operator=(SharedLibrary&& other) noexcept;
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;

    // A bare name ("libCorvantaJ4Drv.so") is searched the usual way; a path is used as
    // given. On failure returns false and error() tells why.
    bool open(const std::string& nameOrPath);
    void close();
    bool isOpen() const { return handle_ != nullptr; }
    void* symbol(const char* name) const;
    template <typename F>
    F function(const char* name) const {
        return reinterpret_cast<F>(symbol(name));
    }
    const std::string& error() const { return error_; }

  private:
    void* handle_ = nullptr;
    std::string error_;
};

}  // namespace j4::platform
