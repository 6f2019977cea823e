#include "roles/magic/anim/anim_magic.h"

#include <cmath>

#include "gfx/anim.h"
#include "gfx/image.h"
#include "gfx/light_grid.h"
#include "gfx/rle_image.h"
#include "platform/random.h"
#include "roles/magic/anim/clone_magic.h"
#include "roles/magic/anim/magic_kinds.h"
#include "roles/magic/anim/particle_ring.h"
#include "roles/magic/anim/projectile.h"
#include "roles/role.h"
#include "roles/tables/skill_table.h"
#include "world/map/iso_grid.h"
#include "world/map/map_grid.h"
#include "world/objects/handle_table.h"
#include "world/objects/obj_mng.h"
#include "world/scene/world_globals.h"
#include "world/scene/world_hooks.h"
#include "world/things/anim_map_obj.h"

CAnimMagic::CAnimMagic() {
    m_Kind = 6;
    m_Height = 0;
}

CAnimMagic::~CAnimMagic() = default;

int32_t CAnimMagic::Col(int column) const {
    if (!m_pDef || column < 9 || column > 14) return 0;
    return m_pDef->col9_14[column - 9];
}

int32_t CAnimMagic::RandMod(int32_t n) {
    if (n == 0) return 0;
    return plat::Rand() % n;
}

CGameObj* CAnimMagic::Followed() const { return m_FollowHandle ? ResolveHandle(m_FollowHandle) : nullptr; }

void CAnimMagic::SetFollowHandle(ObjHandle handle) {
    m_FollowHandle = handle;
    if (CGameObj* o = Followed()) SetPos(o->m_X + 1, o->m_Y + 1);
}

void CAnimMagic::SetScaleLevel(int32_t level) {
    m_ScaleTarget = level;
    if (m_TickCounter == 0) m_ScaleLevel = level;
}

void CAnimMagic::SetScale(int32_t level, int32_t mode) {
    m_ScaleMode = mode;
    SetScaleLevel(level);
}

int CAnimMagic::InitFromDefinition(const CSkillChildDef* def, CGameObj* parent) {
    InitModel(nullptr);
    m_ModelId = kModelId;
    m_pDef = def;
    if (def) SetupEffectLists(def->effects.data(), static_cast<int>(def->effects.size()));
    if (CMagic* p = AsMagic(parent)) {
        m_ParentHandle = p->m_Handle;
        for (int i = 0; i < 4; ++i) m_CastData[i] = p->m_CastData[i];
        m_TargetHandle = p->m_TargetHandle;
        m_OwnerHandle = p->m_OwnerHandle;
        m_Direction = p->m_Direction;
        SetSkill(p->GetSkill());
        if (CRole* owner = p->GetOwnerRole()) {
            m_TargetX = p->m_TargetX;
            m_TargetY = p->m_TargetY;
            const CGameObj* target = p->GetTarget();
            if (owner->IsWalkClassRestricted()) SetWalkClass(owner->m_WalkClass);
            else if (target && target->IsWalkClassRestricted()) SetWalkClass(target->m_WalkClass);
        } else {
            if (m_TargetHandle == 0 && g_CurMapGrid) {
                const CGamePoint c = PixelToTile({p->m_X, p->m_Y});
                if (const CMapCell* cell = g_CurMapGrid->GetCell(c.x, c.y))
                    if (CRole* r = AsRole(cell->m_Occupant == kNoObj ? nullptr : ResolveHandle16(cell->m_Occupant)))
                        m_TargetHandle = r->m_Handle;
            }
            m_TargetX = p->m_X;
            m_TargetY = p->m_Y;
            if (const CSkillDef* s = GetSkill()) {
                m_CastData[2] = s->distance2 / 64;
                m_CastData[3] = s->rangeCells;
                const int32_t dx = m_TargetX - m_X, dy = m_TargetY - m_Y;
                const int32_t d = static_cast<int32_t>(std::sqrt(static_cast<double>(dx) * dx + static_cast<double>(dy) * dy));
                const int32_t rangePx = m_CastData[3] * 64;
                const bool keep = s->targetClamp == 1 && d <= rangePx;
                // A target on the object itself has no line to move along.
                if (!keep && d > 0) {
                    const float f = 0.001f * (1000.0f / static_cast<float>(d) * static_cast<float>(rangePx));
                    m_TargetX = m_X + static_cast<int32_t>(static_cast<float>(dx) * f);
                    m_TargetY = m_Y + static_cast<int32_t>(static_cast<float>(dy) * f);
                }
            }
        }
    }
    m_StartX = m_TargetX;
    m_StartY = m_TargetY;
    SetDrawLayer(1);
    Start();
    StepTimers();
    return 1;
}

int CAnimMagic::Tick() {
    StepTimers();
    StepFrameEffects();
    if (m_ScaleLevel < m_ScaleTarget) ++m_ScaleLevel;
    else if (m_ScaleLevel > m_ScaleTarget) --m_ScaleLevel;
    return 1;
}

int CAnimMagic::OnCollide(CMagic* other) {
    if (!other) return 0;
    CRole* mine = GetOwnerRole();
    CRole* theirs = other->GetOwnerRole();
    if (!mine || !theirs || mine->m_Camp == theirs->m_Camp) return 0;
    Remove();
    if (ListCount(kListHit) == 0) {
        if (g_CurObjMng) {
            const int32_t x = m_X - 2 * m_Height, y = m_Y - 2 * m_Height;
            if (CGameObj* spark = g_CurObjMng->AddMagic(kSparkId, x, y, nullptr, 1)) spark->SetWalkClass(m_WalkClass);
        }
    } else {
        RunSelected(kListHit, this, 1, static_cast<int32_t>(theirs->m_Handle));
    }
    return 1;
}

void CAnimMagic::SetScreenRectAt(const CGamePoint& a) {
    m_ScreenX = a.x;
    m_ScreenY = a.y;
    CAnimPlayer* p = CurrentPlayer();
    const CAnimFrame* f = p ? p->CurrentFrame() : nullptr;
    if (f) f->GetRect(a.x, a.y, &m_ScreenRect);
    else m_ScreenRect = CGameRect{a.x, a.y, 0, 0};
    if (m_ScaleLevel != 0) {
        const float k = static_cast<float>(m_ScaleLevel) * 0.05f;
        const int32_t dx = static_cast<int32_t>(static_cast<float>(m_ScreenRect.width) * k * 0.5f);
        const int32_t dy = static_cast<int32_t>(static_cast<float>(m_ScreenRect.height) * k * 0.5f);
        m_ScreenRect.x -= dx;
        m_ScreenRect.width += 2 * dx;
        m_ScreenRect.height += 2 * dy;
        m_ScreenRect.y -= m_ScaleMode != 0 ? dy : 2 * dy;
    }
}

void CAnimMagic::UpdateScreenRect() { SetScreenRectAt(g_IsoGrid.WorldToScreen(m_X, m_Y)); }

int CAnimMagic::Draw(CSurface* surface) {
    if (m_Removed) return 0;
    CAnimPlayer* p = CurrentPlayer();
    // A scaled picture is drawn by the painter, not here.
    if (m_ScaleLevel != 0 || !p) return 1;
    const CGameRect view = ViewClipRect();
    const int32_t mode = Col(9);
    if (mode == 1) {
        p->Draw(surface, m_ScreenX, m_ScreenY, kDrawCopy, -1, &view);
    } else if (mode == 9) {
        p->Draw(surface, m_ScreenX, m_ScreenY, kDrawAlpha, -1, &view);
    } else if (g_WorldHooks.isLightingOn && g_WorldHooks.isLightingOn()) {
        const CAnimFrame* f = p->CurrentFrame();
        CImage* image = f ? f->GetImage() : nullptr;
        if (image && image->IsRle())
            g_LightGrid.DrawAtLevel(surface, static_cast<CRleImage*>(image), m_ScreenRect.x, m_ScreenRect.y,
                                    g_LightGrid.LevelAt(m_ScreenX, m_ScreenY), &view);
        else
            p->Draw(surface, m_ScreenX, m_ScreenY, kDrawCopy, -1, &view);
    } else {
        p->Draw(surface, m_ScreenX, m_ScreenY, kDrawCopy, -1, &view);
    }
    return 1;
}

// ---------------------------------------------------------------- factory

CGameObj* CreateAnimMagic(int defId, int x, int y, CGameObj* parent) {
    const CSkillChildDef* def = g_SkillChildTable.GetAt(defId);
    if (!def) return nullptr;
    CAnimMagic* m = nullptr;
    CMagic300* blast = nullptr;
    switch (def->kind) {
    case 201:
        switch (def->col6) {
        case 1:
        case 3:
        case 5: m = new CMagic201; break;
        case 2: m = new CMagic201_2; break;
        case 4: m = new CMagic201_4; break;
        default: return nullptr;
        }
        break;
    case 300: m = blast = new CMagic300; break;
    case 500: m = new CMagic500; break;
    case 510: m = new CMagic510; break;
    default: return nullptr;
    }
    m->SetPos(static_cast<uint16_t>(x), static_cast<uint16_t>(y));
    m->InitFromDefinition(def, parent);
    if (blast) blast->AfterCreate(static_cast<uint16_t>(x), static_cast<uint16_t>(y));
    return m;
}

void InstallAnimMagicHooks() {
    g_WorldHooks.createMagic = CreateAnimMagic;
    InstallParticleRingHooks();
}
