#pragma once
// The property the fuzzer (and a quick mutation test) checks on any byte image: reading
// it either fails with an error or yields a tree whose every stream can be read, and
// writing that tree out and reading it back gives the same tree again.

#include <cstdint>
#include <span>
#include <string>

namespace j4::platform::compound_check {

// Empty when the property holds (whether or not the image was accepted), otherwise a
// description of what broke.
std::string checkImage(std::span<const uint8_t> bytes, bool* accepted = nullptr);

}  // namespace j4::platform::compound_check
