#include "show/file/tool/json_keys.h"

#include <array>
#include <utility>

namespace j4::show::tool {

namespace {

constexpr std::array<std::pair<engine::EventRole, const char*>, 4> ROLES = {{
    {engine::EventRole::Ordinary, "ordinary"},
    {engine::EventRole::LoopStart, "loopStart"},
    {engine::EventRole::LoopMember, "loopMember"},
    {engine::EventRole::LoopEnd, "loopEnd"},
}};

constexpr std::array<std::pair<ControlKind, const char*>, 4> KINDS = {{
    {ControlKind::Select, "select"},
    {ControlKind::Fader, "fader"},
    {ControlKind::Mode, "mode"},
    {ControlKind::Position, "position"},
}};

template <class Table, class Value>
const char* nameIn(const Table& table, Value value) {
    for (const auto& [v, name] : table)
        if (v == value) return name;
    return "?";
}

template <class Table>
auto valueIn(const Table& table, std::string_view name)
    -> std::optional<typename Table::value_type::first_type> {
    for (const auto& [v, n] : table)
        if (name == n) return v;
    return std::nullopt;
}

}  // namespace

const char* roleName(engine::EventRole role) {
    return nameIn(ROLES, role);
}
std::optional<engine::EventRole> roleFromName(std::string_view name) {
    return valueIn(ROLES, name);
}
const char* kindName(ControlKind kind) {
    return nameIn(KINDS, kind);
}
std::optional<ControlKind> kindFromName(std::string_view name) {
    return valueIn(KINDS, name);
}

}  // namespace j4::show::tool
