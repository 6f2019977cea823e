#include "world/objects/obj_mng.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include "core/packet.h"
#include "core/txt_table.h"
#include "platform/debug.h"
#include "platform/msgbox.h"
#include "platform/random.h"
#include "platform/text.h"
#include "sound/sound_mng.h"
#include "world/things/beastie.h"
#include "world/buildings/bld.h"
#include "world/map/map_grid.h"
#include "world/things/map_prop.h"
#include "world/scene/scn_mng.h"
#include "world/scene/world_globals.h"
#include "world/scene/world_hooks.h"

namespace {

CGameObj* AsObj(CObjNode* n) { return static_cast<CGameObj*>(n); }

bool SameName(const char* a, const char* b) { return a && b && plat::EqualsNoCase(a, b); }

} // namespace

void MakeNewMagicPacket(uint8_t* out, int defId, int x, int y) {
    PacketFields f;
    f.type = kPacketNewMagic;
    f.id = defId;
    f.x = x;
    f.y = y;
    WritePacket(f, out, 7);
}

CObjMng::CObjMng() : m_MechPool(nullptr), m_CorpsePool(nullptr) {
    if (g_WorldHooks.createParticleRing) m_pParticles = g_WorldHooks.createParticleRing();
    if (g_WorldHooks.createRoleGroups) m_pRoleGroups = g_WorldHooks.createRoleGroups();
    if (g_WorldHooks.createMerchants) m_pMerchants = g_WorldHooks.createMerchants();
}

CObjMng::~CObjMng() { Teardown(); }

void CObjMng::Teardown() {
    Clear();
    if (m_pParticles && g_WorldHooks.deleteParticleRing) g_WorldHooks.deleteParticleRing(m_pParticles);
    if (m_pRoleGroups && g_WorldHooks.deleteRoleGroups) g_WorldHooks.deleteRoleGroups(m_pRoleGroups);
    if (m_pMerchants && g_WorldHooks.deleteMerchants) g_WorldHooks.deleteMerchants(m_pMerchants);
    m_pParticles = nullptr;
    m_pRoleGroups = nullptr;
    m_pMerchants = nullptr;
    // Whatever still refers to an object here is let go, not destroyed.
    m_DrawLayer0.DetachAll();
    m_DrawLayer13.DetachAll();
    m_DrawLayer2.DetachAll();
    m_DrawLayer4.DetachAll();
    m_Portals.RemoveAll();
    if (g_CurObjMng == this) g_CurObjMng = nullptr;
}

// ------------------------------------------------------------ creation

CGameObj* CObjMng::MakeObj(CObjDesc* desc, int kind, int32_t id, const void** model) {
    if (kind >= 30 && kind <= 100) {
        const CTxtRow* row = g_RoleMdlTable.GetRow(desc->m_ModelId);
        if (!row || !g_WorldHooks.createRole) return nullptr;
        CGameObj* role = g_WorldHooks.createRole(kind);
        if (!role) return nullptr;
        *model = row;
        role->Register(id);
        return role;
    }
    if (kind == 23) return MakeMapProp(desc, id, model);
    if (kind == 22) {
        // Creature rows are model id - 20000; scripts also create ids below
        // 20000 by name, which have no row and make no creature.
        if (desc->m_ModelId < 20000) return nullptr;
        const CTxtRow* row = g_BeastieMdlTable.GetRow(desc->m_ModelId - 20000);
        if (!row) return nullptr;
        *model = row;
        return MakeBeastie(row);
    }
    return nullptr;
}

CGameObj* CObjMng::AddObj(CObjDesc* desc, int kind, int32_t id, int32_t extra, int32_t placeIndex) {
    CGameObj* obj = nullptr;
    const void* model = nullptr;
    if (desc) obj = MakeObj(desc, kind, id, &model);
    if (obj && !obj->m_Handle) {
        // No free handle (or no world current): it would be filed nowhere
        // and never freed.
        plat::OutputDebugString("CObjMng::AddObj Error: no free handle");
        if (obj->m_pDesc == desc) desc = nullptr;
        delete obj;
        delete desc;
        return nullptr;
    }
    if (!obj || !obj->Init(desc)) {
        plat::OutputDebugString("CObjMng::AddObj Error");
        if (obj && obj->m_pDesc == desc) desc = nullptr;  // the object owns it
        delete obj;
        delete desc;
        return nullptr;
    }
    obj->InitModel(model);
    if (obj->IsRole()) {
        if (g_WorldHooks.roleSetAppearance) g_WorldHooks.roleSetAppearance(obj, extra);
        PreloadRoleFrames(obj);
        obj->m_PlaceIndex = placeIndex;
    }
    Register(obj->m_Handle);
    return obj;
}

CGameObj* CObjMng::AddRole(uint16_t modelId, int x, int y, int player, int32_t id, int32_t extra, int patrolX,
                           int patrolY) {
    CObjDesc* desc;
    if (patrolX == -1 || patrolY == -1) {
        auto* d = new CObjDesc13;
        d->m_Logic = 1;
        d->m_MoveLevel = 3;
        d->m_RectX = x;
        d->m_RectY = y;
        d->m_RectW = 4;
        d->m_RectH = 4;
        d->m_Value = 16;
        desc = d;
    } else {
        auto* d = new CObjDesc12;
        d->m_Type = 16;
        d->m_Logic = 4;
        d->m_MoveLevel = 4;
        d->m_Dir = plat::Rand() & 7;
        d->m_PatrolX = static_cast<uint16_t>(patrolX);
        d->m_PatrolY = static_cast<uint16_t>(patrolY);
        d->m_Word = 0;
        desc = d;
    }
    desc->m_SubType = 2;
    desc->m_ModelId = modelId;
    desc->m_X = x;
    desc->m_Y = y;
    return AddObj(desc, player ? 60 : 31, id, extra, -1);
}

CGameObj* CObjMng::AddProp(int32_t propId, int x, int y, int32_t id, int32_t count) {
    if (propId == -1) {
        plat::MessageBox("AddProp \xce\xde" "PicID!", "");  // "AddProp 无PicID!"
        return nullptr;
    }
    const CTxtRow* row = g_PropMdlTable.GetRow(propId);
    if (!row) {
        plat::DebugPrintf("AddProp: no PropMdl row %d\n", propId);
        return nullptr;
    }
    auto make = [&](int32_t n) -> CGameObj* {
        auto* d = new CObjDesc11;
        d->m_SubType = 2;
        d->m_ModelId = static_cast<uint16_t>(propId);
        d->m_X = x;
        d->m_Y = y;
        CGameObj* prop = AddObj(d, 23, id, 0, -1);
        if (prop) SetMapPropCount(prop, n);
        return prop;
    };
    if (row->GetInt(6) == 0) {
        CGameObj* last = nullptr;
        for (int32_t i = 0; i < count; ++i) last = make(1);
        return last;
    }
    return make(count);
}

CGameObj* CObjMng::AddMagic(int defId, int x, int y, CGameObj* parent, int announce) {
    if (!g_WorldHooks.createMagic) return nullptr;
    CGameObj* magic = g_WorldHooks.createMagic(defId, x, y, parent);
    if (!magic) return nullptr;
    Register(magic->m_Handle);
    if (announce && g_CurScene) {
        uint8_t packet[7];
        MakeNewMagicPacket(packet, defId, x, y);
        g_CurScene->SendInView(packet, magic->m_X, magic->m_Y);
    }
    return magic;
}

void CObjMng::Register(ObjHandle handle) {
    CGameObj* obj = g_CurHandleTable ? g_CurHandleTable->Resolve(handle) : nullptr;
    if (!obj) return;
    const int k = obj->m_Kind;
    if (k >= 21 && k <= 29)
        m_Props.AddTail(obj);
    else if (k >= 30 && k <= 100)
        m_Roles.AddTail(obj);
    else if (k == 4)
        m_Creatures.AddTail(obj);
    else if (k >= 10 && k <= 20)
        m_SceneObjs.AddTail(obj);
    else if (k == 6)
        m_Magic.AddTail(obj);
}

// -------------------------------------------------------------- passes

void CObjMng::TickList(CObjList& list, int roles) {
    CObjNode* n = list.Head();
    while (n) {
        CGameObj* obj = AsObj(n);
        if (obj->m_Removed) {
            list.SetCursor(n);
            n = CListWalk::RemoveCurrent(list);
            if (roles && g_CurScene && g_WorldHooks.requestRun) g_WorldHooks.requestRun(g_CurScene);
        } else {
            obj->Tick();
            n = n->Next();
        }
    }
}

void CObjMng::Update() {
    if (m_pParticles && g_WorldHooks.updateParticleRing) g_WorldHooks.updateParticleRing(m_pParticles);
    TickList(m_Roles, 1);
    TickList(m_Props, 0);
    TickList(m_Magic, 0);
    // The next index is taken before a deletion unlinks the slot.
    for (int i = m_MechPool.First(); i != -1;) {
        const int next = m_MechPool.Next(i);
        CGameObj* obj = m_MechPool.GetAt(i);
        if (obj->m_Removed) {
            if (obj->Owner() == &m_SceneObjs) {
                m_SceneObjs.SetCursor(obj);
                m_SceneObjs.RemoveCurrent();
            } else {
                delete obj;
            }
        } else {
            obj->Tick();
        }
        i = next;
    }
    // Removed buildings outside the pool (plain ones, or refused by a full
    // pool) would otherwise live on until Clear.
    for (CObjNode* n = m_SceneObjs.Head(); n;) {
        if (AsObj(n)->m_Removed) {
            m_SceneObjs.SetCursor(n);
            n = m_SceneObjs.RemoveCurrent();
        } else {
            n = n->Next();
        }
    }
}

void CObjMng::UpdateActions() {
    if (m_pRoleGroups && g_WorldHooks.updateRoleGroups) g_WorldHooks.updateRoleGroups(m_pRoleGroups);
    for (CObjNode* n = m_Roles.Head(); n; n = n->Next())
        if (g_WorldHooks.roleUpdate) g_WorldHooks.roleUpdate(AsObj(n));
    for (CObjNode* n = m_Magic.Head(); n;) {
        CGameObj* obj = AsObj(n);
        if (obj->m_Removed) {
            m_Magic.SetCursor(n);
            n = CListWalk::RemoveCurrent(m_Magic);
        } else {
            if (g_WorldHooks.magicUpdate) g_WorldHooks.magicUpdate(obj);
            n = n->Next();
        }
    }
}

void CObjMng::PostUpdate() {
    for (CObjNode* n = m_Roles.Head(); n; n = n->Next())
        if (g_WorldHooks.roleClientStep) g_WorldHooks.roleClientStep(AsObj(n));
    for (CObjNode* n = m_Magic.Head(); n; n = n->Next())
        if (g_WorldHooks.magicClientStep) g_WorldHooks.magicClientStep(AsObj(n));
    if (g_WorldHooks.updateClientSlots) g_WorldHooks.updateClientSlots();
    TickList(m_Creatures, 0);
}

void CObjMng::ResetCorpses() {
    for (CObjNode* n = m_Props.Head(); n; n = n->Next()) {
        CGameObj* obj = AsObj(n);
        if (obj->m_Kind == 25 || obj->m_Kind == 26) obj->Remove();
    }
}

void CObjMng::PlaceAll() {
    for (CObjNode* n = m_SceneObjs.Head(); n; n = n->Next())
        if (auto* b = dynamic_cast<CBld*>(AsObj(n))) b->StampFootprint();
    for (CObjNode* n = m_Roles.Head(); n; n = n->Next())
        if (g_WorldHooks.roleEnterCell) g_WorldHooks.roleEnterCell(AsObj(n), 1);
    if (!g_CurMapGrid) return;
    for (CObjNode* n = m_Props.Head(); n; n = n->Next()) {
        const CGameObj* prop = AsObj(n);
        if (prop->m_Kind != 23) continue;
        CMapCell* cell = g_CurMapGrid->GetCell(prop->m_X / 64, prop->m_Y / 64);
        if (cell) cell->m_GroundObj = static_cast<uint16_t>(prop->m_Handle);
    }
}

void CObjMng::Clear() {
    m_Camps.RemoveAll();
    m_RoleWalk.Reset();
    m_MagicWalk.Reset();
    m_Roles.RemoveAll();
    m_Magic.RemoveAll();
    m_SceneObjs.RemoveAll();
    m_Props.RemoveAll();
    m_Creatures.RemoveAll();
    m_Placement.Clear();
    m_Drops.RemoveAll();
    if (m_pRoleGroups && g_WorldHooks.clearRoleGroups) g_WorldHooks.clearRoleGroups(m_pRoleGroups);
    if (m_pMerchants && g_WorldHooks.clearMerchants) g_WorldHooks.clearMerchants(m_pMerchants);
}

// ---------------------------------------------------------- draw lists

CObjList* CObjMng::GetDrawList(int layer) {
    switch (layer) {
    case 0: return &m_DrawLayer0;
    case 1:
    case 3: return &m_DrawLayer13;
    case 2: return &m_DrawLayer2;
    case 4: return &m_DrawLayer4;
    default: return nullptr;
    }
}

CObjList* CObjMng::AddToDrawList(CGameObj* obj, int layer) {
    CObjList* list = GetDrawList(layer);
    if (!list || !obj) return nullptr;
    if (obj->m_DrawNode.Owner() != list) list->AddTail(&obj->m_DrawNode);
    return list;
}

void CObjMng::RemoveFromDrawList(CGameObj* obj, CObjList* list) {
    if (obj && list && obj->m_DrawNode.Owner() == list) obj->m_DrawNode.Unlink();
}

// --------------------------------------------------------------- pools

int CObjMng::AddToMechPool(CGameObj* obj) {
    if (m_MechPool.GetCount() >= kPoolLimit) return -1;
    return m_MechPool.Insert(m_MechPool.First(), obj);
}

void CObjMng::RemoveFromMechPool(CGameObj* obj) { m_MechPool.RemoveValue(obj); }

int CObjMng::AddToCorpsePool(CGameObj* obj) {
    if (m_CorpsePool.GetCount() >= kPoolLimit) return -1;
    return m_CorpsePool.Insert(m_CorpsePool.First(), obj);
}

void CObjMng::RemoveFromCorpsePool(CGameObj* obj) { m_CorpsePool.RemoveValue(obj); }

void CObjMng::AddPortal(CGameObj* obj) {
    auto* node = new CObjRefNode;
    node->m_pObj = obj;
    m_Portals.AddTail(node);
}

void CObjMng::RemovePortal(CGameObj* obj) {
    for (CObjNode* n = m_Portals.Head(); n; n = n->Next()) {
        if (static_cast<CObjRefNode*>(n)->m_pObj == obj) {
            m_Portals.SetCursor(n);
            m_Portals.RemoveCurrent();
            return;
        }
    }
}

// --------------------------------------------------------------- drops

void CObjMng::SetPropToObj(ObjHandle handle, int32_t propId, int32_t count, const char* name) {
    if (!g_CurScene) return;
    auto* e = new CDropEntry;
    e->m_Name = name ? name : "";
    e->m_Owner = handle;
    e->m_PropId = propId;
    e->m_Count = count;
    m_Drops.AddTail(e);
}

CDropEntry* CObjMng::FindDrop(const char* name, ObjHandle handle, int byName) {
    for (CObjNode* n = m_Drops.Head(); n; n = n->Next()) {
        auto* e = static_cast<CDropEntry*>(n);
        if (byName ? SameName(e->m_Name.c_str(), name) : e->m_Owner == handle) {
            m_Drops.SetCursor(n);
            return e;
        }
    }
    return nullptr;
}

CDropEntry* CObjMng::FindDropByName(const char* name) { return FindDrop(name, 0, 1); }

CDropEntry* CObjMng::FindDropByHandle(ObjHandle handle) { return FindDrop(nullptr, handle, 0); }

void CObjMng::RemoveDrop(CDropEntry* entry) {
    if (!entry || entry->Owner() != &m_Drops) return;
    m_Drops.SetCursor(entry);
    m_Drops.RemoveCurrent();
}

void CObjMng::DropProps(CGameObj* obj, int all) {
    if (!obj) return;
    const char* pic = obj->GetPictureName();
    const int byName = pic && pic[0] && !plat::EqualsNoCase(pic, "auto");
    const std::string name = byName ? pic : "";
    for (;;) {
        CDropEntry* e = FindDrop(name.c_str(), obj->m_Handle, byName);
        if (!e) break;
        const int32_t propId = e->m_PropId;
        const int32_t count = e->m_Count;
        RemoveDrop(e);
        // PixelToTile: toward zero.
        if (g_CurObjMng) g_CurObjMng->AddProp(propId, obj->m_X / 64, obj->m_Y / 64, 0, count);
        if (!all) break;
    }
}

// ------------------------------------------------------------- finders

CGameObj* CObjMng::FindFirstObjByName(const char* name) {
    m_NameText = name ? name : "";
    m_NameCursor = m_MechPool.First();
    return FindNextObjByName();
}

CGameObj* CObjMng::FindNextObjByName() {
    while (m_NameCursor != -1) {
        CGameObj* obj = m_MechPool.GetAt(m_NameCursor);
        m_NameCursor = m_MechPool.Next(m_NameCursor);
        if (obj && SameName(obj->GetPictureName(), m_NameText.c_str())) return obj;
    }
    return nullptr;
}

CGameObj* CObjMng::FindRoleByName(const char* name) {
    m_Roles.SetCursor(m_Roles.Head());
    return FindNextRoleByName(name);
}

CGameObj* CObjMng::FindNextRoleByName(const char* name) {
    for (CObjNode* n = m_Roles.Cursor(); n; n = n->Next()) {
        CGameObj* role = AsObj(n);
        if (role->m_Removed) continue;
        if (g_WorldHooks.isRoleDead && g_WorldHooks.isRoleDead(role)) continue;
        const char* pic = role->GetPictureName();
        if (!pic || !pic[0] || !SameName(pic, name)) continue;
        m_Roles.SetCursor(n->Next());
        return role;
    }
    m_Roles.SetCursor(nullptr);
    return nullptr;
}

CGameObj* CObjMng::GetRoleByName(const char* name) {
    CObjNode* keep = m_Roles.Cursor();
    CGameObj* role = FindRoleByName(name);
    m_Roles.SetCursor(keep);
    return role;
}

CGameObj* CObjMng::FindRoleByPlacement(int32_t index) {
    for (CObjNode* n = m_Roles.Head(); n; n = n->Next())
        if (AsObj(n)->m_PlaceIndex == index) return AsObj(n);
    return nullptr;
}

int CObjMng::CountLiveBeasties() {
    int count = 0;
    for (CObjNode* n = m_Props.Head(); n; n = n->Next())
        if (AsObj(n)->m_Kind == 27 && IsBeastieLive(AsObj(n))) ++count;
    return count;
}

void CObjMng::RefreshRoleMarks() {
    if (!g_WorldHooks.updateTalkId) return;
    for (CObjNode* n = m_Roles.Head(); n; n = n->Next()) g_WorldHooks.updateTalkId(AsObj(n));
}

CCampRecord* CObjMng::FindCampRecord(int32_t camp) {
    for (CObjNode* n = m_Camps.Head(); n; n = n->Next())
        if (static_cast<CCampRecord*>(n)->m_Camp == camp) return static_cast<CCampRecord*>(n);
    return nullptr;
}

int CObjMng::CampListHas(int32_t camp, int32_t other) {
    const CCampRecord* rec = FindCampRecord(camp);
    return rec && rec->m_Others.Find(other) >= 0 ? 1 : 0;
}

CCampRecord* CObjMng::AddCampRecord(int32_t camp) {
    CCampRecord* rec = FindCampRecord(camp);
    if (rec) return rec;
    rec = new CCampRecord;
    rec->m_Camp = camp;
    m_Camps.AddTail(rec);
    return rec;
}

int CObjMng::IsPreloaded(int32_t modelId) const {
    return std::find(m_Preloaded.begin(), m_Preloaded.end(), modelId) != m_Preloaded.end() ? 1 : 0;
}

void CObjMng::PreloadRoleFrames(CGameObj* role) {
    if (!role || !g_WorldHooks.hostHasClient || !g_WorldHooks.hostHasClient()) return;
    const CTxtRow* row = g_WorldHooks.getRoleModelRow ? g_WorldHooks.getRoleModelRow(role) : nullptr;
    if (!row) return;
    const int32_t id = row->GetInt(1);
    if (IsPreloaded(id)) return;
    std::vector<int> ids;
    const int32_t camp = g_WorldHooks.getRoleCamp ? g_WorldHooks.getRoleCamp(role) : 0;
    if ((camp >= 10000 && camp <= 60000) || row->HasValue(6)) {
        for (int col = 7; col <= 11; ++col)
            if (row->HasValue(col)) ids.push_back(row->GetInt(col));
        const int items = row->GetItemCount(13);
        for (int i = 0; i < items; ++i) {
            const int v = row->GetIntItem(13, i);
            if (v == kTxtEmptyInt) break;
            ids.push_back(v);
        }
        std::sort(ids.begin(), ids.end());
    }
    if (!ids.empty()) {
        int dirs = g_WorldHooks.getRoleDirCount ? g_WorldHooks.getRoleDirCount(role) : 8;
        if (dirs < 1) dirs = 8;
        size_t i = 0;
        while (i < ids.size()) {
            size_t j = i;
            while (j + 1 < ids.size() && ids[j + 1] == ids[j] + dirs) ++j;
            if (g_WorldHooks.setSpriteFrame)
                g_WorldHooks.setSpriteFrame(role, ids[i], ids[j] - ids[i] + dirs);
            i = j + 1;
        }
        g_SoundMng.LoadModelSounds(id);
        if (g_WorldHooks.drawLoadingProgress) g_WorldHooks.drawLoadingProgress(1);
        if (g_WorldHooks.logLoading) {
            const char* name = row->GetString(0);
            char text[300];
            std::snprintf(text, sizeof text, "%s %d", name ? name : "", id);
            g_WorldHooks.logLoading(10, "End", text);
        }
    }
    m_Preloaded.push_back(id);
}
