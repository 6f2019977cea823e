#include "roles/magic/anim/particle_ring.h"

#include <cmath>

#include "gfx/image.h"
#include "roles/magic/effect_calls.h"
#include "world/map/iso_grid.h"
#include "world/scene/world_hooks.h"
#include "world/things/anim_map_obj.h"

CImage* g_pParticleSprite = nullptr;

int CParticleRecord::Draw(CSurface* surface) {
    int drawn = 0;
    const CGameRect view = ViewClipRect();
    for (CParticleGroup& g : m_Groups) {
        const CGamePoint s = g_IsoGrid.WorldToScreen(g.source.x, g.source.y);
        const CGamePoint t = g_IsoGrid.WorldToScreen(g.target.x, g.target.y);
        const float h = HeadingOf(s.x - t.x, s.y - t.y);
        for (CParticle& p : g.particles) {
            if (p.arrived) continue;
            const float d = static_cast<float>(p.distance);
            const int32_t x = t.x + static_cast<int32_t>(std::sin(h + kAnimPi) * d) + p.dx;
            const int32_t y = t.y + static_cast<int32_t>(std::cos(h + kAnimPi) * d) + p.dy;
            const double ex = x - s.x, ey = y - s.y;
            if (static_cast<int32_t>(std::sqrt(ex * ex + ey * ey)) < CParticleRing::kArrival) {
                --g.flying;
                ++p.arrived;
            }
            if (g_pParticleSprite) g_pParticleSprite->Draw(surface, x, y, kDrawCopy, -1, &view);
            ++drawn;
        }
    }
    return drawn;
}

CParticleRing::~CParticleRing() {
    for (CParticleRecord& r : m_Records) r.m_Groups.clear();
}

void CParticleRing::InitIndices() {
    for (int i = 0; i < kRecords; ++i) m_Records[i].m_Index = i;
}

void CParticleRing::Update() {
    for (CParticleRecord& r : m_Records) r.Update();
}

int CParticleRing::Draw(CSurface* surface) {
    int drawn = 0;
    for (CParticleRecord& r : m_Records) drawn += r.Draw(surface);
    return drawn;
}

void InstallParticleRingHooks() {
    g_WorldHooks.createParticleRing = []() -> CParticleRing* {
        auto* ring = new CParticleRing;
        ring->InitIndices();
        return ring;
    };
    g_WorldHooks.updateParticleRing = [](CParticleRing* ring) {
        if (ring) ring->Update();
    };
    g_WorldHooks.deleteParticleRing = [](CParticleRing* ring) { delete ring; };
}
