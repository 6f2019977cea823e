#include "ui/jm_controls.h"

#include <algorithm>

#include "core/txt_table.h"
#include "gfx/image.h"
#include "ui/jm_mng.h"
#include "gfx/surface.h"
#include "gfx/pixel_format.h"
#include "platform/font.h"
#include "platform/input.h"
#include "platform/text.h"
#include "sound/sound_play.h"

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
    if (m_Value < 0) return 1;
    const int threshold = ColItem(2, 1);
    if (threshold != kJMNone) {
        if (m_Value < threshold && g_JMMng.TickCount() % 2 == 0) SetDrawMode(4, 34);
        else SetDrawMode(0, -1);
    }
    if (kind != 1 && kind != 2) return 1;
    CImage* img = m_pCurImage ? m_pCurImage->GetImage() : nullptr;
    if (!img) return 1;
    const int vertical = kind == 2;
    DrawBar(surface, m_X, m_Y, img, nullptr, m_Value, vertical);
    if (m_Increase >= 1) {
        const int top = std::min(100, m_Value + m_Increase);
        if (!vertical) {
            const int from = img->m_Width * std::min(m_Value, 100) / 100, to = img->m_Width * top / 100;
            if (to > from) img->Blt(surface, m_X + from, m_Y, to - from, img->m_Height, from, 0, 3, 8, nullptr);
        } else {
            const int from = img->m_Height - img->m_Height * top / 100;
            const int to = img->m_Height - img->m_Height * std::min(m_Value, 100) / 100;
            if (to > from) img->Blt(surface, m_X, m_Y + from, img->m_Width, to - from, 0, from, 3, 8, nullptr);
        }
    }
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
        const int sound = Col(17);
        if (sound != kJMNone && m_pParent && m_pParent->m_OnceShown) PlayEffect(sound, 0, 100, 0);
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
    case 8:
    case 9: return new CJMScrollBar;
    case 10: return new CJMList;
    case 11: return new CJMEdit;
    default: return new CJMControl;
    }
}

// ---------------------------------------------------------------- list

int CJMList::Init(int rowId) {
    CJM::Init(rowId);
    m_Kind = Col(2);
    SetPos(-1, -1);
    m_RowHeight = 0;
    m_Selected = -1;
    return 1;
}

void CJMList::Select(int index) {
    if (m_Items.empty()) return;
    m_Selected = std::clamp(index, 0, static_cast<int>(m_Items.size()) - 1);
    m_Changed = 1;
}

const CJMList::Item* CJMList::GetSelectedItem() const {
    if (m_Selected < 0 || m_Selected >= static_cast<int>(m_Items.size())) return nullptr;
    return &m_Items[static_cast<size_t>(m_Selected)];
}

int CJMList::GetSelectedValue() const {
    const Item* i = GetSelectedItem();
    return i ? i->value : -1;
}

CGamePoint CJMList::GetSelectedPos() const {
    return CGamePoint{m_X + m_Dx, m_Y + m_Dy + (m_Selected < 0 ? 0 : m_Selected) * m_RowHeight};
}

void CJMList::Update() {
    m_Changed = 0;
    CJM::Update();
}

int CJMList::OnLButtonUp(int, int px, int py) {
    const int h = m_RowHeight > 0 ? m_RowHeight : JMFont(m_FontIndex)->CellHeight() + 6;
    for (size_t i = 0; i < m_Items.size(); ++i) {
        const int top = m_Y + m_Dy + static_cast<int>(i) * h;
        if (px >= m_X + m_Dx && px < m_X + m_Dx + m_Width && py >= top && py <= top + h - 3) {
            Select(static_cast<int>(i));
            return 1;
        }
    }
    return 0;
}

int CJMList::Draw(CSurface* surface) {
    if (!IsShown()) return 0;
    if (m_RowHeight == 0) m_RowHeight = MeasureTextBlock(surface, "TT", CGameRect{}).height;
    if (m_RowHeight <= 0) return 1;
    const uint32_t sel = g_PixelFormat.Get() == kFormat565 ? 0x4A69u : 0x2529u;
    for (size_t i = 0; i < m_Items.size(); ++i) {
        const int rx = m_X + m_Dx, ry = m_Y + m_Dy + static_cast<int>(i) * m_RowHeight;
        if (ry >= m_Y + m_Height) break;
        if (static_cast<int>(i) == m_Selected) surface->DrawRect(sel, rx, ry, m_Width, m_RowHeight - 2, 1, nullptr);
        DrawColorText(surface, rx + 3, ry + 3, m_Items[i].text, 0);
    }
    return 1;
}

// ---------------------------------------------------------------- scroll bar

int CJMScrollBar::Init(int rowId) {
    CJM::Init(rowId);
    m_Kind = Col(2);
    SetPos(-1, -1);
    SetRange(0);
    return 1;
}

CImage* CJMScrollBar::Thumb() const {
    CAnimPlayer* p = m_Pic.Player(m_Pic.m_SeqCount > 1 ? 1 : 0);
    CAnimFrame* f = p ? p->CurrentFrame() : nullptr;
    return f ? f->GetImage() : nullptr;
}

void CJMScrollBar::SetValue(int pos) {
    if (m_Range < 1) {
        m_Pos = 0;
        return;
    }
    m_Pos = std::clamp(pos, 0, m_Range);
    m_ThumbX = m_X;
    m_ThumbY = m_Y;
    CImage* t = Thumb();
    if (m_Kind == 8) {
        const int free = m_Width - (t ? t->m_Width : 0);
        m_ThumbX += free * m_Pos / m_Range;
        m_Step = free / m_Range;
    } else {
        const int free = m_Height - (t ? t->m_Height : 0);
        m_ThumbY += free * m_Pos / m_Range;
        m_Step = free / m_Range;
    }
}

int CJMScrollBar::OnLButtonDown(int, int px, int py) {
    CImage* t = Thumb();
    const int tw = t ? t->m_Width : 0, th = t ? t->m_Height : 0;
    if (px >= m_ThumbX && px <= m_ThumbX + tw && py >= m_ThumbY && py <= m_ThumbY + th) {
        m_Dragging = 1;
        m_GrabX = m_ThumbX - px;
        m_GrabY = m_ThumbY - py;
    }
    return 1;
}

int CJMScrollBar::OnLButtonUp(int, int px, int py) {
    if (m_Dragging || m_Range < 1) return 1;
    const int page = std::max(1, m_Range / 10);
    const int along = m_Kind == 8 ? px - m_ThumbX : py - m_ThumbY;
    if (along >= 6) SetValue(m_Pos + page);
    else if (along <= -6) SetValue(m_Pos - page);
    return 1;
}

int CJMScrollBar::OnMouseMove(int, int px, int py) {
    if (!(plat::GetAsyncKeyState(plat::VK_LBUTTON) & 0x8000)) m_Dragging = 0;
    if (m_Dragging && m_Step != 0) {
        // Through SetValue: a drag past the track's end stops at its end.
        if (m_Kind == 8) SetValue(m_Pos + (px - (m_ThumbX - m_GrabX)) / m_Step);
        else SetValue(m_Pos + (py - (m_ThumbY - m_GrabY)) / m_Step);
    }
    return 1;
}

int CJMScrollBar::Draw(CSurface* surface) {
    if (m_Range < 1 || !IsShown()) return 0;
    if (CAnimPlayer* p = m_Pic.Player(0)) p->Draw(surface, m_X, m_Y, m_DrawMode, m_DrawLevel, nullptr);
    if (CImage* t = Thumb()) t->Blt(surface, m_ThumbX, m_ThumbY, t->m_Width, t->m_Height, 0, 0, 0, -1, nullptr);
    return 1;
}

// ---------------------------------------------------------------- edit box

int32_t ParseSaturatedInt(const std::string& text) {
    size_t i = 0;
    bool neg = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) neg = text[i++] == '-';
    if (i >= text.size()) return 0;
    int64_t v = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return 0;
        v = v * 10 + (text[i] - '0');
        if (v > 2147483648LL) v = 2147483648LL;
    }
    if (neg) return static_cast<int32_t>(-v);
    return static_cast<int32_t>(std::min<int64_t>(v, 2147483647LL));
}

CJMEdit::CJMEdit() { g_JMMng.AddKeyWindow(this); }

CJMEdit::~CJMEdit() {
    g_JMMng.RemoveKeyWindow(this);
    if (g_JMMng.m_pKeyFocus == this) g_JMMng.m_pKeyFocus = nullptr;
}

void CJMEdit::Release() {
    m_Open = 0;
    CJMControl::Release();
}

int CJMEdit::Init(int rowId) {
    CJM::Init(rowId);
    SetPos(-1, -1);
    return 1;
}

void CJMEdit::Show(int shown, int mode) {
    CJM::Show(shown, mode);
    if (!m_Shown) {
        m_Open = 0;
        m_PendingLead = -1;
        if (g_JMMng.m_pKeyFocus == this) g_JMMng.m_pKeyFocus = nullptr;
        return;
    }
    // A box that comes up gets a new, empty edit window; one shown already
    // (a form moving its key focus) keeps its text.
    if (!m_Open) {
        m_Text.clear();
        m_SelStart = m_SelEnd = 0;
        m_PendingLead = -1;
    }
    m_Open = 1;
    g_JMMng.m_pKeyFocus = this;
    SetWindowRect(m_X, m_Y, m_Width, m_Height);
}

void CJMEdit::SetWindowRect(int x, int y, int w, int h) {
    m_Area = w * h;
    const int avg = JMFont(m_FontIndex)->AverageCharWidth();
    m_Limit = 1;
    if (avg >= 1) m_Limit = std::max(1, w / avg);
    (void)x;
    (void)y;
}

void CJMEdit::SetCaption(const char* text) {
    if (!text) return;
    m_Caption = text;
    if (!m_Open) return;
    // A text past the limit keeps its whole characters that fit.
    std::string t;
    for (size_t i = 0; i < m_Caption.size();) {
        const size_t n = plat::IsGbkLead(static_cast<unsigned char>(m_Caption[i])) && i + 1 < m_Caption.size() ? 2 : 1;
        if (t.size() + n > static_cast<size_t>(m_Limit)) break;
        t.append(m_Caption, i, n);
        i += n;
    }
    m_Text = t;
    m_SelStart = m_SelEnd = static_cast<int32_t>(m_Text.size());
}

int CJMEdit::PrevBoundary(int pos) const {
    int last = 0;
    for (int i = 0; i < pos;) {
        last = i;
        i += plat::IsGbkLead(static_cast<unsigned char>(m_Text[static_cast<size_t>(i)])) && i + 1 < static_cast<int>(m_Text.size()) ? 2 : 1;
    }
    return last;
}

int CJMEdit::NextBoundary(int pos) const {
    if (pos >= static_cast<int>(m_Text.size())) return pos;
    return pos + (plat::IsGbkLead(static_cast<unsigned char>(m_Text[static_cast<size_t>(pos)])) &&
                          pos + 1 < static_cast<int>(m_Text.size())
                      ? 2
                      : 1);
}

void CJMEdit::EraseSelection() {
    const int a = std::min(m_SelStart, m_SelEnd), b = std::max(m_SelStart, m_SelEnd);
    m_Text.erase(static_cast<size_t>(a), static_cast<size_t>(b - a));
    m_SelStart = m_SelEnd = a;
}

void CJMEdit::Insert(const std::string& ch) {
    const int sel = std::abs(m_SelEnd - m_SelStart);
    if (static_cast<int>(m_Text.size()) - sel + static_cast<int>(ch.size()) > m_Limit) return;  // refused whole
    EraseSelection();
    m_Text.insert(static_cast<size_t>(m_SelStart), ch);
    m_SelStart = m_SelEnd = m_SelStart + static_cast<int>(ch.size());
}

int CJMEdit::OnWindowMessage(uint32_t msg, uint32_t wParam, uint32_t, intptr_t*) {
    if (!m_Open) return 0;
    if (msg == kJMWmChar) {
        const int b = static_cast<int>(wParam & 0xFF);
        if (m_PendingLead >= 0) {
            const int lead = m_PendingLead;
            m_PendingLead = -1;
            if (b >= 0x40 && b <= 0xFE && b != 0x7F) {
                Insert(std::string{static_cast<char>(lead), static_cast<char>(b)});
                return 1;
            }
        }
        if (plat::IsGbkLead(static_cast<unsigned char>(b))) {
            m_PendingLead = b;
            return 1;
        }
        if (b == 8) {
            if (m_SelStart != m_SelEnd) EraseSelection();
            else if (m_SelStart > 0) {
                const int p = PrevBoundary(m_SelStart);
                m_Text.erase(static_cast<size_t>(p), static_cast<size_t>(m_SelStart - p));
                m_SelStart = m_SelEnd = p;
            }
            return 1;
        }
        if (b < 0x20 || b >= 0x7F) return 0;
        Insert(std::string(1, static_cast<char>(b)));
        return 1;
    }
    if (msg != kJMWmKeyDown) return 0;
    const int end = static_cast<int>(m_Text.size());
    switch (wParam) {
    case 0x2E:  // Delete
        if (m_SelStart != m_SelEnd) EraseSelection();
        else if (m_SelStart < end) m_Text.erase(static_cast<size_t>(m_SelStart), static_cast<size_t>(NextBoundary(m_SelStart) - m_SelStart));
        return 1;
    case 0x25: m_SelStart = m_SelEnd = PrevBoundary(std::min(m_SelStart, m_SelEnd)); return 1;  // Left
    case 0x27: m_SelStart = m_SelEnd = NextBoundary(std::max(m_SelStart, m_SelEnd)); return 1;  // Right
    case 0x24: m_SelStart = m_SelEnd = 0; return 1;    // Home
    case 0x23: m_SelStart = m_SelEnd = end; return 1;  // End
    default: return 0;
    }
}

void CJMEdit::Update() {
    if (!IsShown()) return;
    if (CAnimPlayer* p = m_Pic.CurrentPlayer()) m_pCurImage = p->StepLoop();
    if (m_Open) m_Caption = m_Text;
}

int CJMEdit::Draw(CSurface* surface) {
    if (!IsShown()) return 0;
    const CGameRect r{m_X, m_Y, m_Width, m_Height};
    if (m_Dim) DrawDimBox(surface, r, 0);
    if (m_Frame) DrawDimBox(surface, CGameRect{r.x, r.y, r.width, r.height}, 1);
    DrawColorText(surface, m_X + 2, m_Y + 3, m_Caption, 0);
    const int before = std::clamp<int>(m_SelStart, 0, static_cast<int>(m_Caption.size()));
    const int cx = m_X + 2 + MeasureText(surface, std::string_view(m_Caption).substr(0, static_cast<size_t>(before))).cx;
    // Only the box that takes the keys shows where typing goes.
    if (m_pCurImage && g_JMMng.m_pKeyFocus == this) m_pCurImage->Draw(surface, cx, m_Y + 1, 0, -1, nullptr);
    return 1;
}
