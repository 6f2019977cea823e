#include "ui/jm_dialogs.h"

#include <algorithm>
#include <cstdio>

#include "core/key_state.h"
#include "core/strings.h"
#include "core/txt_table.h"
#include "gfx/surface.h"
#include "platform/input.h"
#include "platform/text.h"
#include "roles/tables/skill_table.h"
#include "ui/jm_controls.h"
#include "ui/jm_mng.h"
#include "world/objects/obj_desc.h"

CJMPopup* g_JMPopup = nullptr;
CJMNumberEntry* g_JMNumberEntry = nullptr;
CJMNotice* g_JMNotice = nullptr;
CJMMsgList* g_JMMsgList = nullptr;

std::string UiText(int id) {
    CTxtRow* row = g_TextTable.GetRow(id);
    const char* s = row ? row->GetString(1) : nullptr;
    return s && std::string(s) != " " ? s : "";
}

namespace {
constexpr int kRowLine = 42;
constexpr int kTagPlain = -1, kTagYes = 1, kTagNo = 0;

CJM* ChildUnderCursor(CJM* panel) { return panel->FindChildAt(); }
} // namespace

// ---------------------------------------------------------------- pop-up

void CJMPopup::SetChoices(int yesId, int noId, int r, int g, int b) {
    m_YesId = yesId;
    m_NoId = noId;
    m_PlainR = static_cast<uint32_t>(r);
    m_PlainG = static_cast<uint32_t>(g);
    m_PlainB = static_cast<uint32_t>(b);
}

void CJMPopup::Open(CJM* owner, const char* text, int x, int y, int, int) {
    m_pOwner = owner;
    Show(1, 0);
    m_AnchorX = x;
    m_AnchorY = y;
    ReleaseChildren();
    m_pUnder = nullptr;
    auto add = [this](const std::string& t, int tag) {
        auto* line = dynamic_cast<CJMControl*>(AddChild(kRowLine));
        if (!line) return;
        line->SetCaption(t.c_str());
        line->SetUserValue(tag);
        line->m_Shown = 1;
    };
    StringList pieces;
    SplitString(text ? text : "", '\n', pieces);
    for (const std::string& p : pieces)
        if (!p.empty()) add(p, kTagPlain);
    if (m_YesId != -1) add(UiText(m_YesId), kTagYes);
    if (m_NoId != -1) add(UiText(m_NoId), kTagNo);
    m_Width = -1;
}

void CJMPopup::Layout(CSurface* surface) {
    int left = m_AnchorX, right = m_AnchorX, top = m_AnchorY + 4, bottom = m_AnchorY + 4;
    int k = 0;
    for (CObjNode* n = m_Children.Tail(); n; n = n->Prev(), ++k) {
        auto* line = static_cast<CJMControl*>(n);
        const CGameRect b = MeasureTextBlock(surface, line->m_Caption, CGameRect{m_AnchorX, m_AnchorY, 0, 0});
        m_LineHeight = b.height;
        const int ly = m_AnchorY + 4 - k * m_LineHeight;
        line->m_X = b.x;
        line->m_Y = ly;
        line->m_Width = b.width;
        line->m_Height = m_LineHeight;
        left = std::min(left, b.x);
        right = std::max(right, b.x + b.width);
        top = std::min(top, ly);
        bottom = std::max(bottom, ly + m_LineHeight);
    }
    m_Box = CGameRect{left, top, right - left, bottom - top};
    // The frame lies 2 pixels outside the box on every side and stays on
    // screen with it.
    const int w = g_JMMng.ScreenWidth(), h = g_JMMng.ScreenHeight();
    const int nx = std::max(2, std::min(m_Box.x, w - m_Box.width - 2));
    const int ny = std::max(2, std::min(m_Box.y, h - m_Box.height - 2));
    const int dx = nx - m_Box.x, dy = ny - m_Box.y;
    m_Box.x = nx;
    m_Box.y = ny;
    m_AnchorX += dx;
    m_AnchorY += dy;
    for (CObjNode* n = m_Children.Head(); n; n = n->Next()) {
        static_cast<CJM*>(n)->m_X += dx;
        static_cast<CJM*>(n)->m_Y += dy;
    }
    m_X = m_Box.x;
    m_Y = m_Box.y;
    m_Width = m_Box.width;
    m_Height = m_Box.height;
}

int CJMPopup::Draw(CSurface* surface) {
    if (!IsShown()) return 0;
    if (m_Width <= 0) Layout(surface);
    DrawDimBox(surface, m_Box, 1);
    const uint32_t saved = m_TextColor;
    int k = 0;
    for (CObjNode* n = m_Children.Tail(); n; n = n->Prev(), ++k) {
        auto* line = static_cast<CJMControl*>(n);
        if (line->GetUserValue() == kTagPlain) SetTextColor(plat::Rgb(m_PlainR, m_PlainG, m_PlainB));
        else if (line == m_pUnder) SetTextColor(80, 255, 80);
        else SetTextColor(255, 255, 255);
        DrawColorText(surface, m_AnchorX, m_AnchorY + 4 - k * m_LineHeight, line->m_Caption, 1);
    }
    m_TextColor = saved;
    return 1;
}

void CJMPopup::Update() {
    m_pUnder = ChildUnderCursor(this);
    CJM::Update();
}

int CJMPopup::OnLButtonUp(int, int, int) {
    CJM* line = ChildUnderCursor(this);
    if (!line || line->GetUserValue() == kTagPlain) return 1;
    CJM* owner = m_pOwner;
    Show(0, 0);
    m_pOwner = nullptr;
    if (owner) {
        if (line->GetUserValue() == kTagYes) owner->OnConfirm();
        else owner->OnDecline();
    }
    return 1;
}

void CJMPopup::Show(int shown, int mode) {
    CJM::Show(shown, mode);
    if (shown) {
        g_JMMng.SetFocusPanel(this, 1);
    } else {
        ResetChoices();
        g_JMMng.SetFocusPanel(this, 0);
    }
}

// ---------------------------------------------------------------- number entry

int CJMNumberEntry::Init(int rowId) {
    CJM::Init(rowId);
    m_pEdit = dynamic_cast<CJMEdit*>(AddChild(153));
    if (m_pEdit) m_pEdit->SetBoxStyle(0, 0);
    AddChild(154);
    AddChild(155);
    return 1;
}

void CJMNumberEntry::Open(CJM* owner, const char* prompt, int value) {
    Show(1, 0);
    m_pOwner = owner;
    m_Prompt = prompt ? prompt : "";
    m_Value = value;
    char buf[16];
    std::snprintf(buf, sizeof buf, "%d", value);
    if (m_pEdit) m_pEdit->SetCaption(buf);
}

void CJMNumberEntry::OnConfirm() {
    m_Value = m_pEdit ? ParseSaturatedInt(m_pEdit->Text()) : 0;
    Show(0, 0);
    if (CJM* owner = m_pOwner) {
        m_pOwner = nullptr;
        owner->OnConfirm();
    }
}

int CJMNumberEntry::OnMouseMove(int, int, int) {
    m_pUnder = FindChildAt();
    return 1;
}

int CJMNumberEntry::OnLButtonUp(int, int, int) {
    m_pUnder = FindChildAt();
    if (!m_pUnder) return 1;
    if (m_pUnder->m_RowId == 154) OnConfirm();
    else if (m_pUnder->m_RowId == 155) Show(0, 0);
    return 1;
}

void CJMNumberEntry::Update() {
    if (g_KeyState.IsNewPress(plat::VK_ESCAPE)) {
        g_KeyState.m_Held[plat::VK_ESCAPE] = 1;
        Show(0, 0);
    } else if (g_KeyState.IsNewPress(plat::VK_RETURN)) {
        g_KeyState.m_Held[plat::VK_RETURN] = 1;
        OnConfirm();
    }
    CJM::Update();
}

void CJMNumberEntry::Show(int shown, int mode) {
    CJM::Show(shown, mode);
    if (m_pEdit) m_pEdit->Show(shown, -1);
    g_JMMng.SetFocusPanel(this, shown ? 1 : 0);
}

int CJMNumberEntry::OnWindowMessage(uint32_t msg, uint32_t wParam, uint32_t lParam, intptr_t* extra) {
    if (!IsShown() || !m_pEdit) return 0;
    return m_pEdit->OnWindowMessage(msg, wParam, lParam, extra);
}

int CJMNumberEntry::Draw(CSurface* surface) {
    if (!IsShown()) return 0;
    DrawPicture(surface);
    DrawChildren(surface);
    const int dx = ColItem(5, 1), dy = ColItem(6, 1);
    DrawColorText(surface, m_X + (dx == kJMNone ? 0 : dx), m_Y + (dy == kJMNone ? 0 : dy), m_Prompt, 0);
    return 1;
}

// ---------------------------------------------------------------- notices

CJMNotice::~CJMNotice() {
    if (g_JMNotice == this) g_JMNotice = nullptr;
}

int CJMNotice::Init(int rowId) {
    CJM::Init(rowId);
    SetTextColor(255, 255, 80);
    g_JMNotice = this;
    return 1;
}

void CJMNotice::Release() {
    CJM::Release();
    RemoveAll();
}

void CJMNotice::SplitAndAddMessage(const char* text, int force) {
    if (!text) return;
    if (!force && !m_Lines.empty() && plat::EqualsNoCase(m_Lines.front().text, text)) return;
    StringList pieces;
    SplitByString(text, "//", pieces);
    for (const std::string& p : pieces) {
        m_Lines.push_front({p, kLineTicks});
        // Posters may run every tick: the oldest goes first past the limit.
        if (m_Lines.size() > kMaxLines) m_Lines.pop_back();
    }
}

void CJMNotice::ShowVersusBanner(int on) {
    if (!on) {
        m_Banner.clear();
        return;
    }
    std::string opponent, player;
    if (!g_JMHooks.getVersusNames || !g_JMHooks.getVersusNames(&opponent, &player)) return;
    m_Banner = opponent + " VS " + player;
    m_BannerTicks = 0;
}

void CJMNotice::Update() {
    for (Line& l : m_Lines) --l.ticks;
    if (!m_Lines.empty() && m_Lines.back().ticks <= 0) m_Lines.pop_back();
    // The banner's life is counted in ticks: frames are not capped.
    if (!m_Banner.empty() && ++m_BannerTicks >= kBannerTicks) ShowVersusBanner(0);
    CJM::Update();
}

int CJMNotice::Draw(CSurface* surface) {
    if (!IsShown()) return 0;
    int lh = ColItem(8, 1);
    if (lh == kJMNone || lh <= 0) lh = 16;
    int i = 0;
    for (const Line& l : m_Lines) DrawColorText(surface, m_X, m_Y + m_Height - i++ * lh, l.text, 0);
    if (!m_Banner.empty()) {
        const int font = m_FontIndex;
        m_FontIndex = 2;
        DrawColorText(surface, m_Width / 2, m_Height / 5, m_Banner, 1);
        m_FontIndex = font;
    }
    return 1;
}

// ---------------------------------------------------------------- message list

CJMMsgList::~CJMMsgList() {
    if (g_JMMsgList == this) g_JMMsgList = nullptr;
}

void CJMMsgList::AddMessageLine(const char* text, int x, int y, int follow, uint16_t role, int kind) {
    m_Records.push_front({text ? text : "", x, y, follow, role, kind, 0});
    if (m_Records.size() > kMaxRecords) m_Records.pop_back();
}

void CJMMsgList::Update() {
    for (auto it = m_Records.begin(); it != m_Records.end();) {
        bool keep = false;
        if (it->follow) {
            int x = 0, y = 0;
            if (g_JMHooks.getRoleHeadPoint && g_JMHooks.getRoleHeadPoint(it->role, &x, &y)) {
                it->x = x;
                it->y = y + 4;
                keep = ++it->age < 224;
            }
        }
        it = keep ? it + 1 : m_Records.erase(it);
    }
    CJM::Update();
}

int CJMMsgList::Draw(CSurface* surface) {
    if (!CJM::Draw(surface)) return 0;
    for (const Record& r : m_Records)
        if (r.age >= 0) DrawColorText(surface, r.x, r.y, r.text, r.follow ? 0 : 1);
    return 1;
}

void CJMMsgList::Release() {
    CJM::Release();
    m_Records.clear();
}

void CJMMsgList::Show(int shown, int mode) {
    CJM::Show(shown, mode);
    if (!shown)
        m_Records.erase(std::remove_if(m_Records.begin(), m_Records.end(), [](const Record& r) { return r.follow == 0; }),
                        m_Records.end());
}

// ---------------------------------------------------------------- texts

void FormatTextRef(std::string* out, const uint8_t* record) {
    if (!out) return;
    const char* text = ResolveTextRef(record);
    *out = text ? text : "";
}

std::string GetRelationText(int kind) { return UiText(kind == 1 ? 110 : kind == 2 ? 111 : 112); }

void BuildSkillDescription(const CTxtRow* row, std::string* out, int withName) {
    if (!out) return;
    out->clear();
    if (!row) return;
    char buf[256];
    if (withName) {
        const CSkillDef* def = g_SkillTable.GetAt(row->GetInt(2));
        uint8_t field[kSkillTextFieldSize];
        if (def) def->TextField(field);
        std::string name;
        FormatTextRef(&name, def ? field : nullptr);
        *out += name + "\n";
        const int c20 = row->GetInt(20);
        if (c20 != kJMNone && c20 > 1) {
            std::snprintf(buf, sizeof buf, "%s %d\n", UiText(206).c_str(), c20);
            *out += buf;
        }
    }
    if (row->GetInt(5) > 0 && row->GetInt(5) != kJMNone) *out += GetRelationText(row->GetInt(5));
    const struct {
        int col, text, div, min;
    } parts[] = {{11, 1, 1, 1}, {12, 2, 1, 1}, {13, 72, 64, 64}};
    for (const auto& p : parts) {
        const int v = row->GetInt(p.col);
        if (v == kJMNone || v < p.min) continue;
        std::snprintf(buf, sizeof buf, "\n%s %d", UiText(p.text).c_str(), v / p.div);
        *out += buf;
    }
    const int c21 = row->GetInt(21);
    if (c21 != kJMNone && c21 > 2) {
        std::snprintf(buf, sizeof buf, "\n%s %d", UiText(207).c_str(), c21);
        *out += buf;
    }
}
