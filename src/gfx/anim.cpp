#include "gfx/anim.h"

#include "gfx/image.h"
#include "gfx/res_lib.h"
#include "platform/debug.h"

CAnimRes g_AnimSlots[kAnimSlotCount];

void ReleaseAnimSlotArray() {
    for (CAnimRes& a : g_AnimSlots) a.Release();
}

// ---- CAnimPlayer ----

void CAnimPlayer::Init(const CAnimSeq& seq) {
    m_pFrames = seq.m_pFrames.get();
    m_FrameCount = seq.m_FrameCount;
    m_Attribute = seq.m_Attribute;
    m_CurFrame = 0;
    m_Tick = 0;
    m_LoopStart = 0;
    m_LoopEnd = m_FrameCount < 1 ? 0 : m_FrameCount - 1;
}

void CAnimPlayer::Start(bool reverse) {
    m_Tick = 0;
    m_LoopStart = 0;
    m_LoopEnd = m_FrameCount < 1 ? 0 : m_FrameCount - 1;
    m_CurFrame = reverse ? m_LoopEnd : 0;
}

CAnimFrame* CAnimPlayer::CurrentFrame() const {
    if (m_FrameCount < 1 || !m_pFrames) return nullptr;
    // Callers write the index directly; one outside the sequence shows frame 0.
    if (m_CurFrame < 0 || m_CurFrame >= m_FrameCount) return &m_pFrames[0];
    return &m_pFrames[m_CurFrame];
}

CAnimFrame* CAnimPlayer::FrameAt(int32_t i) const {
    if (m_FrameCount < 1 || !m_pFrames) return nullptr;
    if (i >= 0 && i <= m_FrameCount - 1) return &m_pFrames[i];
    if (i >= m_FrameCount && i <= 2 * m_FrameCount - 1) return &m_pFrames[i - m_FrameCount];
    return &m_pFrames[0];
}

int32_t CAnimPlayer::FrameDelay() const {
    const CAnimFrame* f = CurrentFrame();
    const int32_t d = (f ? f->m_Delay : 0) + m_DelayOffset;
    return d < 1 ? 1 : d;
}

void CAnimPlayer::WrapFrame() {
    if (m_CurFrame < 0) m_CurFrame = m_FrameCount - 1;
    if (m_CurFrame > m_FrameCount - 1) m_CurFrame = 0;
}

bool CAnimPlayer::IsAtEnd() const {
    if (m_FrameCount < 1) return true;
    return m_CurFrame >= m_LoopEnd && m_Tick == FrameDelay() - 1;
}

bool CAnimPlayer::IsNearEnd() const {
    if (m_FrameCount < 1) return false;
    return m_CurFrame == m_LoopEnd - 2 && m_Tick == FrameDelay() - 1;
}

// A counter that passed the delay (the delay offset was lowered mid-frame)
// counts as having reached it, so no frame is held forever.
CAnimFrame* CAnimPlayer::Step() {
    if (m_FrameCount < 1) return nullptr;
    if (IsAtEnd()) return CurrentFrame();
    if (++m_Tick >= FrameDelay()) {
        m_Tick = 0;
        if (m_CurFrame != m_LoopEnd) {
            ++m_CurFrame;
            if (m_CurFrame > m_FrameCount - 1) m_CurFrame = 0;
        }
    }
    return CurrentFrame();
}

CAnimFrame* CAnimPlayer::StepLoop() {
    if (m_FrameCount < 1) return nullptr;
    if (++m_Tick >= FrameDelay()) {
        m_Tick = 0;
        m_CurFrame = m_CurFrame == m_LoopEnd ? m_LoopStart : m_CurFrame + 1;
        WrapFrame();
    }
    return CurrentFrame();
}

CAnimFrame* CAnimPlayer::StepBack() {
    if (m_FrameCount < 1) return nullptr;
    if (++m_Tick >= FrameDelay()) {
        m_Tick = 0;
        if (m_CurFrame != m_LoopStart) {
            --m_CurFrame;
            WrapFrame();
        }
    }
    return CurrentFrame();
}

CAnimFrame* CAnimPlayer::StepLoopBack() {
    if (m_FrameCount < 1) return nullptr;
    if (++m_Tick >= FrameDelay()) {
        m_Tick = 0;
        m_CurFrame = m_CurFrame == m_LoopStart ? m_LoopEnd : m_CurFrame - 1;
        WrapFrame();
    }
    return CurrentFrame();
}

int CAnimPlayer::Draw(CSurface* dst, int32_t x, int32_t y, int32_t mode, int32_t level, const CGameRect* clip) const {
    const CAnimFrame* f = CurrentFrame();
    return f ? f->Draw(dst, x, y, mode, level, clip) : 0;
}

int CAnimPlayer::DrawRegion(CSurface* dst, int32_t x, int32_t y, int32_t w, int32_t h, int32_t srcX, int32_t srcY,
                            int32_t mode, int32_t level, const CGameRect* clip) const {
    const CAnimFrame* f = CurrentFrame();
    return f ? f->DrawRegion(dst, x, y, w, h, srcX, srcY, mode, level, clip) : 0;
}

// ---- CAnimRes ----

int CAnimRes::Bind(uint32_t resId) {
    // Rebinding without a release would leak the players and keep the old
    // entry referenced for ever.
    Release();
    m_Id = resId;
    CResLib* lib = nullptr;
    g_ResList.SplitId(resId, &m_EntryValue, &lib);
    if (!lib || !lib->AddRef(m_EntryValue)) {
        plat::DebugPrintf("Animation %#x: no such library entry\n", resId);
        return 0;
    }
    AnimTable* table = lib->GetAnim(m_EntryValue);
    if (!table) {
        plat::DebugPrintf("Animation %#x: no animation table\n", resId);
        lib->ReleaseRef(m_EntryValue);
        return 0;
    }
    m_pLib = lib;
    m_CurSeq = 0;
    if (table->m_SeqCount > 0) {
        m_pPlayers.reset(new CAnimPlayer[table->m_SeqCount]);
        for (int32_t i = 0; i < table->m_SeqCount; ++i) m_pPlayers[i].Init(table->m_pSeqs[i]);
    }
    m_SeqCount = table->m_SeqCount > 0 ? table->m_SeqCount : 0;
    return 1;
}

void CAnimRes::Release() {
    m_pPlayers.reset();
    // A library that was closed or freed has no entry table to count in.
    if (m_pLib && g_ResList.Owns(m_pLib) && m_pLib->IsOpen()) m_pLib->ReleaseRef(m_EntryValue);
    m_pLib = nullptr;
    m_CurSeq = 0;
    m_SeqCount = 0;
}

int CAnimRes::Rebind() {
    if (m_Id != kNoAnimId && m_SeqCount < 1) return Bind(m_Id);
    return 0;
}

void CAnimRes::SetDelayOffset(int32_t n) {
    for (int32_t i = 0; i < m_SeqCount; ++i) m_pPlayers[i].m_DelayOffset = n;
}

CAnimPlayer* CAnimRes::Player(int32_t seq) const {
    if (!m_pPlayers || seq < 0 || seq >= m_SeqCount) return nullptr;
    return &m_pPlayers[seq];
}

CAnimPlayer* CAnimRes::CurrentPlayer() const { return Player(m_CurSeq); }
