#include "world/sky/weather_fx.h"

#include <algorithm>

#include "core/directories.h"
#include "gfx/effect3d.h"
#include "gfx/pixel_format.h"
#include "gfx/surface.h"
#include "platform/random.h"
#include "platform/raster.h"

namespace {

constexpr int32_t kLevelBase[17] = {60, 63, 65, 70, 75, 80, 85, 90, 95, 100, 105, 110, 115, 120, 155, 160, 160};
constexpr int32_t kWindSize[8][2] = {{3, 3}, {3, 2}, {2, 3}, {2, 2}, {3, 1}, {2, 1}, {1, 2}, {1, 1}};
constexpr int32_t kFlakeSize[8][2] = {{1, 1}, {1, 2}, {2, 1}, {3, 1}, {2, 2}, {2, 3}, {3, 2}, {3, 3}};

int FxRnd() { return plat::Rand(); }

int32_t ViewW() { return GetViewRect()->width; }
int32_t ViewH() { return GetViewRect()->height; }

CGameRect ViewClip() {
    const ViewRect* v = GetViewRect();
    return CGameRect{v->x, v->y, v->width, v->height};
}

int32_t ClampLevel(int32_t level) { return std::clamp(level, 0, 16); }

// Writes one pixel of a small off-screen picture.
void PutPixel16(CSurface& s, uint8_t* base, int32_t x, int32_t y, uint16_t v) {
    auto* row = reinterpret_cast<uint16_t*>(base + static_cast<size_t>(y) * s.m_Pitch);
    row[x] = v;
}

// The additive 3D pass of an effect: true when it ran, false when the 2D
// path must draw instead (3D off or the scene did not begin).
template <class Fn>
bool Draw3D(CSurface* surface, Fn&& each) {
    if (!g_Effect3D.BeginScene(surface)) return false;
    if (g_pRasterDevice) g_pRasterDevice->SetRenderState(plat::D3DRENDERSTATE_ALPHABLENDENABLE, 1);
    each();
    if (g_pRasterDevice) g_pRasterDevice->SetRenderState(plat::D3DRENDERSTATE_ALPHABLENDENABLE, 0);
    g_Effect3D.EndScene();
    return true;
}

uint32_t Argb(int32_t r, int32_t g, int32_t b) {
    return 0xFF000000u | (static_cast<uint32_t>(r & 0xFF) << 16) | (static_cast<uint32_t>(g & 0xFF) << 8) |
           static_cast<uint32_t>(b & 0xFF);
}

void LayQuad(CMeshSprite& mesh, int32_t x, int32_t y, int32_t w, int32_t h, uint32_t argb) {
    mesh.SetRect(x, y, w, h);
    mesh.SetColor(argb);
    mesh.Render(g_pRasterDevice);
}

} // namespace

int32_t EffectLevelBase(int32_t level) { return kLevelBase[ClampLevel(level)]; }

// ------------------------------------------------------------------ base

CAmbientEffect::CAmbientEffect() = default;
CAmbientEffect::~CAmbientEffect() = default;

int CAmbientEffect::Create(int32_t level) {
    Release();
    SetLevel(level);
    return 1;
}

void CAmbientEffect::SetLevel(int32_t) {}

void CAmbientEffect::Release() { m_pImage.reset(); }

CEffectElem* CAmbientEffect::ElementAt(int32_t i) {
    return i >= 0 && i < m_Count ? &m_Elems[static_cast<size_t>(i)] : nullptr;
}

void CAmbientEffect::Draw(CSurface*, const CGameRect*) {}

void CAmbientEffect::Resize(int32_t count) {
    // Elements that stay keep their state (a picture rebuild after a mode
    // change keeps the particles and the rain's live count).
    m_Count = std::max(0, count);
    m_Elems.resize(static_cast<size_t>(m_Count));
}

void CAmbientEffect::SetDensity(int32_t percent) {
    const int32_t w = ViewW();
    int32_t base = w == 640 ? 100 : w == 800 ? 156 : 256;
    if (!m_FullDensity) base /= 4;
    Resize(base * percent / 100);
}

void CAmbientEffect::Scroll(int32_t dx, int32_t dy) {
    for (CEffectElem& e : m_Elems)
        if (e.life > 0) {
            e.x -= dx / 2;
            e.y -= dy / 2;
        }
}

// ------------------------------------------------------------------ wind

int CWindEffect::Create(int32_t level) {
    Release();
    m_pImage = std::make_unique<CSurface>(3, 3, 1);
    SetLevel(level);
    Resize(kElements);
    return 1;
}

void CWindEffect::SetLevel(int32_t level) {
    if (!m_pImage) return;
    uint8_t* p = m_pImage->Lock(nullptr);
    if (!p) return;
    const int32_t t = EffectLevelBase(level) / 2;
    for (int32_t y = 0; y < 3; ++y)
        for (int32_t x = 0; x < 3; ++x) {
            const int r = 30 + FxRnd() % 50 + t;
            const int g = 30 + FxRnd() % 50 + t;
            const int b = FxRnd() % 50;
            PutPixel16(*m_pImage, p, x, y, g_PixelFormat.FromRgb(r, g, b));
        }
    m_pImage->Unlock();
}

void CWindEffect::Step(CEffectElem& e) {
    if (e.life > 0) {
        e.x += e.dx;
        e.y += e.dy;
        --e.life;
        return;
    }
    const int32_t w = ViewW(), h = ViewH();
    if (w < 2 || h < 1) return;  // no view to place it in
    e.shape = FxRnd() % 9;
    if (e.shape < 8) {
        e.width = kWindSize[e.shape][0];
        e.height = kWindSize[e.shape][1];
    }
    e.srcX = e.srcY = 0;
    e.life = 500 + FxRnd() % 500;
    e.dx = 10 * (-(FxRnd() % (9 - e.shape)) - 4);
    e.dy = FxRnd() % 5 - 2;
    e.x = w / 2 + FxRnd() % (w / 2);
    e.y = FxRnd() % h;
}

void CWindEffect::Update() {
    for (CEffectElem& e : m_Elems) Step(e);
}

void CWindEffect::Draw(CSurface* surface, const CGameRect*) {
    const bool in3D = Draw3D(surface, [&] {
        CMeshSprite& mesh = g_Effect3D.Mesh(1);
        for (CEffectElem& e : m_Elems) {
            if (e.life <= 0) continue;
            if (e.x < 0 || e.y < 0) {
                e.life = 0;
                continue;
            }
            const int32_t c = std::min(250, 20 + e.shape * 25 / 9);
            LayQuad(mesh, e.x, e.y, e.width * 20, 1, Argb(c, c, c / 5));
        }
    });
    if (in3D || !m_pImage) return;
    const CGameRect clip = ViewClip();
    for (CEffectElem& e : m_Elems) {
        if (e.life <= 0) continue;
        if (!m_pImage->Blt(surface, e.x, e.y, e.width, e.height, e.srcX, e.srcY, 1, -1, &clip)) e.life = 0;
    }
}

// ------------------------------------------------------------------ rain

int32_t CRainEffect::s_SpawnCounter = 0;

CRainEffect::CRainEffect() = default;
CRainEffect::~CRainEffect() = default;

int CRainEffect::Create(int32_t level) {
    Release();
    for (auto& s : m_pStreaks) s = std::make_unique<CSurface>(2, 10, 1);
    Resize(kElements);
    SetLevel(level);
    return 1;
}

void CRainEffect::Release() {
    CAmbientEffect::Release();
    for (auto& s : m_pStreaks) s.reset();
}

void CRainEffect::SetLevel(int32_t level) {
    level = ClampLevel(level);
    m_Level = level;
    for (int32_t k = 0; k < 3; ++k) {
        CSurface* s = m_pStreaks[k].get();
        if (!s) continue;
        uint8_t* p = s->Lock(nullptr);
        if (!p) continue;
        for (int32_t r = 0; r < 10; ++r) {
            const int32_t t = kLevelBase[level] + 4 * k * r;
            const int32_t tint = t + 45 - 3 * level;
            const uint16_t v = m_Lightning ? g_PixelFormat.FromRgb(tint & 0xFF, t & 0xFF, t & 0xFF)
                                           : g_PixelFormat.FromRgb(t & 0xFF, t & 0xFF, tint & 0xFF);
            PutPixel16(*s, p, 0, r, v);
            PutPixel16(*s, p, 1, r, v);
        }
        s->Unlock();
    }
}

void CRainEffect::Reset(int32_t idle) {
    for (CEffectElem& e : m_Elems) e.life = 0;
    m_Live = 0;
    if (idle) {
        m_Rate = -1;
    } else {
        m_Active = 1;
        m_Rate = 18;
    }
}

void CRainEffect::StartRain(int32_t lightning) {
    m_Rate = 2;
    m_Lightning = lightning;
    m_Active = 1;
}

void CRainEffect::SpawnOne() {
    if (m_Live >= kElements) return;
    const int32_t w = ViewW(), h = ViewH();
    // The streaks start up to 150 pixels above the view: a lower view (or
    // none) has no room for them.
    if (w < 1 || h < 151) return;
    auto it = std::find_if(m_Elems.begin(), m_Elems.end(), [](const CEffectElem& e) { return e.life <= 0; });
    if (it == m_Elems.end()) return;
    CEffectElem& e = *it;
    e.life = 4 + FxRnd() % 5;
    e.x = FxRnd() % w;
    const int32_t y0 = FxRnd() % (h - 150);
    e.y = y0 - FxRnd() % 150;
    if (m_Rate < 20) {
        e.depth = 3 + FxRnd() % 7;
    } else {
        const int32_t a = FxRnd() % 10;
        e.depth = std::max(0, a - FxRnd() % 5);
    }
    e.shape = FxRnd() % 3;
    e.srcX = (e.depth < 3 || e.depth > 4) ? 1 : FxRnd() % 2;
    e.width = 2 - e.srcX;
    e.srcY = FxRnd() % (e.depth + 1);
    e.height = 10 - e.depth;
    e.dx = FxRnd() % 5 - 2;
    e.dy = FxRnd() % (10 - e.depth) + 10 + 2 * (10 - e.depth);
    ++m_Live;
    if (++s_SpawnCounter > 5) {
        s_SpawnCounter = 0;
        const int32_t sx = FxRnd() % w;
        const int32_t sy = FxRnd() % h;
        MakeRainSplash(sx, sy, m_Lightning);
    }
}

void CRainEffect::Update() {
    for (CEffectElem& e : m_Elems) {
        if (e.life <= 0) continue;
        e.x += e.dx;
        e.y += e.dy;
        if (--e.life == 0) --m_Live;
    }
    if (m_Rate >= 2) {
        const int32_t n = FxRnd() % m_Rate;
        for (int32_t i = 0; i < n; ++i) SpawnOne();
        if (!m_Active) {
            if (FxRnd() % 4 == 0) --m_Rate;
        } else if (m_Rate < 31) {
            if (FxRnd() % 4 == 0) ++m_Rate;
        }
    }
    // At or below 0: the count never goes negative, so "below 0" would keep
    // a finished rain from ever going idle.
    if (m_Rate < 2 && m_Live <= 0) m_Rate = -1;
}

void CRainEffect::Draw(CSurface* surface, const CGameRect*) {
    const bool in3D = Draw3D(surface, [&] {
        CMeshSprite& mesh = g_Effect3D.Mesh(1);
        for (const CEffectElem& e : m_Elems) {
            if (e.life <= 0) continue;
            const int32_t c = 20 + e.depth * 20 / 10;
            const uint32_t argb = m_Lightning ? Argb(std::min(3 * c, 250), 0, 0) : Argb(c, c, c);
            LayQuad(mesh, e.x, e.y, e.width, e.height * 8, argb);
        }
    });
    if (in3D) return;
    const CGameRect clip = ViewClip();
    for (const CEffectElem& e : m_Elems) {
        if (e.life <= 0) continue;
        CSurface* s = m_pStreaks[std::clamp(e.shape, 0, 2)].get();
        if (s) s->Blt(surface, e.x, e.y, e.width, e.height, e.srcX, e.srcY, 1, -1, &clip);
    }
}

// ---------------------------------------------------------------- flakes

int CFlakeEffect::Create(int32_t level) {
    Release();
    m_pImage = std::make_unique<CSurface>(3, 3, 1);
    SetLevel(level);
    SetDensity(200);
    m_ActiveCount = std::min(m_ActiveCount, m_Count);
    return 1;
}

void CFlakeEffect::SetLevel(int32_t) {
    if (!m_pImage) return;
    uint8_t* p = m_pImage->Lock(nullptr);
    if (!p) return;
    for (int32_t y = 0; y < 3; ++y)
        for (int32_t x = 0; x < 3; ++x) {
            const int r = 150 + FxRnd() % 50;
            const int g = 150 + FxRnd() % 50;
            const int b = 150 + FxRnd() % 50;
            PutPixel16(*m_pImage, p, x, y, g_PixelFormat.FromRgb(r, g, b));
        }
    PutPixel16(*m_pImage, p, 1, 1, g_PixelFormat.Get() == kFormat565 ? 0xFFFF : 0x7FFF);
    m_pImage->Unlock();
}

void CFlakeEffect::Step(CEffectElem& e, int32_t driftOn, int32_t& respawns, int32_t& allowed) {
    if (e.life > 0) {
        if (e.sway == 0) {
            e.sway = 5 + FxRnd() % 15;
            e.dx = -e.dx;
        } else {
            --e.sway;
            e.x += e.dx + (driftOn ? m_Drift : 0);
        }
        e.y += e.dy;
        --e.life;
        return;
    }
    if (allowed) {
        const int32_t w = ViewW(), h = ViewH();
        if (w >= 1 && h >= 1) {
            if (driftOn) {
                e.shape = FxRnd() % 9;
                if (e.shape > 6) e.shape -= 1 + FxRnd() % 2;
            } else {
                e.shape = FxRnd() % 4;
            }
            e.width = kFlakeSize[e.shape][0];
            e.height = kFlakeSize[e.shape][1];
            e.srcX = e.srcY = 0;
            e.grey = 100 + FxRnd() % 120;
            e.life = e.fullLife = 100 + FxRnd() % 100;
            e.dx = FxRnd() % 4;
            e.sway = 5 + FxRnd() % 15;
            if (FxRnd() % 2 == 0) e.sway = -e.sway;
            e.dy = FxRnd() % (e.shape / 2 + 1) + e.shape / 2;
            if (e.shape > 6) e.dy += FxRnd() % (e.shape + 1);
            if (e.dy < 1) e.dy = 1;
            e.x = FxRnd() % w;
            e.y = FxRnd() % h;
            if (m_Drift > 2) {
                if (FxRnd() % 2 == 0)
                    e.x /= 2;
                else
                    e.y /= 2;
            } else if (m_Drift < -2) {
                if (FxRnd() % 2 == 0)
                    e.x = w - e.x / 2;
                else
                    e.y /= 2;
            } else if (m_Drift > -2 && m_Drift < 2) {
                e.y /= 2;
            }
        }
    }
    if (++respawns >= 3) allowed = 0;
}

void CFlakeEffect::Update(int32_t countdown) {
    if (FxRnd() % 200 == 0) m_Trend = FxRnd() % 3;
    if (FxRnd() % 10 == 0) {
        if (m_Trend == 0)
            m_Drift = std::max(-8, m_Drift - 1);
        else if (m_Trend == 1)
            m_Drift += m_Drift > 0 ? -1 : m_Drift < 0 ? 1 : 0;
        else
            m_Drift = std::min(8, m_Drift + 1);
    }
    if (countdown < m_Count && m_ActiveCount > 10)
        --m_ActiveCount;
    else if (m_ActiveCount < m_Count)
        ++m_ActiveCount;
    const int32_t driftOn = m_FullDensity;
    int32_t respawns = 0, allowed = 1;
    const int32_t n = std::min(m_ActiveCount, m_Count);
    for (int32_t i = 0; i < n; ++i) Step(m_Elems[static_cast<size_t>(i)], driftOn, respawns, allowed);
}

void CFlakeEffect::Draw(CSurface* surface, const CGameRect* clip) {
    const int32_t n = std::min(m_ActiveCount, m_Count);
    const CGameRect box = clip ? *clip : ViewClip();
    // Flakes that left the clip rectangle die first, whichever path draws.
    for (int32_t i = 0; i < n; ++i) {
        CEffectElem& e = m_Elems[static_cast<size_t>(i)];
        if (e.life > 0 && !(e.x >= box.x && e.x <= box.x + box.width - 1 && e.y >= box.y &&
                            e.y <= box.y + box.height - 1))
            e.life = 0;
    }
    const bool in3D = Draw3D(surface, [&] {
        CMeshSprite& mesh = g_Effect3D.Mesh(2);
        for (int32_t i = 0; i < n; ++i) {
            const CEffectElem& e = m_Elems[static_cast<size_t>(i)];
            if (e.life <= 0) continue;
            const float b = static_cast<float>(e.shape + 2);
            const float r = e.fullLife > 0 ? static_cast<float>(e.life) / static_cast<float>(e.fullLife) : 1.0f;
            int32_t side = static_cast<int32_t>(b / 2.0f * r + b / 2.0f);
            if (side < 1) side = 1;
            LayQuad(mesh, e.x, e.y, side, side, Argb(e.grey, e.grey, e.grey));
        }
    });
    if (in3D || !m_pImage) return;
    const CGameRect view = ViewClip();
    for (int32_t i = 0; i < n; ++i) {
        const CEffectElem& e = m_Elems[static_cast<size_t>(i)];
        if (e.life > 0) m_pImage->Blt(surface, e.x, e.y, e.width, e.height, e.srcX, e.srcY, 1, -1, &view);
    }
}
