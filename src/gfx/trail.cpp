#include "gfx/trail.h"

#include "gfx/image.h"
#include "gfx/iso_seam.h"
#include "platform/debug.h"

CAfterimageTrail::CAfterimageTrail(int32_t startLevel, int32_t limit, int32_t levelStep, int32_t continuous)
    : m_StartLevel(startLevel), m_Limit(limit), m_LevelStep(levelStep), m_Continuous(continuous) {}

void CAfterimageTrail::RemoveOldest() {
    if (m_Oldest < 0) return;
    Slot& s = m_Slots[m_Oldest];
    const int32_t next = s.next;
    s = Slot{};
    m_Oldest = next;
    if (next >= 0) m_Slots[next].prev = -1;
    else m_Newest = -1;
    --m_Used;
}

void CAfterimageTrail::Append(const CGamePoint& pos, const CAnimFrame* frame) {
    if (m_Used >= kCapacity) RemoveOldest();
    int32_t i = 0;
    while (m_Slots[i].inUse) ++i;
    Slot& s = m_Slots[i];
    s.s = Sample{pos.x, pos.y, frame};
    s.inUse = true;
    s.prev = m_Newest;
    s.next = -1;
    if (m_Newest >= 0) m_Slots[m_Newest].next = i;
    else m_Oldest = i;
    m_Newest = i;
    ++m_Used;
}

void CAfterimageTrail::Push(const CGamePoint* mapPos, const CAnimFrame* frame) {
    if (!mapPos) {
        RemoveOldest();
        return;
    }
    if (m_Continuous) {
        if (m_Used >= kContinuousMax) RemoveOldest();
        Append(*mapPos, frame);
        return;
    }
    ++m_CallCount;
    if (m_CallCount % kSampleEvery != 0) return;
    if (m_Used >= m_Limit) RemoveOldest();
    Append(*mapPos, frame);
}

const CAfterimageTrail::Sample& CAfterimageTrail::At(int32_t i) const {
    int32_t at = m_Oldest;
    while (i-- > 0 && at >= 0) at = m_Slots[at].next;
    static const Sample kNone;
    return at >= 0 ? m_Slots[at].s : kNone;
}

int CAfterimageTrail::Draw(CSurface* dst, const CGameRect* clip) {
    if (m_Used < 2) return 0;
    const int32_t stride = m_Stride > 0 ? m_Stride : 1;
    int32_t level = m_StartLevel;
    int drawn = 0;
    // The newest sample is where the object itself is drawn: left out.
    int32_t at = m_Oldest;
    for (int32_t i = 0; i < m_Used - 1 && at >= 0; ++i, at = m_Slots[at].next) {
        if (i % stride != 0) continue;
        const Sample& s = m_Slots[at].s;
        if (s.frame) {
            const CImage* img = s.frame->GetImage();
            const int32_t mode = img && img->m_pAlpha ? kDrawAlphaFaded : kDrawBlend;
            const CGamePoint p = WorldToScreen(s.x, s.y);
            s.frame->Draw(dst, p.x, p.y, mode, level, clip);
        }
        level += m_LevelStep;
        ++drawn;
    }
    return drawn;
}

int CTrailAnim::EnableTrail(int32_t a, int32_t b, int32_t c, int32_t continuous) {
    if (m_pTrail) return 1;
    // The entry limit is a division by the step.
    if (c == 0) {
        plat::DebugPrintf("Afterimage trail refused: level step 0\n");
        return 0;
    }
    int64_t limit = (static_cast<int64_t>(b) - a) / c;
    if (limit < 0) limit = 0;
    if (limit > CAfterimageTrail::kCapacity) limit = CAfterimageTrail::kCapacity;
    m_pTrail = new CAfterimageTrail(a, static_cast<int32_t>(limit), c, continuous);
    return 1;
}

void CTrailAnim::DisableTrail() {
    delete m_pTrail;
    m_pTrail = nullptr;
}
