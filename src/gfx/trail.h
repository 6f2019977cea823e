#pragma once
// Afterimage trails: earlier frames of a fast-moving object drawn
// translucently where it stood, the oldest faintest.
#include <cstdint>

#include "core/geometry.h"
#include "gfx/anim.h"

class CSurface;

class CAfterimageTrail {
public:
    static constexpr int32_t kCapacity = 15;
    // A continuous trail keeps at most this many samples.
    static constexpr int32_t kContinuousMax = 6;
    // A sampled trail records every this-many-th push.
    static constexpr int32_t kSampleEvery = 5;

    CAfterimageTrail(int32_t startLevel, int32_t limit, int32_t levelStep, int32_t continuous);

    // Position null: drops the oldest sample (one per call). Else records
    // the position and frame: every call in continuous mode, every fifth
    // call in sampled mode; the oldest is dropped when the trail is full.
    void Push(const CGamePoint* mapPos, const CAnimFrame* frame);
    // Draws the samples but the newest, oldest first, at levels rising from
    // the start level by the level step; mode 5 for pictures with an alpha
    // plane, else 3. The number of afterimages visited.
    int Draw(CSurface* dst, const CGameRect* clip);

    int32_t Count() const { return m_Used; }
    struct Sample {
        int32_t x = 0;
        int32_t y = 0;
        const CAnimFrame* frame = nullptr;
    };
    // Sample i counted from the oldest (0 <= i < Count()).
    const Sample& At(int32_t i) const;

    int32_t m_StartLevel;
    int32_t m_Limit;
    int32_t m_LevelStep;
    int32_t m_CallCount = 0;
    int32_t m_Continuous;
    int32_t m_Stride = 1;

private:
    void RemoveOldest();
    void Append(const CGamePoint& pos, const CAnimFrame* frame);

    struct Slot {
        Sample s;
        bool inUse = false;
        int32_t prev = -1;
        int32_t next = -1;
    };
    Slot m_Slots[kCapacity];
    int32_t m_Oldest = -1;
    int32_t m_Newest = -1;
    int32_t m_Used = 0;
};

// An animation handle that can carry an afterimage trail. The trail points
// into the handle's animation table, so disable it before releasing or
// rebinding the animation.
class CTrailAnim : public CAnimRes {
public:
    CTrailAnim() = default;
    ~CTrailAnim() override { DisableTrail(); }

    // When there is no trail yet: a trail with start level a, level step c,
    // entry limit (b - a) / c. Step 0 is refused (0); else 1.
    int EnableTrail(int32_t a, int32_t b, int32_t c, int32_t continuous);
    void DisableTrail();

    CAfterimageTrail* m_pTrail = nullptr;
};
