#pragma once
// Animation players and animation handles. A CAnimRes binds a library
// entry holding an animation table and owns one CAnimPlayer per sequence;
// the table itself belongs to the library entry and stays loaded while any
// handle keeps the entry referenced.
#include <cstdint>
#include <memory>

#include "core/geometry.h"
#include "gfx/image_ref.h"

class CSurface;

// Plays one sequence tick by tick. Callers read and write the current frame
// index and the delay offset directly. A frame lasts its delay plus the
// delay offset, at least one tick.
class CAnimPlayer {
public:
    void Init(const CAnimSeq& seq);
    // Tick counter 0, loop range the whole sequence; at the last frame when
    // reverse, else at the first.
    void Start(bool reverse);

    // Every step returns the current frame after the step (null for a
    // sequence without frames, which never moves).
    // Forwards once, holding on the loop end.
    CAnimFrame* Step();
    // Forwards, from the loop end back to the loop start.
    CAnimFrame* StepLoop();
    // Backwards once, holding on the loop start.
    CAnimFrame* StepBack();
    // Backwards, from the loop start back to the loop end.
    CAnimFrame* StepLoopBack();

    // On the last tick of the loop end. A sequence without frames is always
    // at its end, so nothing waits on it forever.
    bool IsAtEnd() const;
    // On the last tick of the frame two before the loop end.
    bool IsNearEnd() const;
    // The current frame; frame 0 when a caller set an index outside the
    // sequence; null without frames.
    CAnimFrame* CurrentFrame() const;
    // Frame i wrapped into the sequence (i < 0 and i >= 2 x count give frame
    // 0, count .. 2 x count - 1 give i - count); null without frames.
    CAnimFrame* FrameAt(int32_t i) const;
    // The current frame's Draw / DrawRegion; 0 without frames.
    int Draw(CSurface* dst, int32_t x, int32_t y, int32_t mode, int32_t level, const CGameRect* clip) const;
    int DrawRegion(CSurface* dst, int32_t x, int32_t y, int32_t w, int32_t h, int32_t srcX, int32_t srcY, int32_t mode,
                   int32_t level, const CGameRect* clip) const;
    // Ticks the current frame lasts (delay + delay offset, at least 1).
    int32_t FrameDelay() const;

    CAnimFrame* m_pFrames = nullptr;
    int32_t m_CurFrame = 0;
    int32_t m_FrameCount = 0;
    int32_t m_Attribute = 0;
    int32_t m_Tick = 0;
    int32_t m_DelayOffset = 0;
    int32_t m_LoopStart = 0;
    int32_t m_LoopEnd = 0;

private:
    void WrapFrame();
};

constexpr uint32_t kNoAnimId = 0xFFFFFFFFu;

// A handle on one animation resource.
class CAnimRes {
public:
    CAnimRes() = default;
    virtual ~CAnimRes() { Release(); }
    CAnimRes(const CAnimRes&) = delete;
    CAnimRes& operator=(const CAnimRes&) = delete;

    // Keeps the id, references the entry, gets its animation table (parsed
    // on first use) and makes one player per sequence; sequence 0 current.
    // An earlier binding is released first. 1 when bound; 0 when the
    // library or a valid table is missing: the handle is then unbound (no
    // players, no reference) but keeps the id for Rebind.
    int Bind(uint32_t resId);
    // Deletes the players and drops the entry's reference (only while the
    // library is open); the id stays stored.
    void Release();
    // Bind with the stored id when one is stored and nothing is bound.
    int Rebind();
    void SetDelayOffset(int32_t n);
    // The player of the current sequence, or null when unbound or the index
    // lies outside the sequences.
    CAnimPlayer* CurrentPlayer() const;
    CAnimPlayer* Player(int32_t seq) const;
    bool IsBound() const { return m_SeqCount > 0; }

    uint32_t m_EntryValue = 0;
    uint32_t m_Id = kNoAnimId;
    CResLib* m_pLib = nullptr;
    int32_t m_CurSeq = 0;
    int32_t m_SeqCount = 0;
    std::unique_ptr<CAnimPlayer[]> m_pPlayers;
};

// The animation slots that start-up keeps and shutdown releases.
constexpr int kAnimSlotCount = 10;
extern CAnimRes g_AnimSlots[kAnimSlotCount];
void ReleaseAnimSlotArray();
