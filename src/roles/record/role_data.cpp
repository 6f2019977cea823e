#include "roles/record/role_data.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <unordered_set>

#include "core/directories.h"
#include "core/geometry.h"
#include "core/strings.h"
#include "core/txt_table.h"
#include "platform/debug.h"
#include "platform/msgbox.h"
#include "platform/text.h"
#include "roles/items/prop_rec.h"
#include "roles/record/record_hooks.h"
#include "roles/record/role_calls.h"
#include "roles/role.h"
#include "roles/role_hooks.h"
#include "roles/save_mgr.h"
#include "roles/tables/exp_table.h"
#include "world/buildings/bld.h"
#include "world/objects/obj_mng.h"
#include "world/scene/scn_mng.h"
#include "world/scene/world.h"
#include "world/scene/world_hooks.h"

CRecordHooks g_RecordHooks;

namespace {

// "Player\Skill.txt" columns.
constexpr int kSkillId = 1;
constexpr int kSkillBase = 2;
constexpr int kSkillGroup = 3;
constexpr int kSkillTreeSlot = 4;
constexpr int kSkillPoints = 6;
constexpr int kSkillShortcut = 14;
constexpr int kSkillPassiveIndex = 16;
constexpr int kSkillPassiveValue = 17;
constexpr int kSkillPassiveMarker = 18;

constexpr float kMaxNuCap = 9999.0f;

// The rows of a skill group in file order.
std::vector<const CTxtRow*> GroupRows(int group) {
    std::vector<const CTxtRow*> rows;
    for (int i = 0; i < g_PlayerSkillTable.GetRowCount(); ++i) {
        const CTxtRow* r = g_PlayerSkillTable.GetRowAt(i);
        if (r && r->GetInt(kSkillGroup) == group) rows.push_back(r);
    }
    return rows;
}

// int() of a float, toward zero; a saved record may hold any bits, so NaN
// reads 0 and values past the range stop at its ends.
int TruncToInt(float v) {
    if (std::isnan(v)) return 0;
    if (v >= 2147483647.0f) return INT32_MAX;
    if (v <= -2147483648.0f) return INT32_MIN;
    return static_cast<int>(v);
}

int SumInts(int a, int b) {
    return static_cast<int>(std::clamp<int64_t>(static_cast<int64_t>(a) + b, INT32_MIN, INT32_MAX));
}

int32_t SaturatedAdd(int32_t a, int64_t b) {
    const int64_t s = static_cast<int64_t>(a) + b;
    return static_cast<int32_t>(std::clamp<int64_t>(s, INT32_MIN, INT32_MAX));
}

} // namespace

const CTxtRow* FindClassRow(int classId) {
    for (int i = 0; i < g_PlayerInitTable.GetRowCount(); ++i) {
        const CTxtRow* r = g_PlayerInitTable.GetRowAt(i);
        if (r && r->GetInt(1) == classId) return r;
    }
    return nullptr;
}

CRoleData::CRoleData() {
    m_ItemPool.SetSize(kItemPoolSize);
    std::fill(std::begin(m_Slots), std::end(m_Slots), -1);
    m_NextExp = g_ExpTable.GetExp(1);
}

CRoleData::~CRoleData() {
    ClearItems();
    m_Flags.RemoveAll();
}

// ---------------------------------------------------------------- slots

PropRec* CRoleData::GetItem(int poolIndex) const {
    if (poolIndex < 0) return nullptr;
    return m_ItemPool.GetAs<PropRec>(poolIndex);
}

PropRec* CRoleData::GetItemInSlot(int slot) const {
    if (slot < 0 || slot >= kSlotCount) return nullptr;
    return GetItem(m_Slots[slot]);
}

void CRoleData::SetSlot(int slot, int poolIndex) {
    if (slot < 0 || slot >= kSlotCount) return;
    m_Slots[slot] = poolIndex;
    UpdatePotions();
}

void CRoleData::SwapSlots(int a, int b) {
    if (a < 0 || a >= kSlotCount || b < 0 || b >= kSlotCount) return;
    std::swap(m_Slots[a], m_Slots[b]);
}

int CRoleData::FindSlotOfItem(int poolIndex) const {
    for (int s = 0; s < kSlotCount; ++s)
        if (m_Slots[s] == poolIndex) return s;
    return -1;
}

int CRoleData::FindSlotOfObject(const PropRec* item) const {
    if (!item) return -1;
    for (int s = 0; s < kSlotCount; ++s)
        if (GetItem(m_Slots[s]) == item) return s;
    return -1;
}

int CRoleData::FindItemById(int propId) const {
    for (int s = 0; s < kSlotCount; ++s)
        if (const PropRec* it = GetItem(m_Slots[s]); it && it->m_Id == propId) return m_Slots[s];
    return -1;
}

int CRoleData::FindCarriedItemById(int propId) const {
    for (int s = 0; s < kSlotCount; ++s) {
        if (s >= kSlotEquip && s < kSlotAccessory) continue;
        if (s >= kSlotStorage) break;
        if (const PropRec* it = GetItem(m_Slots[s]); it && it->m_Id == propId) return m_Slots[s];
    }
    return -1;
}

int CRoleData::FindFree(int first, int end) const {
    for (int s = first; s < end; ++s)
        if (m_Slots[s] == -1) return s;
    return -1;
}

void CRoleData::ClearItems() {
    m_ItemPool.RemoveAll();
    m_Items.RemoveAll();
    std::fill(std::begin(m_Slots), std::end(m_Slots), -1);
    m_CursorItem = -1;
    m_HPPotion = m_QiPotion = -1;
    m_PreviewSlot = m_PreviewOld = m_PreviewItem = -1;
}

void CRoleData::FreeItem(PropRec* item) {
    if (!item) return;
    if (item->m_PoolIndex >= 0 && m_ItemPool.GetAt(item->m_PoolIndex) == item) m_ItemPool.RemoveAt(item->m_PoolIndex);
    delete item;  // unlinks it from the item list
}

// ---------------------------------------------------------------- money

int CRoleData::AddMoney(int delta, int useBank) {
    const int64_t purse = static_cast<int64_t>(m_Money) + delta;
    if (purse >= 0) {
        m_Money = static_cast<int32_t>(std::min<int64_t>(purse, INT32_MAX));
        return 1;
    }
    if (useBank && purse + m_BankMoney >= 0) {
        m_BankMoney = static_cast<int32_t>(purse + m_BankMoney);
        m_Money = 0;
        return 1;
    }
    return 0;
}

int CRoleData::AddBankMoney(int delta) {
    const int64_t bank = static_cast<int64_t>(m_BankMoney) + delta;
    if (bank < 0) return 0;
    m_BankMoney = static_cast<int32_t>(std::min<int64_t>(bank, INT32_MAX));
    return 1;
}

const char* CRoleData::GetBankMoneyText() {
    const char* label = g_TextTable.GetCell(167, 1);
    m_BankText = std::string(label ? label : "") + std::to_string(m_BankMoney);
    return m_BankText.c_str();
}

// ---------------------------------------------------------------- levels

int CRoleData::AddExp(int n) {
    if (m_Level >= kMaxLevel) return 0;
    m_Exp = SaturatedAdd(m_Exp, n);
    int gained = 0;
    while (m_Exp > m_NextExp && m_Level < kMaxLevel) {
        ++m_Level;
        gained = 1;
        if (m_Level < kMaxLevel) {
            m_NextExp = g_ExpTable.GetExp(m_Level);
            LevelUp(m_Level);
        } else {
            m_NextExp = 0;
        }
    }
    return gained;
}

void CRoleData::LevelUp(int level) {
    const CTxtRow* row = m_pClassRow;
    if (!row) {
        // A class id without its row: nothing to add.
        plat::DebugPrintf("CRoleData::LevelUp: no class row for class %d (level %d)\n", m_ClassId, level);
        return;
    }
    m_BaseMaxHP += row->GetFloat(12);
    m_BaseMaxQi += row->GetFloat(15);
    m_BaseST += row->GetFloat(18);
    m_BaseAP += row->GetFloat(3);
    m_BaseDP += row->GetFloat(5);
    m_BaseHR += row->GetFloat(22);
    m_ClassValue25 += row->GetFloat(26);
    ++m_SkillPoints;
    RefreshRole();
}

void CRoleData::SetDead(int dead) {
    dead = dead ? 1 : 0;
    if (dead == m_Dead) return;
    m_Dead = dead;
    if (!dead) return;
    m_HP = GetMaxHP();
    m_Qi = GetMaxQi();
    m_ST = GetST();
    m_Nu = 0;
    ++g_SaveMgr.m_DeathCount;
    const int32_t floor = g_ExpTable.GetExp(m_Level - 1);
    const int64_t span = std::max<int64_t>(0, static_cast<int64_t>(m_NextExp) - floor);
    int64_t loss = 0;
    const int diff = g_SaveMgr.m_Difficulty;
    if (diff == 1) loss = span / 60;
    else if (diff == 2) loss = span / 10;
    else if (diff >= 3) loss = span;
    const int64_t left = static_cast<int64_t>(m_Exp) - loss;
    if (m_Exp > floor) m_Exp = static_cast<int32_t>(std::max<int64_t>(left, floor));
    // A return scroll worn with a portal stone opens the way back.
    bool scroll = false;
    for (int s = kSlotAccessory; s < kSlotStorage; ++s)
        if (const PropRec* it = GetItemInSlot(s); it && it->m_Id == 59) scroll = true;
    if (!scroll) return;
    for (int s = 0; s < kSlotExchange; ++s) {
        if (const PropRec* it = GetItemInSlot(s); it && it->m_Id == 62) {
            RemoveItem(m_Slots[s], 1);
            OpenReturnPortal(0);
            return;
        }
    }
}

// ---------------------------------------------------------------- class

int CRoleData::GetClassIndex() const {
    switch (m_ClassId) {
    case 4: return 0;
    case 30: return 1;
    case 40: return 2;
    case 223: return 3;
    case 1: return 4;
    default: return -1;
    }
}

void CRoleData::SetClass(int classId) {
    m_ClassId = classId;
    m_pClassRow = FindClassRow(classId);
    const int index = GetClassIndex();
    if (index >= 0) {
        static const int32_t kStyles[5][2] = {{10, 7}, {1, 10}, {20, 6}, {10, 7}, {10, 7}};
        if (g_RecordHooks.setGestureStyle) g_RecordHooks.setGestureStyle(kStyles[index][0], kStyles[index][1]);
        if (g_RecordHooks.setTalkClass) g_RecordHooks.setTalkClass(index + 1);
    }
    std::fill(std::begin(m_Multipliers), std::end(m_Multipliers), 1.0f);
    m_Dead = 0;
}

void CRoleData::NewCharacter(int classId) {
    LoadFlags();
    ClearItems();
    SetClass(classId);
    // The first act of "ActMdl.txt" starts the story.
    const CTxtRow* firstAct = g_ActMdlTable.GetRowAt(0);
    SetAct(firstAct ? firstAct->GetInt(1) : 1);
    const CTxtRow* row = m_pClassRow;
    if (!row) {
        plat::DebugPrintf("CRoleData::NewCharacter: no class row for class %d\n", classId);
        m_BaseMaxHP = m_BaseAP = m_BaseDP = m_BaseMaxQi = m_BaseST = m_BaseHR = m_ClassValue25 = 0.0f;
        m_MaxNu = m_BaseHPResume = m_BaseQiResume = 0.0f;
        m_Money = m_BaseNu = m_BaseSP = 0;
        return;
    }
    m_BaseMaxHP = row->GetFloat(11);
    m_BaseAP = row->GetFloat(2);
    m_BaseDP = row->GetFloat(4);
    m_BaseMaxQi = row->GetFloat(14);
    m_BaseST = row->GetFloat(17);
    m_MaxNu = 0.0f;
    m_BaseHR = row->GetFloat(21);
    m_ClassValue25 = row->GetFloat(25);
    m_Money = row->GetInt(29);
    m_BaseNu = row->GetInt(24);
    float resume = row->GetFloat(13);
    switch (g_SaveMgr.m_Difficulty) {
    case 1: resume *= 0.5f; break;
    case 2: resume *= 0.33333334f; break;
    case 3: resume *= 0.25f; break;
    default: break;
    }
    m_BaseHPResume = resume;
    m_BaseQiResume = row->GetFloat(16);
    m_BaseSP = row->GetInt(31);
    m_AutoSort = 0;
    const int n = row->GetItemCount(30);
    for (int i = 0; i + 1 < n; i += 2) {
        const int id = row->GetIntItem(30, i);
        const int count = row->GetIntItem(30, i + 1);
        if (id != kTxtEmptyInt) AddItem(id, count, 0, nullptr, -1, -1);
    }
    m_AutoSort = 1;
    const int left = row->GetIntItem(32, 0);
    const int right = row->GetIntItem(33, 0);
    if (row->HasValue(32)) AddLearnedSkill(left);
    if (row->HasValue(33)) AddLearnedSkill(right);
    if (row->GetItemCount(33) > 1) AddLearnedSkill(row->GetIntItem(33, 1));
    if (g_RecordHooks.setHudSkills)
        g_RecordHooks.setHudSkills(row->HasValue(32) ? left : -1, row->HasValue(33) ? right : -1);
    // A new character starts whole: left at 0, the role would read its HP
    // back as 1 and the hero would enter the game nearly dead.
    m_HP = GetMaxHP();
    m_Qi = GetMaxQi();
}

void CRoleData::SetAct(int act) {
    if (act == m_Act) return;
    m_Act = act;
    if (g_LiveScnMng) {
        CloseReturnPortal(0);
        // Not at once: a trigger of one of the scenes may be running.
        g_LiveScnMng->RequestDeleteAllScenes();
    }
    const CTxtRow* row = g_ActMdlTable.GetRow(act);
    const char* talk = row ? row->GetString(5) : nullptr;
    if (talk && g_RecordHooks.loadTalkTable) g_RecordHooks.loadTalkTable(talk);
}

const char* CRoleData::GetReviveScene() {
    static std::string revive;
    revive.clear();
    const CTxtRow* row = g_ActMdlTable.GetRow(m_Act);
    const char* cell = row ? row->GetString(2) : nullptr;
    if (!cell || std::strcmp(cell, " ") == 0) return revive.c_str();
    const char* star = std::strchr(cell, '*');
    if (!star) {
        revive = cell;
        return revive.c_str();
    }
    const std::string first(cell, static_cast<size_t>(star - cell));
    revive = GetFlag(first.c_str()) != 0 ? first : std::string(star + 1);
    return revive.c_str();
}

// ---------------------------------------------------------------- flags

void CRoleData::LoadFlags() {
    m_Flags.RemoveAll();
    m_pFlagCache = nullptr;
    CTxtTable table;
    const std::string path = std::string(GetMbDirectory()) + "trigger\\flag.txt";
    if (!table.Load(path.c_str(), -1, 0, 1)) return;
    std::unordered_set<std::string> seen;
    for (int i = 0; i < table.GetRowCount(); ++i) {
        const CTxtRow* row = table.GetRowAt(i);
        const char* cell = row->GetString(1);
        std::string name = cell ? cell : "";
        std::string key = name;
        ToUpperAscii(key);
        // A name found earlier in the file hides this row from every
        // lookup; keeping it would only put an unreachable flag in saves.
        if (!seen.insert(key).second) {
            plat::DebugPrintf("CRoleData::LoadFlags: flag %s listed twice, row %d skipped\n", name.c_str(), i);
            continue;
        }
        auto* flag = new RoleFlag;
        flag->m_Id = row->GetInt(0);
        flag->m_Name = std::move(name);
        m_Flags.AddTail(flag);
    }
}

RoleFlag* CRoleData::FindFlagQuiet(const char* name) {
    if (!name) return nullptr;
    if (m_pFlagCache && plat::EqualsNoCase(m_pFlagCache->m_Name, name)) return m_pFlagCache;
    for (CObjNode* n = m_Flags.Head(); n; n = n->Next()) {
        auto* f = static_cast<RoleFlag*>(n);
        if (plat::EqualsNoCase(f->m_Name, name)) {
            m_pFlagCache = f;
            return f;
        }
    }
    return nullptr;
}

RoleFlag* CRoleData::FindFlag(const char* name) {
    if (!name) return nullptr;
    RoleFlag* f = FindFlagQuiet(name);
    if (!f) plat::MessageBox(std::string("FindFlag ") + name + " error!", "");
    return f;
}

int32_t CRoleData::GetFlag(const char* name) {
    // Silent: conditions read flags every second.
    const RoleFlag* f = FindFlagQuiet(name);
    return f ? f->m_Value : -1;
}

void CRoleData::SetFlag(const char* name, int32_t value) {
    RoleFlag* f = FindFlag(name);
    if (!f) return;
    f->m_Value = value;
    if (g_RecordHooks.announceQuest) g_RecordHooks.announceQuest(f->m_Name.c_str(), value);
}

void CRoleData::ResetLocals() {
    DropFollowers(-1);
    for (int i = 1; i <= 10; ++i) {
        const std::string name = "local" + std::to_string(i);
        if (RoleFlag* f = FindFlagQuiet(name.c_str())) f->m_Value = 0;
    }
    m_Multipliers[0] = m_Multipliers[2] = m_Multipliers[3] = 1.0f;
}

// ---------------------------------------------------------------- attributes

float CRoleData::SumItemAttribute(const char* key, float base) const {
    if (!key || !*key) return 0.0f;
    std::string k = key;
    ToUpperAscii(k);
    const bool keyHasBlank = k.find(' ') != std::string::npos;
    float sum = 0.0f;
    for (int s = kSlotEquip; s < kSlotStorage; ++s) {
        const PropRec* item = GetItemInSlot(s);
        if (!item) continue;
        const char* shared = item->GetAttributeText();
        const std::string text = shared ? shared : "";
        size_t pos = text.find(k);
        if (pos == std::string::npos) continue;
        if (keyHasBlank) ++pos;
        const size_t start = text.find(' ', pos);
        if (start == std::string::npos) continue;
        size_t end = text.find(' ', start + 1);
        if (end == std::string::npos) end = text.size();
        const std::string piece = text.substr(start + 1, end - start - 1);
        float value = static_cast<float>(std::atof(piece.c_str()));
        if (piece.find('%') != std::string::npos) value = value * base * 0.01f;
        sum += value;
    }
    return sum;
}

int CRoleData::GetAP() const {
    const float base = m_Multipliers[4] * m_BaseAP;
    return SumInts(TruncToInt(SumItemAttribute(" AP", base)), TruncToInt(base));
}
int CRoleData::GetDP() const {
    const float base = m_Multipliers[3] * m_BaseDP;
    return SumInts(TruncToInt(SumItemAttribute(" DP", base)), TruncToInt(base));
}
int CRoleData::GetMaxHP() const {
    const float base = m_Multipliers[5] * m_BaseMaxHP;
    return SumInts(TruncToInt(SumItemAttribute("MaxHP", base)), TruncToInt(base));
}
int CRoleData::GetMaxQi() const {
    return SumInts(TruncToInt(SumItemAttribute("MaxQi", m_BaseMaxQi)), TruncToInt(m_BaseMaxQi));
}
int CRoleData::GetST() const {
    return SumInts(TruncToInt(SumItemAttribute("ST", m_BaseST)), TruncToInt(m_BaseST));
}
int CRoleData::GetSH() const {
    const int a = GetAP();
    return SumInts(TruncToInt(SumItemAttribute("SH", static_cast<float>(a))), a / 2);
}
int CRoleData::GetHR() const {
    return SumInts(TruncToInt(SumItemAttribute("HR", m_BaseHR)), TruncToInt(m_BaseHR));
}
float CRoleData::GetNu() const {
    return SumItemAttribute("Nu", static_cast<float>(m_BaseNu)) + static_cast<float>(m_BaseNu);
}
float CRoleData::GetHPResume() const {
    const float base = m_Multipliers[2] * m_BaseHPResume;
    return SumItemAttribute("HPResume", base) + base;
}
float CRoleData::GetQiResume() const {
    const float base = m_Multipliers[1] * m_BaseQiResume;
    return SumItemAttribute("QiResume", base) + base;
}
int CRoleData::GetSP() const {
    const int b = TruncToInt(static_cast<float>(m_BaseSP) * m_Multipliers[0]);
    return SumInts(TruncToInt(SumItemAttribute("SP", static_cast<float>(b))), b);
}
int CRoleData::GetIceDp() const { return TruncToInt(SumItemAttribute("IceDp", 0.0f)); }
int CRoleData::GetFireDp() const { return TruncToInt(SumItemAttribute("FireDp", 0.0f)); }
int CRoleData::GetPoisonDp() const { return TruncToInt(SumItemAttribute("PoisonDp", 0.0f)); }

void CRoleData::SetMultiplier(int i, float value) {
    if (i >= 0 && i < 6) m_Multipliers[i] = value;
}

void CRoleData::AddMaxNu(float n) { m_MaxNu = std::min(m_MaxNu + n, kMaxNuCap); }
void CRoleData::AddWeaponNum(int n) { m_WeaponCount = std::min(m_WeaponCount + n, 6); }
void CRoleData::AddEquipNum(int n) { m_EquipCount = std::min(m_EquipCount + n, 6); }

// ---------------------------------------------------------------- skills

void CRoleData::AddLearnedSkill(int id) {
    if (std::find(m_LearnedSkills.begin(), m_LearnedSkills.end(), id) != m_LearnedSkills.end()) return;
    m_LearnedSkills.push_back(id);
    const CTxtRow* row = g_PlayerSkillTable.GetRow(id);
    if (row && row->GetInt(kSkillPassiveMarker) == -1)
        SetMultiplier(row->GetInt(kSkillPassiveIndex), row->GetFloat(kSkillPassiveValue));
}

void CRoleData::ForgetSkill(int id) {
    m_LearnedSkills.erase(std::remove(m_LearnedSkills.begin(), m_LearnedSkills.end(), id), m_LearnedSkills.end());
}

int CRoleData::GetLearnedSkill(int baseId) const {
    const CTxtRow* row = GetLearnedSkillRow(baseId);
    return row ? row->GetInt(kSkillId) : -1;
}

const CTxtRow* CRoleData::GetLearnedSkillRow(int baseId) const {
    for (int32_t id : m_LearnedSkills)
        if (const CTxtRow* r = g_PlayerSkillTable.GetRow(id); r && r->GetInt(kSkillBase) == baseId) return r;
    return nullptr;
}

int CRoleData::LearnSkill(const CTxtRow* newRow, const CTxtRow* replaced) {
    if (!newRow) return 0;
    const int newId = newRow->GetInt(kSkillId);
    if (replaced) ForgetSkill(replaced->GetInt(kSkillId));
    AddLearnedSkill(newId);
    const std::vector<const CTxtRow*> group = GroupRows(newRow->GetInt(kSkillGroup));
    int learned = 0;
    for (const CTxtRow* r : group)
        if (std::find(m_LearnedSkills.begin(), m_LearnedSkills.end(), r->GetInt(kSkillId)) != m_LearnedSkills.end())
            ++learned;
    if (learned == 3 && !group.empty()) {
        const CTxtRow* first = group.front();
        AddLearnedSkill(first->GetInt(kSkillId));
        const int classSecond = m_pClassRow ? m_pClassRow->GetIntItem(33, 1) : kTxtEmptyInt;
        if (first->GetInt(kSkillBase) != classSecond) AddMaxNu(1000.0f);
    }
    if (newRow->HasValue(kSkillShortcut) && newRow->GetInt(kSkillShortcut) != 0 && g_RecordHooks.addHudShortcut)
        g_RecordHooks.addHudShortcut(newId);
    if (replaced && g_RecordHooks.replaceSkill) g_RecordHooks.replaceSkill(replaced->GetInt(kSkillId), newId);
    return 3;
}

int CRoleData::CanLearnSkill(const CTxtRow* row) const {
    if (!row) return 0;
    if (m_SkillPoints < row->GetInt(kSkillPoints)) return 0;
    const std::vector<const CTxtRow*> group = GroupRows(row->GetInt(kSkillGroup));
    const auto at = std::find(group.begin(), group.end(), row);
    const long pos = at == group.end() ? -1 : static_cast<long>(at - group.begin());
    if (pos != 1 && pos != 2) return 1;
    const int slotBefore = group[static_cast<size_t>(pos - 1)]->GetInt(kSkillTreeSlot);
    for (int32_t id : m_LearnedSkills)
        if (const CTxtRow* r = g_PlayerSkillTable.GetRow(id); r && r->GetInt(kSkillTreeSlot) == slotBefore) return 1;
    return 0;
}

void CRoleData::GetSkillSlotRows(const CTxtRow** learned, const CTxtRow** next, int i) const {
    const CTxtRow* have = nullptr;
    const CTxtRow* following = nullptr;
    const int slot = GetClassIndex() * 16 + i;
    bool afterHave = false;
    for (int r = 0; r < g_PlayerSkillTable.GetRowCount(); ++r) {
        const CTxtRow* row = g_PlayerSkillTable.GetRowAt(r);
        if (!row || row->GetInt(kSkillTreeSlot) != slot) continue;
        const bool isLearned = std::find(m_LearnedSkills.begin(), m_LearnedSkills.end(), row->GetInt(kSkillId)) !=
                               m_LearnedSkills.end();
        if (isLearned) {
            have = row;
            afterHave = true;
            following = nullptr;
        } else if (!following && (afterHave || !have)) {
            following = row;
        }
    }
    if (learned) *learned = have;
    if (next) *next = following;
}

int CRoleData::CountSkillPower(int group) const {
    int64_t sum = 0;
    for (int32_t id : m_LearnedSkills) {
        const CTxtRow* r = g_PlayerSkillTable.GetRow(id);
        if (!r || r->GetInt(kSkillGroup) != group) continue;
        const int64_t a = r->HasValue(5) ? r->GetInt(5) : 0;
        const int64_t b = r->HasValue(6) ? r->GetInt(6) : 0;
        sum += a + b;
    }
    return static_cast<int>(std::clamp<int64_t>(sum, INT32_MIN, INT32_MAX));
}

// ---------------------------------------------------------------- followers

void CRoleData::AddFollower(CRole* follower) {
    CRole* self = GetRole();
    if (!self || !follower || follower == self) return;
    follower->m_Camp = self->m_Camp;
    follower->CancelQueuedOrder();
    follower->Order(16, 0, 0, 0, 1, 0);
    RoleSetLeader(follower, self);
    if (!HasFollower(follower->m_Handle))
        m_Followers.push_back({follower->m_Handle, follower->m_DataId > 0 ? follower->m_DataId : 1});
    DropFollowers(3);
}

int CRoleData::HasFollower(ObjHandle handle) const {
    for (const RoleFollower& f : m_Followers)
        if (f.handle == handle) return 1;
    return 0;
}

void CRoleData::RemoveFollower(ObjHandle handle) {
    m_Followers.erase(std::remove_if(m_Followers.begin(), m_Followers.end(),
                                     [&](const RoleFollower& f) { return f.handle == handle; }),
                      m_Followers.end());
}

void CRoleData::DropFollowers(int keep) {
    CScene* scene = GetScene();
    int64_t total = 0;
    for (size_t i = m_Followers.size(); i-- > 0;) {
        total += m_Followers[i].count;
        if (total <= keep) continue;
        if (scene && scene->m_pWorld && scene->m_pWorld->m_pHandles) {
            CGameObj* obj = scene->m_pWorld->m_pHandles->Resolve(m_Followers[i].handle);
            if (obj && obj->IsRole() && !obj->m_Removed) obj->Remove();
        }
        m_Followers.erase(m_Followers.begin() + static_cast<long>(i));
    }
}

// ---------------------------------------------------------------- the live role

CRoleData* CRoleData::SetRoleRef(int32_t sceneId, ObjHandle handle) {
    m_SceneId = sceneId;
    m_RoleHandle = handle;
    return GetRole() ? (g_RoleHooks.getLocalPlayerRecord ? g_RoleHooks.getLocalPlayerRecord() : nullptr) : nullptr;
}

CScene* CRoleData::GetScene() const { return g_LiveScnMng ? g_LiveScnMng->FindSceneById(m_SceneId) : nullptr; }

CRole* CRoleData::GetRole() const {
    CScene* scene = GetScene();
    if (!scene || !scene->m_pWorld || !scene->m_pWorld->m_pHandles || !m_RoleHandle) return nullptr;
    CGameObj* obj = scene->m_pWorld->m_pHandles->Resolve(m_RoleHandle);
    return obj && obj->IsRole() ? dynamic_cast<CRole*>(obj) : nullptr;
}

void CRoleData::RefreshRole() {
    if (CRole* role = GetRole()) RoleRefreshPools(role);
}

// ---------------------------------------------------------------- return portals

namespace {

// The object of a handle in the scene of that id, or null.
CGameObj* ResolveInScene(int32_t sceneId, ObjHandle handle, CScene** sceneOut) {
    CScene* scene = g_LiveScnMng ? g_LiveScnMng->FindSceneById(sceneId) : nullptr;
    if (sceneOut) *sceneOut = scene;
    if (!scene || !scene->m_pWorld || !scene->m_pWorld->m_pHandles || !handle) return nullptr;
    return scene->m_pWorld->m_pHandles->Resolve(handle);
}

} // namespace

int CRoleData::FindReturnPortal(ObjHandle gate) const {
    if (!gate) return -1;
    for (int i = 0; i < 2; ++i)
        if (m_Portals[i].nearGate == gate || m_Portals[i].farGate == gate) return i;
    return -1;
}

void CRoleData::CloseReturnPortal(int i) {
    if (i < 0 || i > 1) return;
    CScene* prev = g_CurScene;
    ReturnPortal& p = m_Portals[i];
    const std::pair<int32_t, ObjHandle> gates[2] = {{p.farScene, p.farGate}, {p.nearScene, p.nearGate}};
    for (const auto& [sceneId, handle] : gates) {
        CScene* scene = nullptr;
        CGameObj* gate = ResolveInScene(sceneId, handle, &scene);
        if (!gate || gate->m_Removed) continue;
        SetCurrentScene(scene);
        gate->Remove();
    }
    p = ReturnPortal{};
    if (prev && g_LiveScnMng && g_LiveScnMng->Find(prev) >= 0) SetCurrentScene(prev);
}

int CRoleData::OpenReturnPortal(int i) {
    if (i < 0 || i > 1) return 0;
    CScene* scene = GetScene();
    CRole* role = GetRole();
    const std::string revive = GetReviveScene();
    // The gate's point in the revive scene: columns 3 and 4 of the act's row.
    const CTxtRow* row = g_ActMdlTable.GetRow(m_Act);
    CScene* far = g_LiveScnMng && !revive.empty() ? g_LiveScnMng->SelectSceneByName(revive.c_str()) : nullptr;
    if (scene) SetCurrentScene(scene);
    if (!scene || !role || revive.empty() || plat::EqualsNoCase(revive, scene->GetName()) || !row ||
        !row->HasValue(3) || !row->HasValue(4) || !far) {
        CloseReturnPortal(i);
        return 0;
    }
    CloseReturnPortal(i);
    // A parked revive scene comes back for its gate; the manager parks it
    // again while nobody is there, and the gate stays with its objects.
    if (!far->m_Active) far->SetActive(1);
    SetCurrentScene(scene);
    CGamePoint near{role->m_X / 64, role->m_Y / 64};
    MoveDir8(near, role->GetFacing8(), 1);
    CGameObj* nearGate = scene->m_pWorld->m_ObjMng.AddBldAt(near.x, near.y);
    SetCurrentScene(far);
    CGameObj* farGate = far->m_pWorld->m_ObjMng.AddBldAt(row->GetInt(3), row->GetInt(4));
    SetCurrentScene(scene);
    auto* nearPortal = dynamic_cast<CPortalBld*>(nearGate);
    auto* farPortal = dynamic_cast<CPortalBld*>(farGate);
    ReturnPortal& p = m_Portals[i];
    p = {far->m_Id, farGate ? farGate->m_Handle : 0, scene->m_Id, nearGate ? nearGate->m_Handle : 0};
    if (!nearPortal || !farPortal) {
        CloseReturnPortal(i);
        return 0;
    }
    // Each gate leads to the other.
    nearPortal->SetPortal(role, far->GetName(), far->GetName(), farGate->m_Handle);
    farPortal->SetPortal(role, scene->GetName(), scene->GetName(), nearGate->m_Handle);
    return 1;
}
