#include "client/gesture/trail.h"
#include "ui/jm_title.h"

#include <cstdio>

#include "core/key_state.h"
#include "gfx/image.h"
#include "gfx/surface.h"
#include "platform/input.h"
#include "sound/sound_play.h"
#include "ui/jm_mng.h"
#include "ui/jm_newgame.h"
#include "ui/jm_panels.h"

CJMStartMenu* g_JMStartMenu = nullptr;

namespace {

constexpr int kRowTitle = 25;
constexpr int kRowStartMenu = 26;
constexpr int kRowScroller = 28;
constexpr int kRowSaveList = 148;
constexpr int kRowNewGame = 156;
constexpr int kRowSlideShow = 166;
constexpr int kRowSettings = 170;
constexpr int kGameStateInGame = 3;
constexpr int kGameStateShutdown = 4;

bool IsHoverButton(const CJM* c) { return c && c->ColItem(2, 0) == 3; }

// Switches a picture to a sequence; restarts it when asked or when it
// changes.
void SetSeq(CJM* c, int seq, bool restart) {
    if (!c || seq < 0 || seq >= c->m_Pic.m_SeqCount) return;
    if (seq != c->m_Pic.m_CurSeq) {
        c->m_Pic.m_CurSeq = seq;
        restart = true;
    }
    if (restart)
        if (CAnimPlayer* p = c->m_Pic.CurrentPlayer()) p->Start(false);
    c->TakeCurrentImage();
}

CJM* ChildById(CJM* panel, int id) {
    for (CObjNode* n = panel->m_Children.Head(); n; n = n->Next())
        if (static_cast<CJM*>(n)->m_RowId == id) return static_cast<CJM*>(n);
    return nullptr;
}

void ShowPanel(int id, int shown) {
    if (CJM* p = g_JMMng.GetJM(id)) p->Show(shown, 0);
}

// A newly pressed Escape, marked held so no other panel takes it too.
bool TakeEscape() {
    if (!g_KeyState.IsNewPress(plat::VK_ESCAPE)) return false;
    g_KeyState.m_Held[plat::VK_ESCAPE] = 1;
    return true;
}

int PictureHeight(const CJM* c) {
    const CImage* img = c->m_pCurImage ? c->m_pCurImage->GetImage() : nullptr;
    return img ? img->m_Height : 0;
}

} // namespace

// ---------------------------------------------------------------- title menu

int CJMTitleMenu::Init(int rowId) {
    CJM::Init(rowId);
    AddChild(167);
    for (int id = 31; id <= 35; ++id) AddChild(id);
    return 1;
}

int CJMTitleMenu::Draw(CSurface* surface) {
    if (!IsShown()) return 0;
    DrawPicture(surface);
    DrawChildren(surface);
    char text[48];
    const double version = g_JMHooks.gameVersion ? g_JMHooks.gameVersion() : 0.0;
    std::snprintf(text, sizeof text, "v %.2f", version);
    DrawColorText(surface, m_Width - 20, 2, text, 1);
    return 1;
}

void CJMTitleMenu::Show(int shown, int mode) {
    const bool change = (m_Shown != 0) != (shown != 0);
    if (change && shown) m_PendingChoice = -1;
    CJM::Show(shown, mode);
    if (!change) return;
    if (shown) {
        PlayEffect(kSoundTitleLoop, 1, 100, 0);
        if (CJM* extra = ChildById(this, 167)) extra->Show(g_ProgressValue3 == 126 ? 1 : 0, 0);
        return;
    }
    if (IsHoverButton(m_pHovered)) SetSeq(m_pHovered, 0, false);
    m_pHovered = nullptr;
    StopEffect(kSoundTitleLoop);
    g_TrailRenderer.Clear();
}

int CJMTitleMenu::OnMouseMove(int, int, int) {
    if (m_PendingChoice != -1) {
        m_pHovered = nullptr;
        return 1;
    }
    CJM* now = FindChildAt();
    if (IsHoverButton(m_pHovered) && m_pHovered != now) SetSeq(m_pHovered, 0, false);
    m_pHovered = now;
    if (IsHoverButton(now) && now->m_Pic.m_CurSeq != 1) {
        SetSeq(now, 1, true);
        PlayEffect(kSoundTitleHover, 0, 100, 0);
    }
    return 1;
}

int CJMTitleMenu::OnLButtonUp(int, int, int) {
    if (IsHoverButton(m_pHovered)) Choose(m_pHovered->m_RowId);
    return 1;
}

void CJMTitleMenu::Choose(int id) {
    if (m_PendingChoice != -1) return;
    m_PendingChoice = id;
    for (int b = 31; b <= 35; ++b) SetSeq(ChildById(this, b), 0, false);
    m_PendingChoice = -1;
    switch (id) {
    case 31: ShowPanel(kRowStartMenu, 1); break;
    case 32: ShowPanel(kRowSettings, 1); break;
    case 33:
        // The menu stays up while the program closes down.
        if (g_JMHooks.requestState) g_JMHooks.requestState(kGameStateShutdown);
        return;
    case 34: ShowPanel(kRowSaveList, 1); break;
    case 35: ShowPanel(kRowScroller, 1); break;
    case 167: ShowPanel(kRowSlideShow, 1); break;
    default: break;
    }
    Show(0, 0);
}

// ---------------------------------------------------------------- class choice

CJMStartMenu::CJMStartMenu() { g_JMStartMenu = this; }

CJMStartMenu::~CJMStartMenu() {
    if (g_JMStartMenu == this) g_JMStartMenu = nullptr;
}

int CJMStartMenu::Init(int rowId) {
    CJM::Init(rowId);
    for (int id : {225, 226, 36, 37, 168}) AddChild(id);
    return 1;
}

void CJMStartMenu::Show(int shown, int mode) {
    const bool change = (m_Shown != 0) != (shown != 0);
    CJM::Show(shown, mode);
    if (change && shown)
        if (CJM* hidden = ChildById(this, 226)) hidden->Show(g_ProgressValue2 == 126 ? 1 : 0, 0);
}

void CJMStartMenu::Update() {
    CJM* under = m_Hovered || g_JMMng.m_pHover == this ? FindChildAt() : nullptr;
    for (CObjNode* n = m_Children.Head(); n; n = n->Next()) {
        CJM* c = static_cast<CJM*>(n);
        CAnimPlayer* p = c->m_Pic.CurrentPlayer();
        if (!p) continue;
        c->m_pCurImage = c == under ? p->Step() : p->StepBack();
    }
    CJM::Update();
    if (TakeEscape()) {
        Show(0, 0);
        ShowPanel(kRowTitle, 1);
    }
}

int CJMStartMenu::Draw(CSurface* surface) {
    if (!IsShown()) return 0;
    DrawPicture(surface);
    DrawChildren(surface);
    return 1;
}

int CJMStartMenu::OnLButtonUp(int, int, int) {
    CJM* child = FindChildAt();
    if (!child) return 1;
    m_ChosenClass = child->Col(19);
    PlayEffect(kSoundClassChosen, 0, 100, 0);
    // The form is shown first: its name box takes the default name only
    // while it is open.
    if (auto* form = dynamic_cast<CJMNewGame*>(g_JMMng.GetJM(kRowNewGame))) {
        form->Show(1, 0);
        form->SetPortrait(child->ColItem(3, 0), child->ColItem(3, 1));
    }
    Show(0, 0);
    return 1;
}

// ---------------------------------------------------------------- scroller

void CJMScroller::Show(int shown, int mode) {
    const bool change = (m_Shown != 0) != (shown != 0);
    CJM::Show(shown, mode);
    if (change && shown) m_Offset = 480;
}

void CJMScroller::Update() {
    --m_Offset;
    if (-m_Offset > PictureHeight(this)) m_Offset = 480;
    CJM::Update();
    if (TakeEscape()) {
        Show(0, 0);
        const int state = g_JMHooks.gameState ? g_JMHooks.gameState() : 0;
        if (state != kGameStateInGame) ShowPanel(kRowTitle, 1);
    }
}

int CJMScroller::Draw(CSurface* surface) {
    if (!IsShown()) return 0;
    if (surface) surface->FillAll(0);
    if (surface && m_pCurImage) m_pCurImage->Draw(surface, m_X, m_Y + m_Offset, m_DrawMode, m_DrawLevel, nullptr);
    DrawChildren(surface);
    return 1;
}

// ---------------------------------------------------------------- slide show

void CJMSlideShow::Show(int shown, int mode) {
    const bool change = (m_Shown != 0) != (shown != 0);
    CJM::Show(shown, mode);
    if (change && shown) {
        m_Index = 0;
        SetSeq(this, 0, true);
    }
}

void CJMSlideShow::Go(int index) {
    if (index < 0 || index >= m_Pic.m_SeqCount) {
        Show(0, 0);
        ShowPanel(kRowTitle, 1);
        return;
    }
    m_Index = index;
    SetSeq(this, index, true);
}

void CJMSlideShow::Update() {
    CJM::Update();
    if (TakeEscape()) {
        Show(0, 0);
        ShowPanel(kRowTitle, 1);
        return;
    }
    CAnimPlayer* p = m_Pic.CurrentPlayer();
    if (!p) {
        // A picture that did not load has nothing to show: back to the menu.
        Go(-1);
        return;
    }
    if (p->IsAtEnd()) Go(m_Index + 1);
    else m_pCurImage = p->Step();
}

int CJMSlideShow::OnLButtonUp(int, int, int) {
    Go(m_Index + 1);
    return 1;
}

int CJMSlideShow::OnRButtonUp(int, int, int) {
    Go(m_Index - 1);
    return 1;
}

int CJMSlideShow::Draw(CSurface* surface) {
    if (!IsShown()) return 0;
    if (surface) surface->FillAll(0);
    DrawPicture(surface);
    DrawChildren(surface);
    return 1;
}
