#include "platform/shared_library.h"

#include <dlfcn.h>

#include <utility>

namespace j4::platform {

SharedLibrary::~SharedLibrary() {
    close();
}

SharedLibrary::SharedLibrary(SharedLibrary&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)), error_(std::move(other.error_)) {}

SharedLibrary& SharedLibrary::operator=(SharedLibrary&& other) noexcept {
    if (this != &other) {
        close();
        handle_ = std::exchange(other.handle_, nullptr);
        error_ = std::move(other.error_);
    }
    return *this;
}

bool SharedLibrary::open(const std::string& nameOrPath) {
    close();
    error_.clear();
    if (nameOrPath.empty()) {
        error_ = "no library name given";
        return false;
    }
    // Resolve everything now: a library missing a symbol fails here, not in the middle
    // of a frame. RTLD_LOCAL keeps its symbols out of later lookups by other libraries.
    handle_ = dlopen(nameOrPath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) {
        const char* why = dlerror();
        error_ = why ? why : "cannot load " + nameOrPath;
        return false;
    }
    return true;
}

void SharedLibrary::close() {
    if (handle_ != nullptr) {
        dlclose(handle_);
        handle_ = nullptr;
    }
}

void* SharedLibrary::symbol(const char* name) const {
    if (handle_ == nullptr || name == nullptr) return nullptr;
    dlerror();
    return dlsym(handle_, name);
}

}  // namespace j4::platform
