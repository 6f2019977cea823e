#include "datagen/demo_role_sprite.h"

#include <fstream>
#include <sstream>

#include "datagen/demo_fighters.h"
#include "datagen/image_encoder.h"
#include "datagen/lib_writer.h"
#include "datagen/pli_writer.h"

namespace datagen {

uint32_t AddRolePartEntries(std::vector<std::string>* entries, uint32_t libSlot, const RolePartArt& art) {
    ImageFrame box;
    box.width = art.width;
    box.height = art.height;
    box.pixels.assign(static_cast<size_t>(art.width) * art.height, art.colour);
    box.rle = true;
    if (art.alpha) {
        box.compressAlpha = true;
        box.alpha.assign(box.pixels.size(), art.alpha);
    }
    const uint32_t frameEntry = static_cast<uint32_t>(entries->size());
    entries->push_back(BuildFrameTable({EncodeFrame(box)}));

    std::vector<AnimSeqSpec> seqs(static_cast<size_t>(art.sequences));
    for (AnimSeqSpec& s : seqs)
        for (int32_t f = 0; f < art.frames; ++f) {
            AnimFrameSpec fr;
            fr.delay = 1;
            fr.resId = (libSlot & 0xF) << 20 | frameEntry | 1u << 24;
            fr.x = art.x;
            fr.y = art.y;
            s.frames.push_back(fr);
        }
    const uint32_t animEntry = static_cast<uint32_t>(entries->size());
    entries->push_back(BuildAnimTable(seqs));
    return (libSlot & 0xF) << 20 | animEntry;
}

uint32_t AddPosedRolePartEntries(std::vector<std::string>* entries, uint32_t libSlot, const RolePartPoses& art) {
    std::vector<std::string> pictures;
    for (const RolePartBox& b : art.boxes) {
        ImageFrame box;
        box.width = b.width;
        box.height = b.height;
        box.pixels.assign(static_cast<size_t>(b.width) * b.height, art.colour);
        box.rle = true;
        if (art.alpha) {
            box.compressAlpha = true;
            box.alpha.assign(box.pixels.size(), art.alpha);
        }
        pictures.push_back(EncodeFrame(box));
    }
    const uint32_t frameEntry = static_cast<uint32_t>(entries->size());
    entries->push_back(BuildFrameTable(pictures));

    std::vector<AnimSeqSpec> seqs;
    for (const std::vector<int32_t>& frames : art.sequences) {
        AnimSeqSpec s;
        for (int32_t i : frames) {
            const RolePartBox& b = art.boxes.at(static_cast<size_t>(i));
            AnimFrameSpec fr;
            fr.delay = art.delay;
            fr.resId = (libSlot & 0xF) << 20 | frameEntry | static_cast<uint32_t>(i + 1) << 24;
            fr.x = b.x;
            fr.y = b.y;
            s.frames.push_back(fr);
        }
        seqs.push_back(s);
    }
    const uint32_t animEntry = static_cast<uint32_t>(entries->size());
    entries->push_back(BuildAnimTable(seqs));
    return (libSlot & 0xF) << 20 | animEntry;
}

namespace {

// Standing (box 0) in the first two actions, then the death sequences fall
// through kneeling (1) to lying (2), and the lying sequences lie.
std::vector<std::vector<int32_t>> DemoPoseSequences() {
    std::vector<std::vector<int32_t>> seqs(kDemoRoleDeathSeq, std::vector<int32_t>{0, 0});
    for (int32_t d = 0; d < 8; ++d) seqs.push_back({0, 0, 1, 1, 1, 2});
    for (int32_t d = 0; d < 8; ++d) seqs.push_back({2, 2});
    return seqs;
}

std::vector<std::string> ReadListNames(const std::string& path) {
    std::vector<std::string> names;
    std::ifstream in(path, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.rfind("name=", 0) == 0) names.push_back(line.substr(5));
    }
    return names;
}

} // namespace

bool WriteDemoRoleSprite(const std::string& nativeProgramFolder) {
    std::string root = nativeProgramFolder;
    if (!root.empty() && root.back() != '/') root += '/';
    const std::string idx = root + "Zy/idx.lib";

    std::vector<std::string> names = ReadListNames(idx);
    size_t slot = 0;
    while (slot < names.size() && names[slot] != kDemoRoleLibName) ++slot;
    if (slot == names.size()) names.push_back(kDemoRoleLibName);
    if (slot > 15) return false;

    // Parts of distinct colours around the feet at (0, 0).
    std::vector<std::string> entries;
    const uint32_t lib = static_cast<uint32_t>(slot);
    // Each part stands, kneels and lies (the death and lying sequences).
    const auto posed = [&](uint16_t colour, RolePartBox stand, RolePartBox kneel, RolePartBox lie, uint8_t alpha = 0) {
        return AddPosedRolePartEntries(&entries, lib, {colour, {stand, kneel, lie}, DemoPoseSequences(), 3, alpha});
    };
    const uint32_t body = posed(Rgb16(40, 80, 220), {16, 24, -8, -24}, {18, 14, -9, -14}, {28, 10, -16, -10});
    const uint32_t head = posed(Rgb16(240, 200, 60), {10, 10, -5, -34}, {10, 10, -5, -24}, {10, 10, 12, -11});
    const uint32_t sword = posed(Rgb16(220, 40, 40), {4, 26, 6, -30}, {4, 20, 8, -20}, {26, 4, -14, 2});
    const uint32_t axe = posed(Rgb16(160, 160, 170), {8, 22, 5, -28}, {8, 18, 7, -18}, {22, 8, -12, 1});
    const uint32_t glow = posed(Rgb16(60, 230, 90), {6, 6, 5, -33}, {6, 6, 7, -23}, {6, 6, -17, 1}, 0xA0);

    std::vector<SprRoleItem> items = {
        {kDemoRoleName, "BD", "001", static_cast<int32_t>(body), "BODY"},
        {kDemoRoleName, "HD", "001", static_cast<int32_t>(head), "HEAD"},
        {kDemoRoleName, "WP", "001", static_cast<int32_t>(sword), "SWORD"},
        {kDemoRoleName, "WP", "002", static_cast<int32_t>(axe), "AXE"},
        {kDemoRoleName, "WPS", "001", static_cast<int32_t>(glow), "GLOW"},
    };
    // Action 0 (stand): weapon in front; action 1 (walk): weapon behind.
    const PliSpec pli{kDemoRoleName, "BD", {"BD", "HD", "WP"}, {{{0, 1, 2}, {0, 1, 2}}, {{2, 0, 1}, {2, 0, 1}}}};

    // The wolf and the guard beside the hero, in the same library.
    if (!AddDemoFighterSprites(&entries, lib, &items, root)) return false;
    return WriteLib(root + "Zy/" + kDemoRoleLibName + ".lib", entries) && WriteIdxLib(idx, names) &&
           WriteSprRoleHeader(root + "slr/SprRole.h", items) && WritePli(PliNativePath(root, kDemoRoleName), pli);
}

} // namespace datagen
