#include "ui/jm_newgame.h"

#include "core/key_state.h"
#include "platform/debug.h"
#include "platform/input.h"
#include "ui/jm_controls.h"
#include "ui/jm_dialogs.h"
#include "ui/jm_mng.h"
#include "ui/jm_panels.h"

CJMNewGame* g_JMNewGame = nullptr;

namespace {

constexpr int kVkReturn = 0x0D;
constexpr int kRowStartMenu = 26;
constexpr int kEditName = 157, kEditMonth = 223, kEditDay = 224;
constexpr int kButtonStart = 160, kButtonBack = 161, kButtonNext = 179, kSelector = 159;
constexpr int kGameStateInGame = 3;

int OrZero(int v) { return v == kJMNone ? 0 : v; }

} // namespace

bool IsSafeSaveName(const std::string& name) {
    for (size_t i = 0; i < name.size(); ++i) {
        const auto b = static_cast<unsigned char>(name[i]);
        if (b >= 0x81 && b <= 0xFE && i + 1 < name.size()) {
            const auto t = static_cast<unsigned char>(name[i + 1]);
            if (t >= 0x40 && t <= 0xFE && t != 0x7F) {
                ++i;  // a whole double-byte character
                continue;
            }
        }
        if (b == '/' || b == '\\' || b == ':' || b == '?' || b < 0x20 || b == 0x7F) return false;
    }
    return true;
}

CJMNewGame::CJMNewGame() { g_JMNewGame = this; }

CJMNewGame::~CJMNewGame() {
    if (g_JMNewGame == this) g_JMNewGame = nullptr;
}

void CJMNewGame::Release() {
    m_Portraits.Release();
    m_PortraitIndex = -1;
    m_PortraitCount = 0;
    CJM::Release();
}

int CJMNewGame::Init(int rowId) {
    CJM::Init(rowId);
    for (int id : {kEditName, kEditMonth, kEditDay}) {
        if (auto* e = dynamic_cast<CJMEdit*>(AddChild(id))) e->SetBoxStyle(0, 0);
    }
    for (int id : {kButtonStart, kButtonBack, kButtonNext, kSelector}) AddChild(id);
    return 1;
}

CJMEdit* CJMNewGame::Edit(int id) const {
    for (CObjNode* n = m_Children.Head(); n; n = n->Next()) {
        auto* c = static_cast<CJM*>(n);
        if (c->m_RowId == id) return dynamic_cast<CJMEdit*>(c);
    }
    return nullptr;
}

void CJMNewGame::Show(int shown, int mode) {
    const bool change = (m_Shown != 0) != (shown != 0);
    CJM::Show(shown, mode);
    if (!change) return;
    if (shown) {
        // The edit boxes take text only while open.
        for (int id : {kEditMonth, kEditDay, kEditName})
            if (CJMEdit* e = Edit(id)) e->Show(1, -1);
        for (int id : {kEditMonth, kEditDay})
            if (CJMEdit* e = Edit(id)) e->SetCaption("1");
        m_ActiveEdit = -1;
        SetActiveEdit(kEditName);
        SetDifficulty(g_JMHooks.gameCompleted && g_JMHooks.gameCompleted() ? 3 : 1);
        return;
    }
    SetActiveEdit(-1);
    // Closed, so no key typed on another screen lands in the form.
    for (int id : {kEditMonth, kEditDay, kEditName})
        if (CJMEdit* e = Edit(id)) e->Show(0, 0);
    m_Portraits.Release();
    m_PortraitCount = 0;
}

void CJMNewGame::SetActiveEdit(int id) {
    if (id == m_ActiveEdit) return;
    if (CJMEdit* old = Edit(m_ActiveEdit))
        if (g_JMMng.m_pKeyFocus == old) g_JMMng.m_pKeyFocus = nullptr;
    m_ActiveEdit = id;
    if (id == -1) return;
    if (CJMEdit* e = Edit(id)) {
        e->Show(1, -1);
        g_JMMng.m_pKeyFocus = e;
    }
}

void CJMNewGame::SetDifficulty(int d) {
    m_Difficulty = d;
    for (CObjNode* n = m_Children.Head(); n; n = n->Next())
        if (static_cast<CJM*>(n)->m_RowId == kSelector) static_cast<CJM*>(n)->SetUserValue(d);
    m_DifficultyName = UiText(115 + d);
}

void CJMNewGame::StepDifficulty(int direction) {
    const int count = g_ProgressValue1 != 0 ? 4 : 3;
    int d = m_Difficulty + (direction < 0 ? -1 : 1);
    if (d < 0) d = count - 1;
    if (d >= count) d = 0;
    SetDifficulty(d);
}

void CJMNewGame::SetPortrait(int source, int index) {
    if (source == kJMNone || source < 0) return;
    if (!m_Portraits.IsBound() || m_Portraits.m_Id != static_cast<uint32_t>(source)) {
        m_Portraits.Release();
        m_Portraits.Bind(static_cast<uint32_t>(source));
        m_PortraitIndex = -1;
    }
    m_PortraitCount = m_Portraits.m_SeqCount;
    if (index >= 0 && index < m_PortraitCount && index != m_PortraitIndex) {
        if (CAnimPlayer* old = m_Portraits.Player(m_PortraitIndex)) old->Start(false);
        m_PortraitIndex = index;
    }
    if (CAnimPlayer* p = m_Portraits.Player(m_PortraitIndex)) p->Start(false);
    if (m_PortraitIndex < 0) return;
    // Portraits 2 and 4 have each other's default names.
    int i = m_PortraitIndex;
    if (i == 2) i = 4;
    else if (i == 4) i = 2;
    if (CJMEdit* e = Edit(kEditName)) e->SetCaption(UiText(378 + i).c_str());
}

void CJMNewGame::StartNewGame() {
    const auto refuse = [this](int textId) {
        plat::DebugPrintf("JM new game refused %d\n", textId);
        if (!g_JMPopup) return;
        plat::Point p{};
        plat::GetCursorPos(&p);
        g_JMPopup->Open(this, UiText(textId).c_str(), p.x, p.y);
    };
    CJMEdit* nameBox = Edit(kEditName);
    const std::string name = nameBox ? nameBox->Text() : "";
    if (name.empty()) return refuse(kTextNoName);
    // Refused before the name reaches any file name.
    if (!IsSafeSaveName(name)) return refuse(kTextBadName);
    if (g_JMHooks.saveExists && g_JMHooks.saveExists(name.c_str())) return refuse(kTextSaveExists);
    CJMEdit* monthBox = Edit(kEditMonth);
    CJMEdit* dayBox = Edit(kEditDay);
    const int month = ParseSaturatedInt(monthBox ? monthBox->Text() : "");
    const int day = ParseSaturatedInt(dayBox ? dayBox->Text() : "");
    if (!g_JMHooks.setMonthDay || !g_JMHooks.setMonthDay(month, day)) return refuse(kTextBadDate);
    if (name.find_first_of("*.") != std::string::npos) return refuse(kTextBadName);
    plat::DebugPrintf("JM new game difficulty %d\n", m_Difficulty);
    if (g_JMHooks.newGame) g_JMHooks.newGame(name.c_str(), m_Difficulty);
    if (g_JMHooks.requestState) g_JMHooks.requestState(kGameStateInGame);
}

int CJMNewGame::OnLButtonUp(int, int, int) {
    CJM* child = FindChildAt();
    if (!child) return 1;
    switch (child->m_RowId) {
    case kSelector: StepDifficulty(-1); break;
    case kButtonNext: StepDifficulty(1); break;
    case kButtonStart: StartNewGame(); break;
    case kButtonBack:
        if (CJM* menu = g_JMMng.GetJM(kRowStartMenu)) menu->Show(1, 0);
        Show(0, 0);
        break;
    case kEditName:
    case kEditMonth:
    case kEditDay: SetActiveEdit(child->m_RowId); break;
    default: break;
    }
    return 1;
}

void CJMNewGame::Update() {
    CJM::Update();
    if (CAnimPlayer* p = m_Portraits.Player(m_PortraitIndex)) p->Step();
    if (g_KeyState.IsNewPress(plat::VK_ESCAPE)) {
        g_KeyState.m_Held[plat::VK_ESCAPE] = 1;
        if (CJM* menu = g_JMMng.GetJM(kRowStartMenu)) menu->Show(1, 0);
        Show(0, 0);
    }
    if (g_KeyState.IsNewPress(kVkReturn)) g_KeyState.m_Held[kVkReturn] = 1;
}

int CJMNewGame::Draw(CSurface* surface) {
    if (!IsShown()) return 0;
    DrawPicture(surface);
    if (CAnimPlayer* p = m_Portraits.Player(m_PortraitIndex))
        p->Draw(surface, m_X + OrZero(ColItem(5, 2)), m_Y + OrZero(ColItem(6, 2)), 0, -1, nullptr);
    DrawChildren(surface);
    const int dx = OrZero(ColItem(5, 1)), dy = OrZero(ColItem(6, 1));
    if (CJM* e = Edit(kEditName)) DrawColorText(surface, e->m_X + dx, e->m_Y + dy, UiText(113), 0);
    if (CJM* e = Edit(kEditMonth)) {
        DrawColorText(surface, e->m_X + dx, e->m_Y + dy, UiText(334), 0);
        DrawColorText(surface, e->m_X + OrZero(e->Col(7)) + 2, e->m_Y + dy, UiText(335), 0);
    }
    if (CJM* e = Edit(kEditDay)) DrawColorText(surface, e->m_X + OrZero(e->Col(7)) + 2, e->m_Y + dy, UiText(336), 0);
    for (CObjNode* n = m_Children.Head(); n; n = n->Next()) {
        auto* s = static_cast<CJM*>(n);
        if (s->m_RowId != kSelector) continue;
        DrawColorText(surface, s->m_X + dx + 20, s->m_Y + dy, UiText(114), 0);
        DrawColorText(surface, s->m_X + OrZero(ColItem(5, 3)), s->m_Y + OrZero(ColItem(6, 3)), m_DifficultyName, 0);
    }
    return 1;
}
