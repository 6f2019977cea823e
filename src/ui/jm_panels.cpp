#include "ui/jm_panels.h"

#include "core/key_state.h"
#include "platform/input.h"
#include "ui/jm_mng.h"

CJMTitleMenu* g_JMTitleMenu = nullptr;

int CJMPanel::Draw(CSurface* surface) {
    if (!IsShown()) return 0;
    DrawPicture(surface);
    DrawChildren(surface);
    return 1;
}

void CJMPlaceholderDialog::Update() {
    CJMPanel::Update();
    // Marked held, so the manager does not open the system menu again on
    // the same press.
    if (!g_KeyState.IsNewPress(plat::VK_ESCAPE)) return;
    g_KeyState.m_Held[plat::VK_ESCAPE] = 1;
    Close();
}

void CJMPlaceholderDialog::Show(int shown, int mode) {
    CJMPanel::Show(shown, mode);
    g_JMMng.SetFocusPanel(this, m_Shown);
}

int CJMPlaceholderDialog::OnRButtonUp(int, int, int) {
    Close();
    return 1;
}

void CJMPlaceholderDialog::Close() {
    if (!m_Shown) return;
    Show(0, 0);
    AfterClose();
}

void CJMSaveList::AfterClose() {
    if (CJM* title = g_JMMng.GetJM(25)) title->Show(1, 0);
}

namespace {
template <class T>
JMPanelSpec Make(int rowId) {
    return {rowId, [] { return static_cast<CJM*>(new T); }};
}
} // namespace

const std::vector<JMPanelSpec>& JMDefaultPanels() {
    static const std::vector<JMPanelSpec> list = {
        Make<CJMComboCounter>(0),
        Make<CJMNearbyBars>(2),
        Make<CJMMiniMap>(1),
        Make<CJMInputLine>(18),
        Make<CJMAccessory>(91),
        Make<CJMShop>(86),
        Make<CJMStorage>(180),
        Make<CJMExchange>(61),
        Make<CJMEquip>(62),
        Make<CJMItemGrid>(20),
        Make<CJMAttribSheet>(92),
        Make<CJMCharPage>(125),
        Make<CJMTravelMap>(103),
        Make<CJMHud>(3),
        Make<CJMTitleMenu>(25),
        Make<CJMSaveList>(148),
        Make<CJMNumberEntry>(152),
        Make<CJMNewGame>(156),
        Make<CJMStartMenu>(26),
        Make<CJMLoading>(27),
        Make<CJMChoice>(41),
        Make<CJMTalk>(40),
        Make<CJMSkillList>(44),
        Make<CJMPrompt>(60),
        Make<CJMTimer>(57),
        Make<CJMBlank>(58),
        Make<CJMEnding>(219),
        Make<CJMPopup>(85),
        Make<CJMNotice>(19),
        Make<CJMMsgList>(24),
        Make<CJMSettings>(170),
        Make<CJMSystemMenu>(45),
        Make<CJMQuest>(99),
        Make<CJMScroller>(28),
        Make<CJMSlideShow>(166),
    };
    return list;
}

const std::vector<int>& JMRequiredControlRows() {
    // The pop-up's line and the number entry's edit box and buttons; the
    // title menu's buttons, the class choice's portraits, the new-game
    // form's boxes and buttons, and the settings window's sliders and
    // buttons.
    static const std::vector<int> rows = {42,  153, 154, 155, 167, 31,  32,  33,  34,  35,  225, 226, 36,  37,  168,
                                          157, 223, 224, 160, 161, 179, 159, 171, 172, 173, 174, 175, 176, 177, 178};
    return rows;
}
