#include "ui/jm.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "core/txt_table.h"
#include "gfx/image.h"
#include "gfx/res_lib.h"
#include "gfx/surface.h"
#include "gfx/pixel_format.h"
#include "platform/debug.h"
#include "platform/font.h"
#include "platform/input.h"
#include "ui/jm_controls.h"
#include "ui/jm_mng.h"

const JMColorCode kJMColorCodes[6] = {
    {"$G", 80, 255, 80}, {"$Y", 255, 255, 80}, {"$B", 120, 120, 255},
    {"$R", 255, 50, 50}, {"$W", 255, 255, 255}, {"$H", 106, 106, 110},
};

uint32_t ApplyColorCode(std::string& line, uint32_t defaultColor) {
    for (const JMColorCode& c : kJMColorCodes) {
        size_t at = line.find(c.code);
        if (at == std::string::npos) continue;
        while (at != std::string::npos) {
            line.erase(at, 2);
            at = line.find(c.code, at);
        }
        return plat::Rgb(c.r, c.g, c.b);
    }
    return defaultColor;
}

namespace {

// Lines split at '\n'; runs of breaks count as one, empty lines dropped.
std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> out;
    size_t i = 0;
    while (i <= text.size()) {
        size_t j = text.find('\n', i);
        if (j == std::string_view::npos) j = text.size();
        if (j > i) out.emplace_back(text.substr(i, j - i));
        i = j + 1;
    }
    return out;
}

// The surface's drawing context with the panel's font selected; released
// at the end of the scope.
class PanelDC {
public:
    PanelDC(CSurface* s, int fontIndex) : s_(s), dc_(s ? s->GetDC() : nullptr) {
        if (dc_) {
            dc_->SelectFont(JMFont(fontIndex));
            dc_->SetBkMode(plat::TRANSPARENT);
        }
    }
    ~PanelDC() {
        if (dc_) s_->ReleaseDC(dc_);
    }
    plat::DrawContext* operator->() { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    CSurface* s_;
    plat::DrawContext* dc_;
};

plat::Font& FontOf(int index) { return *JMFont(index); }

} // namespace

CJM::CJM() = default;

CJM::~CJM() {
    Release();
    g_JMMng.Unregister(this);
}

int CJM::Col(int col) const { return m_pRow ? m_pRow->GetInt(col) : kJMNone; }
int CJM::ColItem(int col, int i) const {
    if (!m_pRow) return kJMNone;
    // The first item as the row's integer: an empty cell reads 65535 there.
    return i == 0 ? m_pRow->GetInt(col) : m_pRow->GetIntItem(col, i);
}

void CJM::SetId(int rowId) {
    m_RowId = rowId;
    g_JMMng.Register(rowId, this);
}

int CJM::IsShown() {
    if (m_Pinned) return 1;
    if (m_Shown) {
        m_OnceShown = 1;
        return 1;
    }
    return 0;
}

void CJM::SetLinkedJM(int a, int b, int c) {
    if (a == m_RowId) {
        m_Linked[0] = b;
        m_Linked[1] = c;
    } else if (b == m_RowId) {
        m_Linked[0] = a;
        m_Linked[1] = c;
    } else {
        m_Linked[0] = a;
        m_Linked[1] = b;
    }
}

void CJM::SetDrawMode(int mode, int level) {
    if (mode == -1) {
        m_DrawMode = Col(9);
        m_DrawLevel = Col(10);
        if (m_DrawMode == kJMNone) m_DrawMode = 0;
        if (m_DrawLevel == kJMNone) m_DrawLevel = -1;
        return;
    }
    m_DrawMode = mode;
    m_DrawLevel = level;
}

CGameRect CJM::GetHitRect() const {
    CGameRect r{m_X, m_Y, m_Width, m_Height};
    const int h = Col(8);
    // A missing height reads 65535, which is not negative as a 32-bit value.
    if (h != kJMNone && h < 0) r.y += -h;
    return r;
}

CJM* CJM::AddChild(int rowId) {
    CJM* child = CreateJMControl(g_JMMdl.GetRow(rowId) ? g_JMMdl.GetRow(rowId)->GetInt(2) : 0);
    child->m_pParent = this;
    child->Init(rowId);
    m_Children.AddTail(child);
    return child;
}

CJM* CJM::FindChildAt() {
    plat::Point p{};
    plat::GetCursorPos(&p);
    for (CObjNode* n = m_Children.Head(); n; n = n->Next()) {
        CJM* c = static_cast<CJM*>(n);
        if (c->IsShown() && p.x >= c->m_X && p.x <= c->m_X + c->m_Width - 1 && p.y >= c->m_Y &&
            p.y <= c->m_Y + c->m_Height - 1)
            return c;
    }
    return nullptr;
}

void CJM::DrawChildren(CSurface* surface) {
    for (CObjNode* n = m_Children.Head(); n; n = n->Next()) static_cast<CJM*>(n)->Draw(surface);
}

void CJM::UpdateChildren() {
    for (CObjNode* n = m_Children.Head(); n; n = n->Next()) static_cast<CJM*>(n)->Update();
}

void CJM::ReleaseChildren() {
    for (CObjNode* n = m_Children.Head(); n; n = n->Next()) static_cast<CJM*>(n)->Release();
    m_Children.RemoveAll();
}

void CJM::Release() {
    m_Pic.Release();
    m_pCurImage = nullptr;
    ReleaseChildren();
}

void CJM::TakeCurrentImage() {
    CAnimPlayer* p = m_Pic.CurrentPlayer();
    m_pCurImage = p ? p->CurrentFrame() : nullptr;
}

int CJM::Init(int rowId) {
    SetId(rowId);
    m_pRow = g_JMMdl.GetRow(rowId);
    const int pic = ColItem(3, 0);
    if (pic != kJMNone) {
        m_Pic.Bind(static_cast<uint32_t>(pic));
        CAnimPlayer* p = m_Pic.CurrentPlayer();
        m_pCurImage = p ? p->FrameAt(0) : nullptr;
    }
    SetPos(-1, -1);
    SetDrawMode(-1, 0);
    m_FontIndex = Col(14);
    m_Centred = Col(15) == 1;
    AfterInit();
    m_Shown = Col(12) == 1;
    if (m_pRow && m_pRow->GetItemCount(13) >= 2) m_AutoHide = ColItem(13, 1) == 1;
    return 1;
}

int CJM::ReceiveMsg(int msg, int a, int b) {
    if (msg == 0) {
        const int pic = ColItem(3, 0);
        if (pic != kJMNone && static_cast<uint32_t>(pic) != m_Pic.m_Id) {
            m_Pic.Release();
            m_Pic.Bind(static_cast<uint32_t>(pic));
            TakeCurrentImage();
        }
        SetPos(-1, -1);
    }
    for (CObjNode* n = m_Children.Head(); n; n = n->Next()) static_cast<CJM*>(n)->ReceiveMsg(msg, a, b);
    return 1;
}

void CJM::SetPos(int x, int y) {
    if (x != -1 || y != -1) {
        m_X = x;
        m_Y = y;
    } else if (m_pParent) {
        m_X = m_pParent->m_X + Col(5);
        m_Y = m_pParent->m_Y + Col(6);
    } else {
        const int w = g_JMMng.ScreenWidth(), h = g_JMMng.ScreenHeight();
        m_Width = w;
        m_Height = h;
        const int c5 = Col(5), c6 = Col(6), c7 = Col(7), c8 = Col(8);
        switch (Col(4)) {
        case 0: m_X = c5; m_Y = c6; break;
        case 1: m_X = w - c5; m_Y = c6; break;
        case 2: m_X = c5; m_Y = h - c6; break;
        case 3: m_X = w - c5; m_Y = h - c6; break;
        case 5:
            m_X = (w - c7) / 2 + (c5 != kJMNone ? c5 : 0);
            m_Y = (h - c8) / 2 + (c6 != kJMNone ? c6 : 0);
            break;
        case 6: m_X = (w - c7) / 2; m_Y = c6; break;
        default: break;
        }
    }
    CImage* img = m_pCurImage ? m_pCurImage->GetImage() : nullptr;
    const int c7 = Col(7), c8 = Col(8);
    if (c7 != kJMNone) m_Width = c7;
    else if (m_Pic.m_SeqCount > 0 && img) m_Width = img->m_Width;
    if (c8 != kJMNone && c8 >= 1) m_Height = c8;
    else if (m_Pic.m_SeqCount > 0 && img) m_Height = img->m_Height;
    for (CObjNode* n = m_Children.Head(); n; n = n->Next()) static_cast<CJM*>(n)->SetPos(-1, -1);
}

void CJM::Show(int shown, int mode) {
    if ((m_Shown != 0) == (shown != 0)) return;
    m_Shown = shown ? 1 : 0;
    if (mode == -1) mode = Col(11);
    m_ShowMode = mode;
    m_Pinned = mode != 0 ? 1 : 0;
    if (m_RowId >= 0 && !m_pParent) plat::DebugPrintf(shown ? "JM show %d\n" : "JM hide %d\n", m_RowId);
    if (m_Shown) {
        OnShow();
        plat::Point p{};
        plat::GetCursorPos(&p);
        OnMouseMove(1, p.x, p.y);
    } else {
        m_Linked[0] = m_Linked[1] = -1;
        OnHide();
    }
}

void CJM::Update() {
    m_Hovered = g_JMMng.m_pHover == this;
    if (!m_Hovered) m_pHoverChild = nullptr;
    if (g_JMMng.m_ClickTaken == 0 && m_AutoHide == 1) Show(0, 0);
    if (m_Pinned && m_ShowMode >= 0 && m_ShowMode <= 3) m_Pinned = 0;
    UpdateChildren();
    for (int32_t& id : m_Linked) {
        if (id == -1) continue;
        CJM* other = g_JMMng.GetJM(id);
        if (other && !other->IsShown()) {
            id = -1;
            Show(0, 0);
        }
    }
}

int CJM::Draw(CSurface*) { return IsShown(); }

void CJM::OnShow() {
    m_Pic.Rebind();
    if (m_Pic.m_SeqCount > 0) {
        auto switchTo = [this](int seq) {
            if (seq < 0 || seq >= m_Pic.m_SeqCount || seq == m_Pic.m_CurSeq) return;
            if (CAnimPlayer* old = m_Pic.CurrentPlayer()) old->Start(false);
            m_Pic.m_CurSeq = seq;
            if (CAnimPlayer* p = m_Pic.CurrentPlayer()) p->Start(false);
        };
        if (Col(2) != 0) {
            int start = ColItem(3, 1);
            if (start == kJMNone) start = 0;
            switchTo(start);
        }
        if (m_SavedSeq > 0) switchTo(m_SavedSeq);
        TakeCurrentImage();
    }
    for (CObjNode* n = m_Children.Head(); n; n = n->Next()) static_cast<CJM*>(n)->OnShow();
    SetPos(-1, -1);
}

void CJM::OnHide() {
    for (CObjNode* n = m_Children.Head(); n; n = n->Next()) static_cast<CJM*>(n)->OnHide();
    if (m_Pic.m_SeqCount > 0) {
        m_SavedSeq = m_Pic.m_CurSeq;
        m_Pic.Release();
        m_pCurImage = nullptr;
    }
    if (Col(2) == 0) {
        for (int lib : {0, 6})
            if (CResLib* l = g_ResList.GetLib(lib)) l->RemoveAllNoUse();
    }
}

void CJM::DrawPicture(CSurface* surface) {
    if (!surface || !m_pCurImage) return;
    m_pCurImage->Draw(surface, m_X, m_Y, m_DrawMode, m_DrawLevel, nullptr);
}

// ---------------------------------------------------------------- text

plat::TextSize CJM::MeasureText(CSurface* surface, std::string_view text) {
    PanelDC dc(surface, m_FontIndex);
    if (!dc) return {};
    return dc->GetTextExtent(text);
}

void CJM::DrawColorText(CSurface* surface, int x, int y, std::string_view text, int centre) {
    const std::vector<std::string> lines = SplitLines(text);
    if (lines.empty()) return;
    PanelDC dc(surface, m_FontIndex);
    if (!dc) return;
    const bool centred = m_Centred || centre;
    for (std::string line : lines) {
        const uint32_t colour = ApplyColorCode(line, m_TextColor);
        // Measured as given (codes included), as the layout always was.
        const plat::TextSize ext = dc->GetTextExtent(line);
        dc->SetTextColor(colour);
        dc->TextOut(centred ? x - ext.cx / 2 : x, y, line);
        y += centred ? -(ext.cy + 2) : ext.cy + 2;
    }
}

int CJM::DrawTextBox(CSurface* surface, const CGameRect& rect, std::string_view text) {
    PanelDC dc(surface, m_FontIndex);
    if (!dc) return 0;
    plat::Font& font = FontOf(m_FontIndex);
    dc->SetTextColor(m_TextColor);
    int top = rect.y;
    int used = 0;
    size_t i = 0;
    for (;;) {
        size_t j = text.find("//", i);
        const bool last = j == std::string_view::npos;
        if (last) j = text.size();
        std::string_view para = text.substr(i, j - i);
        if (para.empty()) para = "  ";
        const std::vector<std::string> lines = plat::WrapTextGbk(font, para, rect.width);
        const int h = font.CellHeight();
        int k = 0;
        for (const std::string& line : lines) {
            const int ly = top + k * h;
            // Lines wholly below the rectangle are clipped away.
            if (ly < rect.y + rect.height) dc->TextOut(rect.x, ly, line);
            ++k;
        }
        top += k * h;
        used += k * h;
        if (last) break;
        i = j + 2;
    }
    return used;
}

CGameRect CJM::MeasureTextBlock(CSurface* surface, std::string_view text, const CGameRect& rect) {
    PanelDC dc(surface, m_FontIndex);
    int widest = 0, height = 0;
    if (dc) {
        for (const std::string& line : SplitLines(text)) {
            const plat::TextSize ext = dc->GetTextExtent(line);
            widest = std::max(widest, static_cast<int>(ext.cx));
            height += ext.cy + 2;
        }
    }
    return CGameRect{rect.x - 2 - widest / 2, rect.y - height - 2, widest + 4, height + 4};
}

CSurface* CJM::RenderTextSurface(CSurface* surface, std::string_view text, const CGameRect& rect, int* heightOut) {
    if (heightOut) *heightOut = 0;
    PanelDC probe(surface, m_FontIndex);
    if (!probe || text.empty()) return nullptr;
    plat::Font& font = FontOf(m_FontIndex);
    const int h = font.CellHeight();
    if (h <= 0) return nullptr;
    // Every line of every paragraph, wrapped as DrawTextBox wraps them at
    // x = 2; the surface is as high as the lines really need.
    const int width = std::max(1, static_cast<int>(rect.width));
    const int wrapWidth = std::max(1, width - 2);
    std::vector<std::string> lines;
    size_t i = 0;
    for (;;) {
        size_t j = text.find("//", i);
        const bool last = j == std::string_view::npos;
        if (last) j = text.size();
        std::string_view para = text.substr(i, j - i);
        if (para.empty()) para = "  ";
        for (std::string& l : plat::WrapTextGbk(font, para, wrapWidth)) lines.push_back(std::move(l));
        if (last) break;
        i = j + 2;
    }
    const int n = std::max<int>(1, static_cast<int>(lines.size()));
    auto* out = new CSurface(width, (h + 6) * n, 1);
    const uint32_t key = g_PixelFormat.ColorKey();
    out->SetColorKey(key);
    out->FillAll(key);
    if (plat::DrawContext* dc = out->GetDC()) {
        dc->SelectFont(&font);
        dc->SetBkMode(plat::TRANSPARENT);
        dc->SetTextColor(m_TextColor);
        for (size_t k = 0; k < lines.size(); ++k) dc->TextOut(2, static_cast<int32_t>(k) * (h + 6), lines[k]);
        out->ReleaseDC(dc);
    }
    if (heightOut) *heightOut = static_cast<int>(lines.size()) * (h + 6);
    return out;
}

// ---------------------------------------------------------------- pictures

void CJM::DrawBar(CSurface* surface, int x, int y, CImage* full, CImage* empty, int percent, int vertical) {
    if (!surface) return;
    percent = std::min(percent, 100);
    if (percent < 0) percent = 0;
    int f = 0;
    if (full) {
        if (!vertical) {
            f = full->m_Width * percent / 100;
            if (f > 0) full->Blt(surface, x, y, f, full->m_Height, 0, 0, m_DrawMode, m_DrawLevel, nullptr);
        } else {
            f = full->m_Height * percent / 100;
            if (f > 0)
                full->Blt(surface, x, y + full->m_Height - f, full->m_Width, f, 0, full->m_Height - f, m_DrawMode,
                          m_DrawLevel, nullptr);
        }
    }
    if (empty) {
        const int c = vertical ? (full ? full->m_Width : 0) : f;
        if (empty->m_Width - c > 0)
            empty->Blt(surface, x + c, y, empty->m_Width - c, empty->m_Height, c, 0, m_DrawMode, m_DrawLevel, nullptr);
    }
}

void CJM::DrawDimBox(CSurface* surface, const CGameRect& rect, int withFrame) {
    if (!surface) return;
    surface->DimRect(rect.x, rect.y, rect.width, rect.height, 8);
    if (!withFrame || g_JMFrameAnim.m_SeqCount < 1) return;
    const CGameRect clip{rect.x - 2, rect.y - 2, rect.width + 4, rect.height + 4};
    const int xs[4] = {rect.x, rect.x, rect.x - 2, rect.x + rect.width};
    const int ys[4] = {rect.y, rect.y + rect.height, rect.y, rect.y};
    for (int i = 0; i < 4; ++i) {
        CAnimPlayer* p = g_JMFrameAnim.Player(i < g_JMFrameAnim.m_SeqCount ? i : 0);
        if (p) p->Draw(surface, xs[i], ys[i], 0, -1, &clip);
    }
}

void CJM::DrawTip(CSurface* surface, std::string_view text, int x, int y, int withBox) {
    if (text.empty()) return;
    if (x == -10000 && y == -10000) {
        x = m_X + m_Width / 2;
        y = m_Y - 20;
    }
    CGameRect b = MeasureTextBlock(surface, text, CGameRect{x, y, 0, 0});
    const int w = g_JMMng.ScreenWidth(), h = g_JMMng.ScreenHeight();
    if (b.x + b.width > 0 && b.y + b.height > 0 && b.x < w && b.y < h) {
        int dx = 0, dy = 0;
        if (b.x < 0) dx = -b.x;
        else if (b.x + b.width > w) dx = w - (b.x + b.width);
        if (b.y < 0) dy = -b.y;
        else if (b.y + b.height > h) dy = h - (b.y + b.height);
        b.x += dx;
        b.y += dy;
        x += dx;
        y += dy;
    }
    if (withBox) DrawDimBox(surface, b, 0);
    DrawColorText(surface, x, y, text, 1);
}
