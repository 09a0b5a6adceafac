#pragma once
// The built-in Template library and effect library, described in code so they are
// readable and reviewed like code; the build turns them into ".tpl" and ".eff" files.

#include <memory>
#include <string>
#include <vector>

#include "show/control.h"
#include "show/effect_shape.h"

namespace j4::data {

struct StarterTemplate {
    std::string folder;
    std::string name;
    show::ControlList controls;
};

// Fixtures a designer expects to find on a new installation, folder by folder.
std::vector<StarterTemplate> starterTemplates();

// The identity the generated file of a Template carries: derived from its folder and
// name, so every build writes the same bytes.
common::Identity starterIdentity(const std::string& folder, const std::string& name);

struct StarterEffect {
    const char* identity;  // fixed: shows refer to shapes by it
    const char* name;
    const char* fileName;
};

// The shapes with their fixed identities, in file-name order.
const std::vector<StarterEffect>& starterEffects();
// The 3000 points of a shape from starterEffects(); null for an unknown name.
std::unique_ptr<show::EffectShape> makeStarterEffect(const StarterEffect& effect);

}  // namespace j4::data
