#include "roles/save_mgr.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>

#include "core/directories.h"
#include "gfx/anim.h"
#include "gfx/role_sprite.h"
#include "platform/clock.h"
#include "platform/debug.h"
#include "platform/fs.h"
#include "platform/text.h"
#include "roles/actor/actor.h"
#include "roles/role_hooks.h"
#include "roles/save/record_link.h"
#include "roles/save/save_format.h"
#include "world/objects/game_obj.h"
#include "world/scene/scene_hooks.h"

CSaveMgr g_SaveMgr;

namespace {

constexpr const char* kVersion = "1.5";

// What a reason calls a file: the game's own form, inside the save folder.
std::string Shown(const std::string& name, const char* ext) { return "Save\\" + name + ext; }

std::string SlotExt(int32_t slot) {
    char ext[8];
    std::snprintf(ext, sizeof(ext), ".00%d", static_cast<int>(slot));
    return ext;
}

// The whole file, or false when it does not open or read.
bool ReadWhole(const std::string& path, std::string* out) {
    FILE* f = plat::OpenFile(path, "rb");
    if (!f) return false;
    out->clear();
    char buf[65536];
    size_t n = 0;
    while ((n = std::fread(buf, 1, sizeof(buf), f)) > 0) out->append(buf, n);
    const bool ok = !std::ferror(f);
    std::fclose(f);
    return ok;
}

// Every folder level of a Windows-form folder path ending in '\'.
void MakeFolders(const std::string& dir) {
    for (size_t i = 0; i < dir.size(); ++i) {
        if ((dir[i] == '\\' || dir[i] == '/') && i > 0) {
            const std::string level = dir.substr(0, i);
            if (!plat::IsDirectory(level)) plat::CreateDirectory(level);
        }
    }
}

// A stream into memory; the bytes are taken when it is closed.
class MemWriter {
public:
    MemWriter() : f_(open_memstream(&buf_, &size_)) {}
    ~MemWriter() {
        if (f_) std::fclose(f_);
        std::free(buf_);
    }
    MemWriter(const MemWriter&) = delete;
    MemWriter& operator=(const MemWriter&) = delete;
    FILE* file() const { return f_; }
    // False when any write failed.
    bool Take(std::string* out) {
        if (!f_) return false;
        const bool ok = !std::ferror(f_) && std::fclose(f_) == 0;
        f_ = nullptr;
        if (ok) out->assign(buf_ ? buf_ : "", size_);
        return ok;
    }

private:
    char* buf_ = nullptr;
    size_t size_ = 0;
    FILE* f_ = nullptr;
};

// A read-only stream over bytes that outlive it.
struct MemReader {
    explicit MemReader(std::string_view bytes)
        : f(bytes.empty() ? nullptr : fmemopen(const_cast<char*>(bytes.data()), bytes.size(), "rb")) {}
    ~MemReader() {
        if (f) std::fclose(f);
    }
    MemReader(const MemReader&) = delete;
    MemReader& operator=(const MemReader&) = delete;
    FILE* f;
};

struct RecordDeleter {
    void operator()(CRoleData* r) const {
        if (r && g_SaveRecordOps.destroy) g_SaveRecordOps.destroy(r);
    }
};
using RecordPtr = std::unique_ptr<CRoleData, RecordDeleter>;

// Days from 1970-01-01 of a civil date, for the summary's save-time stamp.
int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

bool ValidMonthDay(int month, int day) {
    if (month < 1 || month > 12 || day < 1 || day > 31) return false;
    int limit = 32;
    if (month == 2) limit = 30;
    else if (month == 4 || month == 6 || month == 9 || month == 11) limit = 31;
    return day < limit;
}

} // namespace

bool IsValidSaveName(const std::string& name) {
    if (name.empty()) return false;
    for (size_t i = 0; i < name.size(); ++i) {
        const auto b = static_cast<unsigned char>(name[i]);
        if (b >= 0x81 && b <= 0xFE && i + 1 < name.size()) {
            const auto t = static_cast<unsigned char>(name[i + 1]);
            if (t >= 0x40 && t <= 0xFE && t != 0x7F) {
                ++i;  // a whole double-byte character, 0x5C trail byte included
                continue;
            }
        }
        if (b < 0x20 || b == 0x7F || b == '\\' || b == '/' || b == ':' || b == '*' || b == '?') return false;
        if (b == '.' && i + 1 < name.size() && name[i + 1] == '.') return false;
    }
    return true;
}

CSaveMgr::CSaveMgr() { m_PlayStamp = plat::GetWallTime().seconds; }

CSaveMgr::~CSaveMgr() { DestroyRoleSprite(&m_pPreview); }

const std::string& CSaveMgr::GetSaveDir() {
    if (m_SaveDir.empty()) m_SaveDir = std::string(GetProgramDirectory()) + "Save\\";
    return m_SaveDir;
}

int CSaveMgr::SetMonthDay(int month, int day) {
    if (!ValidMonthDay(month, day)) return 0;
    m_BirthMonth = month;
    m_BirthDay = day;
    return 1;
}

void CSaveMgr::ResetPlayTime() {
    m_PlaySeconds = 0;
    m_PlayStamp = plat::GetWallTime().seconds;
}

void CSaveMgr::AdvanceSlot() { m_Slot = (m_Slot >= 0 && m_Slot < 3) ? m_Slot + 1 : 0; }

int CSaveMgr::SaveExists(const char* name) {
    if (!name || !IsValidSaveName(name)) return 0;
    const std::string path = GetSaveDir() + name + ".sav";
    return plat::PathExists(path) && !plat::IsDirectory(path) ? 1 : 0;
}

int CSaveMgr::Refuse(const std::string& reason) {
    m_LastError = reason;
    plat::DebugPrintf("save: %s\n", reason.c_str());
    return 0;
}

std::string CSaveMgr::BuildSummary(int32_t level, const std::string& sprite, const std::string& partNo,
                                   const std::string& partFile) {
    const plat::WallTime now = plat::GetWallTime();
    savefmt::Writer w;
    w.I32(m_Slot).StrNonEmpty(m_Version);
    w.I32(now.year).I32(now.month).I32(now.day).I32(now.hour).I32(now.minute).I32(now.second);
    m_PlaySeconds = static_cast<int32_t>(static_cast<uint32_t>(m_PlaySeconds) + (now.seconds - m_PlayStamp));
    m_PlayStamp = now.seconds;
    const int32_t s = m_PlaySeconds;
    const int32_t days = s / 86400;
    w.I32(days).I32(s / 3600 - days * 24).I32(s / 60 - (s / 3600) * 60).I32(s - (s / 60) * 60);
    w.I32(m_Difficulty).I32(level);
    // An empty sprite string goes out as length 1, since the reader refuses 0.
    w.StrNonEmpty(sprite).StrNonEmpty(partNo).StrNonEmpty(partFile);
    w.I32(m_DeathCount).I32(m_BirthMonth).I32(m_BirthDay);
    for (int32_t r : m_Reserved) w.I32(r);
    return std::move(w.bytes());
}

int CSaveMgr::WriteSummary(const std::string& path, CGameObj* role) {
    CRoleData* record = role && g_SceneHooks.getRecord ? g_SceneHooks.getRecord(role->m_DataId) : nullptr;
    if (!record) return Refuse("no role data record for the summary");
    const int32_t level = g_SaveRecordOps.level ? g_SaveRecordOps.level(record) : 0;
    std::string sprite, partNo, partFile;
    if (auto* actor = dynamic_cast<CActor*>(role); actor && actor->m_pSprite) {
        sprite = GetRoleSpriteName(actor->m_pSprite);
        partNo = GetRolePartDefaultNo(actor->m_pSprite);
        partFile = MakeRolePartImageName(sprite, std::atoi(partNo.c_str()));
    }
    std::string bytes = BuildSummary(level, sprite, partNo, partFile);
    savefmt::AppendTrailer(&bytes);
    if (!plat::WriteFileAtomic(path, bytes.data(), bytes.size())) return Refuse("cannot write " + path);
    return 1;
}

bool CSaveMgr::ParseSummary(std::string_view layout, std::string* reason) {
    savefmt::Reader r(layout);
    r.Place("the slot");
    int32_t slot = 0;
    if (!r.I32(&slot)) return *reason = r.error(), false;
    if (slot < 0 || slot > 3) return *reason = "slot " + std::to_string(slot) + " out of range", false;
    r.Place("the version");
    std::string version;
    if (!r.Str(&version, true)) return *reason = r.error(), false;
    if (!plat::EqualsNoCase(version, kVersion)) return *reason = "version \"" + version + "\" is not 1.5", false;
    int32_t t[6] = {}, p[4] = {};
    r.Place("the save time");
    for (int32_t& v : t) r.I32(&v);
    r.Place("the play time");
    for (int32_t& v : p) r.I32(&v);
    int32_t difficulty = 0, level = 0;
    r.Place("the difficulty");
    r.I32(&difficulty);
    r.Place("the level");
    r.I32(&level);
    std::string strings[3];
    static const char* const kStrings[] = {"the sprite name", "the part number", "the part file name"};
    for (int i = 0; i < 3; ++i) {
        r.Place(kStrings[i]);
        r.Str(&strings[i], true);
    }
    int32_t tail[7] = {};
    r.Place("the birthday and reserved values");
    for (int32_t& v : tail) r.I32(&v);
    if (!r.ok()) return *reason = r.error(), false;
    if (r.left() != 0) return *reason = std::to_string(r.left()) + " bytes after the summary", false;
    // Difficulty scales the game's numbers; a value off 0-3 is a damaged file.
    if (difficulty < 0 || difficulty > 3) return *reason = "difficulty " + std::to_string(difficulty) + " out of range", false;

    m_Slot = slot;
    m_Version = version;
    const int64_t days = DaysFromCivil(t[0], t[1], t[2]);
    m_SaveTime = static_cast<uint32_t>(((days * 24 + t[3]) * 60 + t[4]) * 60 + t[5]);
    m_PlaySeconds = static_cast<int32_t>(
        static_cast<uint32_t>(((static_cast<int64_t>(p[0]) * 24 + p[1]) * 60 + p[2]) * 60 + p[3]));
    m_Difficulty = difficulty;
    m_Level = level;
    m_SpriteName = strings[0];
    m_PartNo = strings[1];
    m_PartFile = strings[2];
    // Deaths count from the last load.
    m_DeathCount = 0;
    if (ValidMonthDay(tail[1], tail[2])) {
        m_BirthMonth = tail[1];
        m_BirthDay = tail[2];
    } else {
        m_BirthMonth = 1;
        m_BirthDay = 1;
    }
    for (int i = 0; i < 4; ++i) m_Reserved[i] = tail[3 + i];
    return true;
}

int CSaveMgr::ReadSummary(const std::string& path) {
    std::string file;
    if (!ReadWhole(path, &file)) return Refuse(path + ": cannot be read");
    std::string_view layout;
    std::string reason;
    if (!savefmt::SplitLayout(file, &layout, &reason) || !ParseSummary(layout, &reason)) return Refuse(path + ": " + reason);
    return 1;
}

bool CSaveMgr::ReadGame(const std::string& name, CRoleData** record, std::string* hud, std::string* reason) {
    *record = nullptr;
    const std::string dir = GetSaveDir();
    const std::string summaryShown = Shown(name, ".sav");
    std::string file;
    if (!ReadWhole(dir + name + ".sav", &file)) return *reason = summaryShown + ": cannot be read", false;
    std::string_view layout;
    std::string why;
    if (!savefmt::SplitLayout(file, &layout, &why) || !ParseSummary(layout, &why))
        return *reason = summaryShown + ": " + why, false;

    const std::string ext = SlotExt(m_Slot);
    const std::string slotShown = Shown(name, ext.c_str());
    if (!ReadWhole(dir + name + ext, &file)) return *reason = slotShown + ": cannot be read", false;
    if (!savefmt::SplitLayout(file, &layout, &why)) return *reason = slotShown + ": " + why, false;
    savefmt::Reader r(layout);
    if (!savefmt::CheckRecord(r)) return *reason = slotShown + ": " + r.error(), false;
    const size_t recordSize = r.pos();
    // Nothing marks a HUD block: the layout's end decides, and what is
    // there must be one whole block.
    if (r.left() > 0 && !savefmt::CheckHudBlock(r)) return *reason = slotShown + ": " + r.error(), false;
    if (r.left() != 0) return *reason = slotShown + ": " + std::to_string(r.left()) + " bytes after the HUD block", false;
    hud->assign(layout.substr(recordSize));

    if (!g_SaveRecordOps.create || !g_SaveRecordOps.loadRole) return *reason = "no role data record", false;
    RecordPtr rec(g_SaveRecordOps.create());
    if (!rec) return *reason = "no role data record", false;
    MemReader in(layout.substr(0, recordSize));
    if (!in.f || !g_SaveRecordOps.loadRole(rec.get(), in.f)) return *reason = slotShown + ": the record is refused", false;
    if (static_cast<size_t>(std::ftell(in.f)) != recordSize)
        return *reason = slotShown + ": the record reads " + std::to_string(std::ftell(in.f)) + " of " +
                         std::to_string(recordSize) + " bytes",
               false;
    *record = rec.release();
    return true;
}

void CSaveMgr::TakeSummary(const CSaveMgr& from) {
    m_Slot = from.m_Slot;
    m_Version = from.m_Version;
    m_SaveTime = from.m_SaveTime;
    m_PlaySeconds = from.m_PlaySeconds;
    m_SaveName = from.m_SaveName;
    m_Difficulty = from.m_Difficulty;
    m_Level = from.m_Level;
    m_SpriteName = from.m_SpriteName;
    m_PartNo = from.m_PartNo;
    m_PartFile = from.m_PartFile;
    m_DeathCount = from.m_DeathCount;
    m_BirthMonth = from.m_BirthMonth;
    m_BirthDay = from.m_BirthDay;
    for (int i = 0; i < 4; ++i) m_Reserved[i] = from.m_Reserved[i];
}

int CSaveMgr::Save(CGameObj* role) {
    CRoleData* record = role && g_SceneHooks.getRecord ? g_SceneHooks.getRecord(role->m_DataId) : nullptr;
    if (!record) return Refuse("no role data record to save");
    if (!IsValidSaveName(m_SaveName)) return Refuse("save name \"" + m_SaveName + "\" refused");
    if (!g_SaveRecordOps.saveRole) return Refuse("no role data record to save");
    AdvanceSlot();
    const std::string dir = GetSaveDir();
    MakeFolders(dir);

    const std::string ext = SlotExt(m_Slot);
    MemWriter out;
    if (!out.file()) return Refuse(Shown(m_SaveName, ext.c_str()) + ": no memory");
    if (!g_SaveRecordOps.saveRole(record, out.file())) return Refuse(Shown(m_SaveName, ext.c_str()) + ": the record was not written");
    if (g_RoleHooks.SaveHudState && !g_RoleHooks.SaveHudState(out.file()))
        return Refuse(Shown(m_SaveName, ext.c_str()) + ": the HUD block was not written");
    std::string slot;
    if (!out.Take(&slot)) return Refuse(Shown(m_SaveName, ext.c_str()) + ": no memory");
    savefmt::AppendTrailer(&slot);
    if (!plat::WriteFileAtomic(dir + m_SaveName + ext, slot.data(), slot.size()))
        return Refuse(Shown(m_SaveName, ext.c_str()) + ": cannot be written");
    if (!WriteSummary(dir + m_SaveName + ".sav", role)) return Refuse(Shown(m_SaveName, ".sav") + ": cannot be written");
    m_LastError.clear();
    return 1;
}

int CSaveMgr::Load(const char* name) {
    const std::string want = name ? name : m_SaveName;
    if (!IsValidSaveName(want)) return Refuse("save name \"" + want + "\" refused");
    CSaveMgr tmp;
    tmp.m_SaveDir = GetSaveDir();
    tmp.m_SaveName = want;
    CRoleData* loaded = nullptr;
    std::string hud, reason;
    if (!tmp.ReadGame(want, &loaded, &hud, &reason)) return Refuse(reason);

    // Everything is read: only now does the running game change.
    TakeSummary(tmp);
    m_PlayStamp = plat::GetWallTime().seconds;
    m_LastError.clear();
    if (g_SaveRecordOps.applyClassAndAct) g_SaveRecordOps.applyClassAndAct(loaded);
    if (!hud.empty() && g_RoleHooks.LoadHudState) {
        MemReader in(hud);
        if (!in.f || !g_RoleHooks.LoadHudState(in.f)) plat::DebugPrintf("save: the HUD block was not applied\n");
    }
    if (g_RoleHooks.restartHost) g_RoleHooks.restartHost(loaded);
    else RecordDeleter{}(loaded);
    return 1;
}

int CSaveMgr::ImportCharacter(const char* name) {
    if (!name || !IsValidSaveName(name)) return Refuse("save name refused");
    CSaveMgr tmp;
    tmp.m_SaveDir = GetSaveDir();
    tmp.m_SaveName = name;
    CRoleData* old = nullptr;
    std::string hud, reason;
    if (!tmp.ReadGame(name, &old, &hud, &reason)) return Refuse(reason);
    RecordPtr hold(old);
    CRoleData* local = g_RoleHooks.getLocalPlayerRecord ? g_RoleHooks.getLocalPlayerRecord() : nullptr;
    if (local && g_SaveRecordOps.importInto) g_SaveRecordOps.importInto(local, old);
    return 1;
}

void CSaveMgr::SelectPreviewFrame(int mode) {
    if (!m_pPreview) return;
    int32_t frame = -1;
    if (m_SpriteName == "901") frame = mode == 1 ? 80 : 0;
    else if (m_SpriteName == "902") frame = mode == 1 ? 80 : 16;
    else if (m_SpriteName == "903") frame = mode == 1 ? 64 : 16;
    if (frame < 0) return;
    CTrailAnim* anim = GetRoleSpriteAnim(m_pPreview);
    CAnimPlayer* player = anim ? anim->CurrentPlayer() : nullptr;
    if (!player || player->m_FrameCount <= frame || player->m_CurFrame == frame) return;
    player->Start(false);
    player->m_CurFrame = frame;
}
