#pragma once
// Screen-space particles of the client weather: wind shapes (kind 9), rain
// streaks (kinds 1-3) and drifting flakes (kinds 4-5). Each effect keeps a
// fixed array of elements in screen pixels, steps them once per logic tick
// and draws them by blitting tiny off-screen pictures (2D) or, with the
// effect layer on, as tinted additive quads of effect mesh 1 (wind, rain) or
// 2 (flakes). The weather's light level (0..16) colours the 2D pictures.
#include <cstdint>
#include <memory>
#include <vector>

#include "core/geometry.h"

class CSurface;

// One particle. Not every effect uses every field: `shape` is the wind or
// flake shape and the streak's picture index; `depth` is the streak's; the
// sway timer, grey value and full life are the flake's.
struct CEffectElem {
    int32_t life = 0;
    int32_t shape = 0;
    int32_t x = 0;
    int32_t y = 0;
    int32_t srcX = 0;
    int32_t srcY = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t dx = 0;
    int32_t dy = 0;
    int32_t depth = 0;
    int32_t sway = 0;
    int32_t grey = 0;
    int32_t fullLife = 0;
};

// Light-level table shared by the wind and the rain: T[0..16].
int32_t EffectLevelBase(int32_t level);

class CAmbientEffect {
public:
    CAmbientEffect();
    virtual ~CAmbientEffect();
    CAmbientEffect(const CAmbientEffect&) = delete;
    CAmbientEffect& operator=(const CAmbientEffect&) = delete;

    virtual int Create(int32_t level);
    virtual void SetLevel(int32_t level);
    // Frees the pictures (before a display-mode change); the elements stay.
    virtual void Release();
    virtual void Update() {}
    CEffectElem* ElementAt(int32_t i);
    virtual void Draw(CSurface* surface, const CGameRect* clip);

    // Element count for a share of the view: base 100 at 640 pixels wide,
    // 156 at 800, else 256; a quarter of that without full density.
    void SetDensity(int32_t percent);
    // Particles lag behind a scrolling view: live ones move by minus half
    // the view's movement.
    void Scroll(int32_t dx, int32_t dy);

    int32_t Count() const { return m_Count; }

    int32_t m_Count = 0;
    std::vector<CEffectElem> m_Elems;
    int32_t m_ImageW = 3;
    int32_t m_ImageH = 3;
    std::unique_ptr<CSurface> m_pImage;
    int32_t m_FullDensity = 1;

protected:
    void Resize(int32_t count);
};

class CWindEffect : public CAmbientEffect {
public:
    static constexpr int32_t kElements = 80;
    int Create(int32_t level) override;
    void SetLevel(int32_t level) override;
    void Update() override;
    void Draw(CSurface* surface, const CGameRect* clip) override;

private:
    void Step(CEffectElem& e);
};

class CRainEffect : public CAmbientEffect {
public:
    static constexpr int32_t kElements = 250;
    CRainEffect();
    ~CRainEffect() override;

    int Create(int32_t level) override;
    // Colours the three streak pictures; levels outside 0..16 are clamped
    // (a flash passes 33).
    void SetLevel(int32_t level) override;
    void Release() override;
    void Update() override;
    void Draw(CSurface* surface, const CGameRect* clip) override;

    // All streaks dead; idle stops spawning (rate -1), else spawning at 18.
    void Reset(int32_t idle);
    void StartRain(int32_t lightning);
    void StopRain() { m_Active = 0; }
    void SetLightning(int32_t on) { m_Lightning = on; }
    // One streak in the first dead slot; nothing with 250 alive or a view
    // too low to place it.
    void SpawnOne();

    std::unique_ptr<CSurface> m_pStreaks[3];
    int32_t m_Active = 0;
    int32_t m_Rate = -1;
    int32_t m_Live = 0;
    int32_t m_Lightning = 0;
    int32_t m_Level = 0;

    // Spawns of all streak effects since the last splash (every sixth makes one).
    static int32_t s_SpawnCounter;
};

class CFlakeEffect : public CAmbientEffect {
public:
    int Create(int32_t level) override;
    void SetLevel(int32_t level) override;
    void Update() override {}
    void Draw(CSurface* surface, const CGameRect* clip) override;
    void Update(int32_t countdown);
    void SetActive(int32_t on) { m_ActiveCount = on ? m_Count : 0; }

    int32_t m_Trend = 1;  // 0 left, 1 calm, 2 right
    int32_t m_Drift = 0;  // -8..8
    int32_t m_ActiveCount = 0;

private:
    void Step(CEffectElem& e, int32_t driftOn, int32_t& respawns, int32_t& allowed);
};

// A rain splash at a view point (every sixth streak): on a cell of the
// current map a one-shot animation, 238 on water and 29 elsewhere, or 47 on
// a random sequence while the streaks carry lightning.
void MakeRainSplash(int32_t screenX, int32_t screenY, int32_t lightning);
