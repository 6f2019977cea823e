#include "datagen/pli_writer.h"

#include "datagen/bytes.h"
#include "datagen/define_writer.h"

namespace datagen {

namespace {

void OrderLists(Bytes& b, const std::vector<std::vector<uint8_t>>& frames) {
    for (const std::vector<uint8_t>& order : frames)
        for (uint8_t i : order) b.U8(i);
}

} // namespace

std::string BuildPli(const PliSpec& spec) {
    Bytes b;
    b.Fixed("wuyong", 7).Fixed(spec.roleName, 10).Fixed(spec.mainPart, 10);
    b.U32(static_cast<uint32_t>(spec.actions.size())).U32(static_cast<uint32_t>(spec.partNames.size()));
    for (const std::string& n : spec.partNames) b.Fixed(n, 5);
    for (const auto& action : spec.actions) {
        b.U32(static_cast<uint32_t>(action.size()));
        OrderLists(b, action);
    }
    return b.str();
}

std::string BuildOlderPli(const PliSpec& spec) {
    Bytes b;
    b.Fixed("PLI", 10).Fixed(spec.roleName, 20).U16(0).U16(0);
    b.U8(static_cast<uint8_t>(spec.partNames.size())).Fixed(spec.mainPart, 5);
    for (const std::string& n : spec.partNames) b.Fixed(n, 5).Fixed("", 5);
    b.Fixed("", 32).U16(static_cast<uint16_t>(spec.actions.size()));
    for (const auto& action : spec.actions) {
        b.U16(static_cast<uint16_t>(action.size()));
        OrderLists(b, action);
    }
    return b.str();
}

std::string PliNativePath(const std::string& nativeFolder, const std::string& role) {
    std::string root = nativeFolder;
    if (!root.empty() && root.back() != '/') root += '/';
    return root + "slr/" + role + "/" + role + "_001.PLI";
}

bool WritePli(const std::string& nativePath, const PliSpec& spec, bool older) {
    return WriteBytes(nativePath, older ? BuildOlderPli(spec) : BuildPli(spec));
}

std::string SprRoleConstantName(const SprRoleItem& item) {
    return "SPR_ROLE_" + item.role + "_" + item.part + "_" + item.variant + "_" + item.suffix;
}

std::string BuildSprRoleHeader(const std::vector<SprRoleItem>& items) {
    std::vector<DefineItem> defs;
    for (const SprRoleItem& i : items) defs.push_back({SprRoleConstantName(i), i.value});
    return BuildDefineHeader(defs);
}

bool WriteSprRoleHeader(const std::string& nativePath, const std::vector<SprRoleItem>& items) {
    return WriteBytes(nativePath, BuildSprRoleHeader(items));
}

} // namespace datagen
