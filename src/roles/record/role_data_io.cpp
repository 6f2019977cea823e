// The serialised record: little-endian fields, texts as WriteLenString
// writes them. Loading reads everything into LoadedRecord and checks it
// before the record is touched.
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "core/strings.h"
#include "core/txt_table.h"
#include "platform/debug.h"
#include "roles/items/prop_rec.h"
#include "roles/record/role_calls.h"
#include "roles/record/role_data.h"
#include "roles/role.h"
#include "world/scene/scn_mng.h"
#include "world/scene/view_tracker.h"

namespace {

constexpr int32_t kMaxListCount = 10000;

class RecordWriter {
public:
    explicit RecordWriter(FILE* f) : f_(f) {}
    void I32(int32_t v) {
        const uint32_t u = static_cast<uint32_t>(v);
        const unsigned char b[4] = {static_cast<unsigned char>(u), static_cast<unsigned char>(u >> 8),
                                    static_cast<unsigned char>(u >> 16), static_cast<unsigned char>(u >> 24)};
        if (std::fwrite(b, 1, 4, f_) != 4) ok_ = false;
    }
    void F32(float v) {
        uint32_t u;
        std::memcpy(&u, &v, 4);
        I32(static_cast<int32_t>(u));
    }
    void Str(const std::string& s) {
        WriteLenString(f_, s.c_str());
        if (std::ferror(f_)) ok_ = false;
    }
    bool ok() const { return ok_; }

private:
    FILE* f_;
    bool ok_ = true;
};

class RecordReader {
public:
    explicit RecordReader(FILE* f) : f_(f) {
        const long pos = std::ftell(f);
        if (pos >= 0 && std::fseek(f, 0, SEEK_END) == 0) {
            const long end = std::ftell(f);
            if (end >= pos) end_ = end;
            std::fseek(f, pos, SEEK_SET);
        }
    }
    bool I32(int32_t& v) {
        unsigned char b[4];
        if (std::fread(b, 1, 4, f_) != 4) return false;
        v = static_cast<int32_t>(static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 |
                                 static_cast<uint32_t>(b[2]) << 16 | static_cast<uint32_t>(b[3]) << 24);
        return true;
    }
    bool F32(float& v) {
        int32_t i;
        if (!I32(i)) return false;
        std::memcpy(&v, &i, 4);
        return true;
    }
    bool Str(std::string& out) {
        const long pos = std::ftell(f_);
        if (const char* s = ReadLenString(f_)) {
            out = s;
            return true;
        }
        // Null for an empty text, a short file and an oversized length
        // alike: only a zero length is a text.
        if (pos < 0 || std::fseek(f_, pos, SEEK_SET) != 0) return false;
        int32_t len;
        if (!I32(len) || len != 0) return false;
        out.clear();
        return true;
    }
    // A count of entries of at least `minBytes` each that the rest of the
    // file can hold, at most kMaxListCount.
    bool Count(int32_t& n, long minBytes) {
        if (!I32(n)) return false;
        if (n < 0 || n > kMaxListCount) return false;
        if (end_ >= 0) {
            const long pos = std::ftell(f_);
            if (pos >= 0 && static_cast<long>(n) * minBytes > end_ - pos) return false;
        }
        return true;
    }

private:
    FILE* f_;
    long end_ = -1;
};

struct LoadedFlag {
    int32_t value = 0;
    int32_t id = 0;
    std::string name;
};

struct LoadedItem {
    int32_t id = 0, count = 0, pool = 0, level = 0, price = 0;
    std::string text;
};

struct LoadedRecord {
    std::string name, picture, sprite;
    int32_t exp = 0, nextExp = 0, level = 0, money = 0;
    int32_t hp = 0, qi = 0, nu = 0, st = 0;
    float ap = 0, dp = 0, maxHP = 0, maxQi = 0, baseST = 0, classValue25 = 0, hr = 0;
    int32_t baseNu = 0;
    float hpResume = 0, qiResume = 0;
    int32_t sp = 0;
    int32_t hpPotion = 0, qiPotion = 0, autoSort = 0;
    int32_t weapons = 0, equips = 0, classId = 0, skillPoints = 0, sceneId = 0;
    float maxNu = 0;
    int32_t bank = 0, act = 0;
    std::vector<int32_t> skills;
    std::vector<LoadedFlag> flags;
    int32_t cursor = -1;
    int32_t slots[kSlotCount] = {};
    std::vector<LoadedItem> items;
};

// Why the record was refused, or null when it read whole.
const char* ReadRecord(RecordReader& in, LoadedRecord& r) {
    if (!in.Str(r.name) || !in.Str(r.picture) || !in.Str(r.sprite)) return "a name";
    int32_t dropped;
    bool ok = in.I32(r.exp) && in.I32(r.nextExp) && in.I32(r.level) && in.I32(r.money) && in.I32(r.hp) &&
              in.I32(r.qi) && in.I32(r.nu) && in.I32(r.st) && in.F32(r.ap) && in.F32(r.dp) && in.F32(r.maxHP) &&
              in.F32(r.maxQi) && in.F32(r.baseST) && in.F32(r.classValue25) && in.F32(r.hr) && in.I32(r.baseNu) &&
              in.F32(r.hpResume) && in.F32(r.qiResume) && in.I32(r.sp) && in.I32(r.hpPotion) &&
              in.I32(r.qiPotion) && in.I32(r.autoSort) && in.I32(r.weapons) && in.I32(r.equips) &&
              in.I32(r.classId) && in.I32(r.skillPoints) && in.I32(r.sceneId) && in.I32(dropped) &&
              in.I32(dropped) && in.F32(r.maxNu) && in.I32(r.bank) && in.I32(r.act);
    for (int i = 0; ok && i < 7; ++i) ok = in.I32(dropped);
    if (!ok) return "the fixed fields";

    int32_t n;
    if (!in.Count(n, 4)) return "the skill count";
    r.skills.resize(static_cast<size_t>(n));
    for (int32_t& id : r.skills)
        if (!in.I32(id)) return "a skill";

    if (!in.Count(n, 12)) return "the flag count";
    r.flags.resize(static_cast<size_t>(n));
    for (LoadedFlag& f : r.flags)
        if (!in.I32(f.value) || !in.I32(f.id) || !in.Str(f.name)) return "a flag";

    if (!in.I32(r.cursor)) return "the cursor item";
    for (int32_t& s : r.slots)
        if (!in.I32(s)) return "the slots";

    if (!in.Count(n, 32)) return "the item count";
    r.items.resize(static_cast<size_t>(n));
    std::set<int32_t> pools;
    for (LoadedItem& it : r.items) {
        int32_t valueA, valueB;
        if (!in.I32(it.id) || !in.I32(it.count) || !in.I32(it.pool) || !in.I32(it.level) || !in.I32(it.price) ||
            !in.I32(valueA) || !in.I32(valueB) || !in.Str(it.text))
            return "an item";
        if (it.pool < 0 || it.pool >= kItemPoolSize) return "an item's pool index";
        if (!pools.insert(it.pool).second) return "a pool index used twice";
    }
    return nullptr;
}

} // namespace

int CRoleData::WriteRecord(FILE* file, int32_t entryX, int32_t entryY) const {
    if (!file) return 0;
    RecordWriter out(file);
    out.Str(m_Name);
    out.Str(m_PictureName);
    out.Str(m_SpritePartName);
    for (int32_t v : {m_Exp, m_NextExp, m_Level, m_Money, m_HP, m_Qi, m_Nu, m_ST}) out.I32(v);
    for (float v : {m_BaseAP, m_BaseDP, m_BaseMaxHP, m_BaseMaxQi, m_BaseST, m_ClassValue25, m_BaseHR}) out.F32(v);
    out.I32(m_BaseNu);
    out.F32(m_BaseHPResume);
    out.F32(m_BaseQiResume);
    out.I32(m_BaseSP);
    for (int32_t v : {m_HPPotion, m_QiPotion, m_AutoSort, m_WeaponCount, m_EquipCount, m_ClassId, m_SkillPoints,
                      m_SceneId, entryX, entryY})
        out.I32(v);
    out.F32(m_MaxNu);
    out.I32(m_BankMoney);
    out.I32(m_Act);
    for (int i = 0; i < 7; ++i) out.I32(0);

    out.I32(static_cast<int32_t>(m_LearnedSkills.size()));
    for (int32_t id : m_LearnedSkills) out.I32(id);
    out.I32(m_Flags.GetCount());
    for (const CObjNode* n = m_Flags.Head(); n; n = n->Next()) {
        const auto* f = static_cast<const RoleFlag*>(n);
        out.I32(f->m_Value);
        out.I32(f->m_Id);
        out.Str(f->m_Name);
    }
    out.I32(m_CursorItem);
    for (int32_t s : m_Slots) out.I32(s);
    out.I32(m_Items.GetCount());
    for (const CObjNode* n = m_Items.Head(); n; n = n->Next()) {
        const auto* it = static_cast<const PropRec*>(n);
        for (int32_t v : {it->m_Id, it->m_Count, it->m_PoolIndex, it->m_RequiredLevel, it->m_Price, it->m_ValueA,
                          it->m_ValueB})
            out.I32(v);
        out.Str(it->m_Text);
    }
    return out.ok() ? 1 : 0;
}

int CRoleData::SaveRole(FILE* file) {
    CRole* role = GetRole();
    CScene* scene = GetScene();
    CViewTracker* tracker = scene ? scene->FindTrackerByRole(m_RoleHandle) : nullptr;
    if (!role || !tracker) return 0;
    RoleSaveToSheet(role, this);
    return WriteRecord(file, tracker->m_EntryX, tracker->m_EntryY);
}

int CRoleData::LoadRole(FILE* file) {
    if (!file) return 0;
    RecordReader in(file);
    LoadedRecord r;
    if (const char* what = ReadRecord(in, r)) {
        plat::DebugPrintf("CRoleData::LoadRole: role record refused at %s\n", what);
        return 0;
    }

    ClearItems();
    m_LearnedSkills.clear();
    m_Name = r.name;
    m_PictureName = r.picture;
    m_SpritePartName = r.sprite;
    m_Exp = r.exp;
    m_NextExp = r.nextExp;
    m_Level = r.level;
    m_Money = r.money;
    m_HP = r.hp;
    m_Qi = r.qi;
    m_Nu = r.nu;
    m_ST = r.st;
    m_BaseAP = r.ap;
    m_BaseDP = r.dp;
    m_BaseMaxHP = r.maxHP;
    m_BaseMaxQi = r.maxQi;
    m_BaseST = r.baseST;
    m_ClassValue25 = r.classValue25;
    m_BaseHR = r.hr;
    m_BaseNu = r.baseNu;
    m_BaseHPResume = r.hpResume;
    m_BaseQiResume = r.qiResume;
    m_BaseSP = r.sp;
    m_AutoSort = r.autoSort;
    m_WeaponCount = r.weapons;
    m_EquipCount = r.equips;
    // Class and act are stored only: whoever installs the record applies
    // them (SetClass, SetAct).
    m_ClassId = r.classId;
    m_pClassRow = FindClassRow(r.classId);
    m_SkillPoints = r.skillPoints;
    m_SceneId = r.sceneId;
    m_MaxNu = r.maxNu;
    m_BankMoney = r.bank;
    m_Act = r.act;

    for (int32_t id : r.skills) AddLearnedSkill(id);

    LoadFlags();
    std::set<std::string> reported;
    for (const LoadedFlag& lf : r.flags) {
        if (lf.name.empty()) continue;
        if (RoleFlag* f = FindFlagQuiet(lf.name.c_str())) {
            f->m_Value = lf.value;
            f->m_Id = lf.id;
        } else if (reported.insert(lf.name).second) {
            FindFlag(lf.name.c_str());  // the box, once per name
        }
    }

    for (const LoadedItem& li : r.items) {
        auto* item = new PropRec;
        if (!item->Init(li.id, li.text.empty() ? nullptr : li.text.c_str())) {
            plat::DebugPrintf("CRoleData::LoadRole: item %d has no model, dropped\n", li.id);
            delete item;
            continue;
        }
        item->m_RequiredLevel = li.level;
        item->m_Price = li.price;
        item->SetCount(li.count < 1 ? 1 : li.count);
        item->m_PoolIndex = li.pool;
        m_ItemPool.SetAt(li.pool, item);
        m_Items.AddTail(item);
    }
    auto known = [&](int32_t index) { return index != -1 && GetItem(index) ? index : -1; };
    for (int s = 0; s < kSlotCount; ++s) m_Slots[s] = known(r.slots[s]);
    m_CursorItem = known(r.cursor);
    m_HPPotion = known(r.hpPotion);
    m_QiPotion = known(r.qiPotion);
    return 1;
}
