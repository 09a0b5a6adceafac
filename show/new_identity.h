#pragma once
// A freshly generated random identity (a version-4 GUID), given to a Template every
// time its controls are saved.

#include "common/identity.h"

namespace j4::show {

common::Identity newIdentity();

}  // namespace j4::show
