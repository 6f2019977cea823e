#include "client/gesture/trail.h"

#include <algorithm>
#include <cmath>

#include "gfx/effect3d.h"
#include "gfx/surface.h"
#include "platform/random.h"

CTrailRenderer g_TrailRenderer;

namespace {

// Ticks a fresh particle glows before it has shrunk away.
constexpr int32_t kParticleLife = 24;

} // namespace

CTrailSprite::CTrailSprite(int32_t kind, int32_t x, int32_t y, int32_t sizeBase, int32_t count)
    : m_Kind(kind), m_SizeBase(sizeBase) {
    m_Particles.resize(static_cast<size_t>(std::max(0, count)));
    for (Particle& p : m_Particles) {
        p.x = static_cast<float>(x + plat::Rand() % 5 - 2);
        p.y = static_cast<float>(y + plat::Rand() % 5 - 2);
        p.vx = static_cast<float>(plat::Rand() % 11 - 5) * 0.05f;
        p.vy = static_cast<float>(plat::Rand() % 11 - 5) * 0.05f;
        p.life = kParticleLife;
    }
    SetState(0, x, y, 0);
}

void CTrailSprite::SetState(int32_t state, int32_t tx, int32_t ty, int32_t spread) {
    m_State = state;
    for (Particle& p : m_Particles) {
        if (state == 0) {
            p.size = static_cast<float>(plat::Rand() % (m_SizeBase + 5) + m_SizeBase) * 0.1f + 0.3f;
        } else if (state == 3) {
            const int32_t half = std::max(1, spread / 2);
            p.life = plat::Rand() % half + half;
            const int32_t sx = plat::Rand() % 40 - 20;
            const int32_t sy = plat::Rand() % 40 - 20;
            p.vx = (static_cast<float>(tx + sx) - p.x) / static_cast<float>(p.life);
            p.vy = (static_cast<float>(ty + sy) - p.y) / static_cast<float>(p.life);
        } else {
            p.size = 0.1f;
        }
    }
}

int CTrailSprite::Age(float age) {
    bool any = false;
    for (Particle& p : m_Particles) {
        if (p.life <= 0) continue;
        p.x += p.vx;
        p.y += p.vy;
        --p.life;
        // Older trails fade faster; a burst keeps its size until it lands.
        if (m_State != 3) p.size -= 0.02f + age * 0.001f;
        if (p.size <= 0.0f) p.life = 0;
        if (p.life > 0) any = true;
    }
    return any ? 0 : 1;
}

void CTrailSprite::Draw2D(CSurface* surface, uint32_t colour) const {
    if (!surface) return;
    const size_t half = m_Particles.size() / 2;
    for (size_t i = 0; i < half; ++i) {
        const Particle& p = m_Particles[i];
        if (p.life <= 0) continue;
        const int32_t side = std::clamp(static_cast<int32_t>(p.size * 10.0f), 1, 2);
        surface->FillRectClipped(colour, static_cast<int32_t>(p.x), static_cast<int32_t>(p.y), side, side, nullptr);
    }
}

void CTrailSprite::Draw3D() const {
    if (!g_pRasterDevice) return;
    CMeshSprite& mesh = g_Effect3D.Mesh(0);
    for (const Particle& p : m_Particles) {
        if (p.life <= 0) continue;
        const int32_t side = std::max(2, static_cast<int32_t>(p.size * 8.0f));
        mesh.SetRect(static_cast<int32_t>(p.x) - side / 2, static_cast<int32_t>(p.y) - side / 2, side, side);
        mesh.SetColor(0xFFC8C8C8u);
        mesh.Render(g_pRasterDevice);
    }
}

void CTrailRenderer::Clear() {
    m_Points.clear();
    m_Points.shrink_to_fit();
    m_Count = 0;
}

void CTrailRenderer::Draw(plat::RasterDevice* device) {
    if (!m_Active || !device || m_Count == 0) return;
    CMeshSprite& mesh = g_Effect3D.Mesh(0);
    for (int32_t i = 0; i + 1 < static_cast<int32_t>(m_Points.size()) && i / 2 < m_Count; i += 2) {
        mesh.SetRect(static_cast<int32_t>(m_Points[size_t(i)]), static_cast<int32_t>(m_Points[size_t(i) + 1]), 2, 2);
        mesh.SetColor(0xFFC8C8C8u);
        mesh.Render(device);
    }
}
