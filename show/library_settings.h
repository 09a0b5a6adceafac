#pragma once
// Names of the machine settings the libraries read (all under SETTINGS_KEY).

namespace j4::show {

inline constexpr const char* SETTINGS_KEY = "Software\\Corvanta\\Corvanta J4";
inline constexpr const char* SETTING_TEMPLATE_PATH = "TemplatePath";
inline constexpr const char* SETTING_EFFECT_PATH = "EffectPath";
inline constexpr const char* SETTING_LOGO_PATH = "LogoPath";
inline constexpr const char* SETTING_CREATOR_ID = "CreatorID";

}  // namespace j4::show
