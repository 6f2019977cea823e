#include "world/objects/game_obj.h"

#include <algorithm>
#include <climits>

#include "core/txt_table.h"
#include "platform/debug.h"
#include "world/objects/obj_desc.h"
#include "world/objects/obj_mng.h"
#include "world/scene/scn_mng.h"
#include "world/scene/world_globals.h"
#include "world/scene/world_hooks.h"

CWorldHooks g_WorldHooks;

CGameObj::CGameObj() : m_pMng(g_CurObjMng) { m_DrawNode.m_pObj = this; }

CGameObj::~CGameObj() {
    // Deleted while still in its list: a proximity walk standing on it
    // moves on first.
    CListWalk::NodeLeaving(this);
    delete m_pDesc;
    m_pDesc = nullptr;
    if (m_pTable) m_pTable->Free(m_Handle, this);
    LeaveDrawList();
}

CAnimRes* CGameObj::GetAnim() { return nullptr; }

int CGameObj::SetPos(int x, int y) {
    m_X = x;
    m_Y = y;
    return x;
}

int CGameObj::Init(CObjDesc* desc) {
    if (desc != m_pDesc) delete m_pDesc;
    m_pDesc = desc;
    if (desc) SetTilePos(desc->m_X, desc->m_Y);
    return 1;
}

int CGameObj::InitModel(const void*) { return 1; }
int CGameObj::Tick() { return 1; }
int CGameObj::Draw(int) { return 1; }
void CGameObj::UpdateScreenRect() {}

int CGameObj::Remove() {
    if (m_pDesc && m_pDesc->m_Type >= 10 && m_pDesc->m_Type <= 17 && m_PlaceIndex != -1 && m_pMng)
        m_pMng->m_Placement.SetUsed(1, m_PlaceIndex, 0);
    m_Removed = 1;
    return 1;
}

int CGameObj::FreeRes() { return 1; }
int CGameObj::LoadRes() { return 1; }

ObjHandle CGameObj::Register(int32_t id) {
    if (g_CurObjMng) m_pMng = g_CurObjMng;
    // Below -1 is neither a range nor a fixed handle.
    if (id < -1) {
        plat::OutputDebugString("CGameObj::Register Error: bad id");
        return 0;
    }
    CHandleTable* table = g_CurHandleTable;
    if (table) {
        // A handle held in another table is let go there first.
        if (m_pTable && m_Handle) m_pTable->Free(m_Handle, this);
        m_pTable = table;
        if (id == -1) {
            m_Handle = table->Allocate(this);
        } else if (id == 0) {
            m_Handle = table->AllocateHigh(this);
        } else {
            m_Handle = table->Attach(this, static_cast<ObjHandle>(id));
            m_FixedHandle = 1;
        }
    }
    if (m_Kind == 4)
        SetDrawLayer(2);
    else if (m_Kind >= 21 && m_Kind <= 29)
        SetDrawLayer(0);
    return m_Handle;
}

void CGameObj::SetName(const char* text) {
    if (!text) {
        m_Name.clear();
        return;
    }
    m_Name = text;
    for (char& c : m_Name)
        if (c == 0x0E) c = ' ';
}

const char* CGameObj::GetName() const {
    if (IsRole()) {
        const CTxtRow* row = g_WorldHooks.getRoleModelRow ? g_WorldHooks.getRoleModelRow(this) : nullptr;
        const char* name = row ? row->GetString(0) : nullptr;
        return name ? name : "";
    }
    return m_Name.c_str();
}

const char* CGameObj::GetPictureName() const {
    if (!m_pDesc) return nullptr;
    const uint32_t type = m_pDesc->m_Type;
    if (type >= 10 && type <= 17) {
        const auto* d = dynamic_cast<const CObjDesc11*>(m_pDesc);
        return d ? d->m_Text : nullptr;
    }
    if (type >= 100 && type <= 103) {
        const auto* b = dynamic_cast<const CBldRec*>(m_pDesc);
        return b ? ResolveTextRef(b->GetShape()) : nullptr;
    }
    return nullptr;
}

void CGameObj::SetTilePos(int cx, int cy) {
    if (m_pDesc) {
        m_pDesc->m_X = cx;
        m_pDesc->m_Y = cy;
    }
    // A cell from a file may lie far outside any map: the position saturates
    // instead of overflowing.
    m_X = static_cast<int32_t>(std::clamp<int64_t>(int64_t(cx) * 64 + 32, INT32_MIN, INT32_MAX));
    m_Y = static_cast<int32_t>(std::clamp<int64_t>(int64_t(cy) * 64 + 32, INT32_MIN, INT32_MAX));
}

void CGameObj::MoveIso(int dx, int dy) {
    m_X += 2 * dy + dx;
    m_Y += 2 * dy - dx;
}

int CGameObj::RunActions(const char* text) {
    if (!g_CurScene || !g_WorldHooks.executeActions) return 0;
    return g_WorldHooks.executeActions(g_CurScene, text, this);
}

void CGameObj::SetDrawLayer(int layer) {
    LeaveDrawList();
    m_DrawLayer = layer;
    CObjMng* mng = m_pMng ? m_pMng : g_CurObjMng;
    m_pDrawList = mng ? mng->AddToDrawList(this, layer) : nullptr;
}

void CGameObj::LeaveDrawList() {
    if (m_pDrawList) {
        if (m_DrawNode.m_Owner == m_pDrawList) m_DrawNode.Unlink();
        m_pDrawList = nullptr;
    }
}

void CGameObj::SetMoverWalkClass() {
    uint8_t c = m_WalkClass;
    if (c < 11)
        c = 11;
    else if (c == 12)
        c = 13;
    else if (c == 14 || c == 16)
        c = 15;
    SetWalkClass(c);
}

CMapObj::CMapObj() = default;
CMapObj::~CMapObj() = default;

int CMapObj::Init(CObjDesc* desc) {
    CGameObj::Init(desc);
    m_pGrid = g_CurMapGrid;
    return 1;
}

CBldBase::~CBldBase() = default;

void InflateRectPercent(CGameRect& rect, int n, int centred) {
    const int dx = static_cast<int>(static_cast<double>(rect.width) * n * 0.05 * 0.5);
    const int dy = static_cast<int>(static_cast<double>(rect.height) * n * 0.05 * 0.5);
    rect.x -= dx;
    rect.width += 2 * dx;
    rect.height += 2 * dy;
    rect.y -= centred ? dy : 2 * dy;
}
