#pragma once
// Save games: one input is a summary and a slot file ("Save\f.sav" and the
// slot it names, "Save\f.00n"): u32 length of the summary, the summary, the
// slot file. For half the inputs (by a hash of the bytes) the harness
// rewrites each file's trailer to match what precedes it, so the parser
// behind the checksum is reached. `CSaveMgr::Load` reads them. An accepted
// game is saved again (its record bytes and HUD block written back through
// the same stand-ins) and loaded once more: record, HUD block and the
// summary's values must come back equal, and the new slot file must be
// exactly its layout and trailer.
//
// The role record here is a stand-in that keeps the bytes the manager hands
// it, so the target tries the manager's framing and its walk of the record
// layout, not the record's own tables.
#include <cstring>
#include <string>
#include <vector>

#include "datagen/save_writer.h"
#include "env.h"
#include "platform/clock.h"
#include "roles/role_hooks.h"
#include "roles/save/record_link.h"
#include "roles/save_mgr.h"
#include "world/objects/game_obj.h"
#include "world/scene/scene_hooks.h"

namespace fuzzharness {

namespace savefuzz {

struct Record {
    std::string bytes;
    int32_t level = 0;
};
inline Record* As(CRoleData* r) { return reinterpret_cast<Record*>(r); }

inline std::string ReadAll(FILE* f) {
    std::string out;
    char buf[4096];
    size_t n = 0;
    while ((n = std::fread(buf, 1, sizeof(buf), f)) > 0) out.append(buf, n);
    return out;
}

struct State {
    Record* loaded = nullptr;  // the record the last load handed over
    std::string hud;           // the HUD's block as the last load gave it
    bool hudRead = false;
};
inline State& S() {
    static State s;
    return s;
}

inline CSaveRecordOps Ops() {
    CSaveRecordOps ops;
    ops.create = [] { return reinterpret_cast<CRoleData*>(new Record); };
    ops.destroy = [](CRoleData* r) { delete As(r); };
    ops.saveRole = [](CRoleData* r, FILE* f) {
        const std::string& b = As(r)->bytes;
        return std::fwrite(b.data(), 1, b.size(), f) == b.size() ? 1 : 0;
    };
    ops.loadRole = [](CRoleData* r, FILE* f) {
        As(r)->bytes = ReadAll(f);
        return 1;
    };
    ops.level = [](const CRoleData* r) { return reinterpret_cast<const Record*>(r)->level; };
    return ops;
}

inline uint32_t Hash(const uint8_t* data, size_t size) {
    uint32_t h = 2166136261u;
    for (size_t i = 0; i < size; ++i) h = (h ^ data[i]) * 16777619u;
    return h;
}

// The file with its trailer made right: an old one (ending in "VTSV" and
// two words) is replaced, else one is added.
inline std::string Retrailed(std::string file) {
    if (file.size() >= 12 && std::memcmp(file.data() + file.size() - 12, "VTSV", 4) == 0) file.resize(file.size() - 12);
    return datagen::WithSaveTrailer(std::move(file));
}

struct Summary {
    int32_t slot, difficulty, level, playSeconds, deaths, month, day, reserved[4];
    std::string name;
    bool operator==(const Summary& o) const {
        return slot == o.slot && difficulty == o.difficulty && level == o.level && playSeconds == o.playSeconds &&
               deaths == o.deaths && month == o.month && day == o.day &&
               std::memcmp(reserved, o.reserved, sizeof(reserved)) == 0 && name == o.name;
    }
};
inline Summary Take(const CSaveMgr& m) {
    Summary s{m.m_Slot, m.m_Difficulty, m.m_Level, m.m_PlaySeconds, m.m_DeathCount, m.m_BirthMonth, m.m_BirthDay, {}, m.m_SaveName};
    std::memcpy(s.reserved, m.m_Reserved, sizeof(s.reserved));
    return s;
}

// Hooks and values of the process, put back after the input.
class Scope {
public:
    Scope() : ops_(g_SaveRecordOps), scene_(g_SceneHooks), role_(g_RoleHooks) {
        g_SaveRecordOps = Ops();
        g_SceneHooks.getRecord = [](int32_t id) { return id == 1 ? reinterpret_cast<CRoleData*>(S().loaded) : nullptr; };
        g_RoleHooks = CRoleHooks{};
        g_RoleHooks.restartHost = [](CRoleData* r) {
            delete S().loaded;
            S().loaded = As(r);
        };
        g_RoleHooks.LoadHudState = [](FILE* f) {
            S().hud = ReadAll(f);
            S().hudRead = true;
            return 1;
        };
        g_RoleHooks.SaveHudState = [](FILE* f) {
            return std::fwrite(S().hud.data(), 1, S().hud.size(), f) == S().hud.size() ? 1 : 0;
        };
        plat::WallTime t;
        t.seconds = 1000000;
        plat::SetWallTime(&t);
        g_SaveMgr.m_SaveDir = fuzzenv::ProgramHome().win + "Save\\";
        g_SaveMgr.m_SaveName = "keep";
        g_SaveMgr.m_Slot = 0;
        g_SaveMgr.m_Difficulty = 1;
        g_SaveMgr.m_PlayStamp = t.seconds;
    }
    ~Scope() {
        delete S().loaded;
        S() = State{};
        g_SaveRecordOps = ops_;
        g_SceneHooks = scene_;
        g_RoleHooks = role_;
        plat::SetWallTime(nullptr);
        g_SaveMgr.m_SaveDir.clear();
        for (const char* leaf : {"f.sav", "f.000", "f.001", "f.002", "f.003"})
            fuzzenv::RemoveFile(fuzzenv::ProgramHome().native + "Save/" + leaf);
    }
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

private:
    CSaveRecordOps ops_;
    CSceneHooks scene_;
    CRoleHooks role_;
};

} // namespace savefuzz

// Splits an input: u32 summary length (clamped), summary, slot file.
inline void SplitSaveInput(const uint8_t* data, size_t size, std::string* summary, std::string* slot) {
    uint32_t n = 0;
    if (size >= 4) n = uint32_t(data[0]) | uint32_t(data[1]) << 8 | uint32_t(data[2]) << 16 | uint32_t(data[3]) << 24;
    const size_t rest = size >= 4 ? size - 4 : 0;
    const size_t len = n < rest ? n : rest;
    const char* p = reinterpret_cast<const char*>(data) + (size >= 4 ? 4 : size);
    summary->assign(p, len);
    slot->assign(p + len, rest - len);
}

inline std::string JoinSaveInput(const std::string& summary, const std::string& slot) {
    const uint32_t n = static_cast<uint32_t>(summary.size());
    std::string out;
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((n >> (8 * i)) & 0xFF));
    return out + summary + slot;
}

inline int RunSave(const uint8_t* data, size_t size) {
    using namespace savefuzz;
    fuzzenv::ResetProcessState();
    std::string summary, slot;
    SplitSaveInput(data, size, &summary, &slot);
    if (Hash(data, size) & 4u) {
        summary = Retrailed(std::move(summary));
        slot = Retrailed(std::move(slot));
    }
    Scope scope;
    int32_t named = 0;
    if (summary.size() >= 4) std::memcpy(&named, summary.data(), 4);
    if (named < 0 || named > 3) named = 0;
    const std::string dir = fuzzenv::ProgramHome().native + "Save/";
    fuzzenv::PutFile(dir + "f.sav", summary);
    fuzzenv::PutFile(dir + "f.00" + std::to_string(named), slot);

    if (!g_SaveMgr.Load("f")) {
        if (g_SaveMgr.m_SaveName != "keep" || S().loaded) fuzzenv::Fail("a refused load changed the game");
        if (g_SaveMgr.LastError().find("Save\\f.") != 0) fuzzenv::Fail("a refusal does not name its file");
        return 0;
    }
    if (!S().loaded) fuzzenv::Fail("an accepted load handed over no record");
    const Summary first = Take(g_SaveMgr);
    const std::string record = S().loaded->bytes;
    const std::string hud = S().hud;
    const bool hadHud = S().hudRead;
    S().loaded->level = g_SaveMgr.m_Level;

    CGameObj role;
    role.m_DataId = 1;
    if (!g_SaveMgr.Save(&role)) fuzzenv::Fail("an accepted game does not save again");
    std::string written;
    {
        FILE* f = plat::OpenFile(dir + "f.00" + std::to_string(g_SaveMgr.m_Slot), "rb");
        if (!f) fuzzenv::Fail("the new slot file is missing");
        written = ReadAll(f);
        std::fclose(f);
    }
    if (written != datagen::WithSaveTrailer(record + (hadHud ? hud : std::string())))
        fuzzenv::Fail("the slot written again is not the record, the HUD block and the trailer");
    S().hudRead = false;
    if (!g_SaveMgr.Load("f")) fuzzenv::Fail("a game saved again does not load");
    Summary second = Take(g_SaveMgr);
    if (S().loaded->bytes != record) fuzzenv::Fail("the record came back changed");
    if (S().hudRead != hadHud || (hadHud && S().hud != hud)) fuzzenv::Fail("the HUD block came back changed");
    second.slot = first.slot;
    if (!(second == first)) fuzzenv::Fail("the summary came back changed");
    return 1;
}

} // namespace fuzzharness
