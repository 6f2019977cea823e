#include "world/scene/scn_placement.h"

#include <algorithm>

#include "core/ini_file.h"
#include "platform/msgbox.h"
#include "platform/text.h"
#include "world/objects/obj_mng.h"
#include "world/scene/world_globals.h"

namespace {

constexpr int32_t kCellLimit = 65536;

bool IsPlacedType(uint32_t type) { return type >= 10 && type <= 17; }

// The description layout a logic kind's keys fill: kinds 0 and 4 share one.
uint32_t LogicLayout(int32_t kind) {
    switch (kind) {
    case 0:
    case 4: return 12;
    case 1: return 13;
    case 2: return 14;
    case 3: return 15;
    default: return 0;
    }
}

uint32_t TypeLayout(uint32_t type) { return type == 16 ? 12 : type; }

} // namespace

void CScnObjFile::Prepare() {
    for (CScnObjGroup& g : m_Groups) {
        g.entries.clear();
        g.used.clear();
        g.capacity = kGroupCapacity;
        g.count = 0;
    }
}

CObjDesc* CScnObjFile::GetEntry(int i, int group) const {
    const CScnObjGroup* g = GetGroup(group);
    if (!g || i < 0 || i >= g->count) return nullptr;
    return g->entries[static_cast<size_t>(i)].get();
}

int CScnObjFile::AddEntry(int group, std::unique_ptr<CObjDesc> desc) {
    if (group < 0 || group >= kGroups || !desc) return -1;
    CScnObjGroup& g = m_Groups[group];
    if (g.count >= g.capacity) return -1;
    g.entries.push_back(std::move(desc));
    g.used.push_back(0);
    return g.count++;
}

int CScnObjFile::ReadRecord(CIniFile& ini, int group, uint32_t* type, bool* atEnd) {
    // Every read past the end fails the same way; note it once.
    auto ok = [atEnd](int r) {
        if (!r) *atEnd = true;
    };
    if (*atEnd) {
        // Past the end every key reads as missing: the record is the type
        // before with its defaults. Reading each key again only costs time
        // when the counts claim thousands of records.
        std::unique_ptr<CObjDesc> desc(CreateObjDesc(*type));
        if (!desc || AddEntry(group, std::move(desc)) < 0) return 0;
        ++m_Total;
        return 1;
    }
    int t = static_cast<int>(*type);
    ok(ini.ReadInt("Type", &t));
    *type = static_cast<uint32_t>(t);
    std::unique_ptr<CObjDesc> desc(CreateObjDesc(*type));
    if (!desc) return 0;
    ok(ini.ReadShort("ModelID", &desc->m_ModelId));
    ok(ini.ReadInt("MapX", &desc->m_X));
    ok(ini.ReadInt("MapY", &desc->m_Y));
    // Cells feed position and spiral arithmetic: keep them within what a
    // map can be (16-bit sizes), so a wild value cannot overflow it.
    desc->m_X = std::clamp(desc->m_X, -kCellLimit, kCellLimit);
    desc->m_Y = std::clamp(desc->m_Y, -kCellLimit, kCellLimit);
    auto* d = dynamic_cast<CObjDesc11*>(desc.get());
    if (IsPlacedType(*type) && d) {
        ok(ini.ReadInt("Logic", &d->m_Logic));
        ok(ini.ReadInt("MoveLevel", &d->m_MoveLevel));
        ok(ini.ReadInt("MoveRangeX", &d->m_Nested[0]));
        ok(ini.ReadInt("MoveRangeY", &d->m_Nested[1]));
        ok(ini.ReadInt("MoveRangeCx", &d->m_Nested[2]));
        ok(ini.ReadInt("MoveRangeCy", &d->m_Nested[3]));
        char text[CObjDesc11::kTextSize];
        if (ini.ReadLine("EventID", text, sizeof text))
            d->SetText(text);
        else
            *atEnd = true;
        ok(ini.ReadInt("Array", &d->m_Words[0]));
        ok(ini.ReadInt("Group", &d->m_Words[1]));
        ok(ini.ReadInt("data1", &d->m_Words[2]));
        ok(ini.ReadInt("data2", &d->m_Words[3]));
        ok(ini.ReadInt("data3", &d->m_LastWord));
        // Only the logic keys this type holds; the reader skips the others
        // when it looks for the next record's keys.
        const uint32_t layout = LogicLayout(d->m_Logic);
        if (layout && layout == TypeLayout(*type)) {
            if (auto* d12 = dynamic_cast<CObjDesc12*>(d)) {
                ok(ini.ReadShort("Logic_Init", &d12->m_PatrolX));
                ok(ini.ReadShort("Logic_Init", &d12->m_PatrolY));
                ok(ini.ReadInt("Logic_Dir", &d12->m_Dir));
            } else if (auto* d13 = dynamic_cast<CObjDesc13*>(d)) {
                ok(ini.ReadInt("Logic_x", &d13->m_RectX));
                ok(ini.ReadInt("Logic_y", &d13->m_RectY));
                ok(ini.ReadInt("Logic_cx", &d13->m_RectW));
                ok(ini.ReadInt("Logic_cy", &d13->m_RectH));
            } else if (auto* d14 = dynamic_cast<CObjDesc14*>(d)) {
                int n = 0;
                ok(ini.ReadInt("Logic_PathNum", &n));
                // The count is not trusted: points are kept as the file
                // gives them, never more than it holds.
                for (int i = 0; i < n; ++i) {
                    CObjDesc14::Point p;
                    if (!ini.ReadInt("Logic_PathMapX", &p.x) || !ini.ReadInt("Logic_PathMapY", &p.y)) {
                        *atEnd = true;
                        break;
                    }
                    d14->m_Path.push_back(p);
                }
            } else if (auto* d15 = dynamic_cast<CObjDesc15*>(d)) {
                ok(ini.ReadInt("Logic_a", &d15->m_A));
                ok(ini.ReadInt("Logic_s", &d15->m_S));
                ok(ini.ReadInt("Logic_d", &d15->m_D));
                ok(ini.ReadInt("Logic_x", &d15->m_PointX));
                ok(ini.ReadInt("Logic_y", &d15->m_PointY));
            }
        }
    }
    if (AddEntry(group, std::move(desc)) < 0) return 0;
    ++m_Total;
    return 1;
}

int CScnObjFile::Load(const char* path) {
    if (!path) return 0;
    CIniFile ini;
    if (!ini.OpenFileRead(path)) {
        plat::MessageBox(path, plat::kCannotOpenCaption);
        return 0;
    }
    int all = 0, bld = 0, cha = 0, prop = 0, bea = 0;
    ini.ReadInt("All", &all);
    ini.ReadInt("Bld", &bld);
    ini.ReadInt("CHA", &cha);
    ini.ReadInt("PROP", &prop);
    ini.ReadInt("Bea", &bea);
    Prepare();
    m_Total = 0;
    char name[256] = {};
    ini.ReadLine("BldMdl", name, sizeof name);
    m_BldMdl = name;
    uint32_t type = 0;  // a missing "Type" keeps the one before
    bool atEnd = false;
    const struct {
        int count;
        int group;
    } runs[] = {{cha, 1}, {bea, 3}, {prop, 2}};
    for (const auto& run : runs) {
        for (int i = 0; i < run.count; ++i) {
            const int added = ReadRecord(ini, run.group, &type, &atEnd);
            // Past the end every further record reads alike: once one is
            // not added none will be, however large the count.
            if (atEnd && !added) break;
        }
    }
    m_Path = path;
    OnLoaded();
    ini.Close();
    return 1;
}

void CScnPlacement::CreateObjects() {
    CObjMng* mng = g_CurObjMng;
    if (!mng) return;
    for (int i = 0; i < m_Groups[1].count; ++i)
        if (CObjDesc* d = TakeEntry(1, i)) mng->AddObj(d, 31, 0, 0, i);
    for (int i = 0; i < m_Groups[3].count; ++i) {
        const uint16_t model = m_Groups[3].entries[static_cast<size_t>(i)]->m_ModelId;
        if (model >= 1500 && model <= 2000) continue;
        if (CObjDesc* d = TakeEntry(3, i)) mng->AddObj(d, 22, 0, 0, -1);
    }
}

CObjDesc* CScnPlacement::TakeEntry(int group, int i) {
    const CObjDesc* e = GetEntry(i, group);
    if (!e) return nullptr;
    CObjDesc* copy = CreateObjDesc(e->m_Type);
    if (!copy) return nullptr;
    copy->Assign(*e);
    SetUsed(group, i, 1);
    return copy;
}

int CScnPlacement::FindByName(const char* name, int group) const {
    const CScnObjGroup* g = GetGroup(group);
    if (!g || !name) return -1;
    for (int i = 0; i < g->count; ++i) {
        const auto* d = dynamic_cast<const CObjDesc11*>(g->entries[static_cast<size_t>(i)].get());
        if (!d || g->used[static_cast<size_t>(i)] || !IsPlacedType(d->m_Type)) continue;
        if (plat::EqualsNoCase(d->m_Text, name)) return i;
    }
    return -1;
}

int CScnPlacement::FindByPos(int32_t x, int32_t y, int group) const {
    const CScnObjGroup* g = GetGroup(group);
    if (!g) return -1;
    for (int i = 0; i < g->count; ++i) {
        const CObjDesc* d = g->entries[static_cast<size_t>(i)].get();
        if (IsPlacedType(d->m_Type) && d->m_X == x && d->m_Y == y) return i;
    }
    return -1;
}

void CScnPlacement::SetUsed(int group, int index, int used) {
    if (group < 0 || group >= kGroups) return;
    CScnObjGroup& g = m_Groups[group];
    if (index < 0 || index >= g.count) return;
    g.used[static_cast<size_t>(index)] = used;
}

int CScnPlacement::IsUsed(int group, int index) const {
    if (group < 0 || group >= kGroups) return 0;
    const CScnObjGroup& g = m_Groups[group];
    if (index < 0 || index >= g.count) return 0;
    return g.used[static_cast<size_t>(index)];
}
