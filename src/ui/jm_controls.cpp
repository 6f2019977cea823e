#include "ui/jm_controls.h"

#include <algorithm>

#include "core/txt_table.h"
#include "gfx/image.h"
#include "ui/jm_mng.h"

namespace {
// Caption of column 18: a row of "Text.txt".
void CaptionFromRow(CJMControl* c) {
    const int id = c->Col(18);
    if (id == kJMNone) return;
    if (CTxtRow* row = g_TextTable.GetRow(id)) c->SetCaption(row->GetString(1));
}
} // namespace

// ---------------------------------------------------------------- plain

int CJMControl::Init(int rowId) {
    CJM::Init(rowId);
    if (m_Pic.m_SeqCount > 0) SetPos(-1, -1);
    CaptionFromRow(this);
    return 1;
}

void CJMControl::Reset() { m_Value0 = m_Value = m_Increase = m_Value3 = -1; }

void CJMControl::SetPos(int x, int y) {
    if (m_Pic.m_SeqCount > 0) {
        const int seq = ColItem(3, 1);
        if (seq != kJMNone && seq >= 0 && seq < m_Pic.m_SeqCount && seq != m_Pic.m_CurSeq) {
            if (CAnimPlayer* p = m_Pic.CurrentPlayer()) p->Start(false);
            m_Pic.m_CurSeq = seq;
        }
        TakeCurrentImage();
    }
    CJM::SetPos(x, y);
}

void CJMControl::Update() {
    if (ColItem(2, 0) == 4) {
        if (CAnimPlayer* p = m_Pic.CurrentPlayer()) m_pCurImage = p->StepLoop();
    }
}

int CJMControl::Draw(CSurface* surface) {
    if (!IsShown()) return 0;
    const int kind = ColItem(2, 0);
    if (kind == 4 || kind == 7) DrawPicture(surface);
    return 1;
}

// ---------------------------------------------------------------- button

int CJMButton::Init(int rowId) {
    CJM::Init(rowId);
    if (CAnimPlayer* p = m_Pic.Player(0)) m_pCurImage = p->FrameAt(0);
    CaptionFromRow(this);
    SetPos(-1, -1);
    return 1;
}

void CJMButton::SwitchSeq(int seq) {
    if (seq < 0 || seq >= m_Pic.m_SeqCount) return;
    if (seq != m_Pic.m_CurSeq) {
        if (CAnimPlayer* p = m_Pic.CurrentPlayer()) p->Start(false);
        m_Pic.m_CurSeq = seq;
    }
    TakeCurrentImage();
}

void CJMButton::SetState(int pressed, int force) {
    if (pressed == m_Pressed && !force) {
        SetHighlight(0);
        return;
    }
    m_Pressed = pressed;
    if (pressed) {
        if (m_Pic.m_SeqCount >= 2) SwitchSeq(1);
    } else {
        SwitchSeq(0);
    }
    SetHighlight(0);
}

void CJMButton::SetHighlight(int on) {
    if (on) {
        if (m_Pic.m_SeqCount >= 3) SwitchSeq(2);
        if (!m_pHighlight) {
            m_pHighlight = std::make_unique<CAnimRes>();
            m_pHighlight->Bind(460);
        }
    } else if (m_pHighlight) {
        SwitchSeq(0);
        m_pHighlight.reset();
    }
}

void CJMButton::OnShow() {
    CJM::OnShow();
    if (CAnimPlayer* p = m_Pic.Player(0)) m_pCurImage = p->FrameAt(0);
    SetPos(-1, -1);
    SetState(0, 1);
}

void CJMButton::Update() {
    if (!m_pHighlight) return;
    if (CAnimPlayer* h = m_pHighlight->CurrentPlayer()) h->StepLoop();
    if (CAnimPlayer* p = m_Pic.CurrentPlayer()) m_pCurImage = p->StepLoop();
}

int CJMButton::Draw(CSurface* surface) {
    if (!IsShown()) return 0;
    DrawPicture(surface);
    if (!m_Caption.empty()) {
        const CGameRect block = MeasureTextBlock(surface, "TT", CGameRect{});
        const int dy = std::max(1, m_Height - block.height + 1);
        DrawColorText(surface, m_X + m_Width / 2 + m_Pressed, m_Y + dy + m_Pressed, m_Caption, 1);
    }
    return 1;
}

// ---------------------------------------------------------------- factory

CJM* CreateJMControl(int kind) {
    switch (kind) {
    case 3:
    case 6: return new CJMButton;
    default: return new CJMControl;
    }
}
