#pragma once
// A control as it travels in a file: an int kind followed by the kind's record. Used
// by Template files, Device records of show files and mode pages alike.

#include <memory>

#include "show/control.h"

namespace j4::show {

// A new default control of a kind; null for a number that is not a control kind.
std::unique_ptr<Control> makeControl(int32_t kind);

void saveControlWithKind(common::ByteWriter& out, const Control& control);

// Reads the int kind and the record. Null (the reason in the reader) for a kind other
// than 1, 2, 3, 5 or a record that fails.
std::unique_ptr<Control> loadControlWithKind(common::ByteReader& in, int nesting = 0);

// `count` records one after another (the count itself is stored elsewhere). The
// count is checked against the bytes left before anything is read. False (and `out`
// untouched) when any record fails.
bool loadControlList(common::ByteReader& in, int32_t count, ControlList& out, int nesting = 0);
void saveControlList(common::ByteWriter& out, const ControlList& controls);

// Smallest record of any kind with its int kind in front: kind + rectangle + empty
// name. Counts read from files are checked against it.
inline constexpr size_t MIN_CONTROL_RECORD_BYTES = 4 + 16 + 4;

}  // namespace j4::show
