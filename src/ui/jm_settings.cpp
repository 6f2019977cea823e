#include "ui/jm_settings.h"

#include <algorithm>
#include <string>

#include "core/directories.h"
#include "core/frame_globals.h"
#include "core/ini_file.h"
#include "core/key_state.h"
#include "core/log.h"
#include "gfx/display_helpers.h"
#include "gfx/surface.h"
#include "platform/debug.h"
#include "platform/fs.h"
#include "platform/input.h"
#include "platform/msgbox.h"
#include "sound/sound_play.h"
#include "ui/jm_controls.h"
#include "ui/jm_dialogs.h"
#include "ui/jm_mng.h"

int32_t g_ProgressValue1 = 0;
int32_t g_ProgressValue2 = 0;
int32_t g_ProgressValue3 = 0;
plat::GammaRamp g_SavedGammaRamp;
CJMSettingsHooks g_JMSettingsHooks;
CJMSettings* g_JMSettings = nullptr;

namespace {
constexpr int kRowEffect = 171, kRowMusic = 172, kRowBright = 173;
constexpr int kRow640 = 174, kRow800 = 175, kRowZoomOn = 176, kRowZoomOff = 177, kRowClose = 178;
constexpr int kRowTitle = 25;
constexpr const char* kKey = "?";
// Label texts, drawn at the items 1-9 of columns 5 and 6.
constexpr int kLabels[9] = {150, 151, 152, 144, 145, 146, 147, 148, 149};

std::string SettingsPath() { return std::string(GetProgramDirectory()) + "set.ini"; }

void LogSettingsProblem(const std::string& text) {
    WriteLog(kLogFile, (text + "\n").c_str());
    plat::OutputDebugString(text + "\n");
}

int GameState() { return g_JMHooks.gameState ? g_JMHooks.gameState() : 0; }
int InGameMode() {
    return g_JMSettingsHooks.getInGameDisplayMode ? g_JMSettingsHooks.getInGameDisplayMode() : 0;
}
int ZoomSwitch() { return g_JMSettingsHooks.getZoomSwitch ? g_JMSettingsHooks.getZoomSwitch() : 0; }
} // namespace

int SettingsDisplayMode(int mode) { return mode == 4 || mode == 5 || mode == 6 ? mode : 4; }

CJMSettings::CJMSettings() { g_JMSettings = this; }

CJMSettings::~CJMSettings() {
    if (g_JMSettings == this) g_JMSettings = nullptr;
}

static CJM* ChildOf(CJM* const (&children)[CJMSettings::kChildCount], int rowId) {
    const int i = rowId - CJMSettings::kFirstChild;
    return i >= 0 && i < CJMSettings::kChildCount ? children[i] : nullptr;
}

CJMScrollBar* CJMSettings::Slider(int rowId) const { return dynamic_cast<CJMScrollBar*>(ChildOf(m_pChild, rowId)); }
CJMButton* CJMSettings::Button(int rowId) const { return dynamic_cast<CJMButton*>(ChildOf(m_pChild, rowId)); }

int CJMSettings::SliderValue(int rowId) const {
    const CJMScrollBar* s = Slider(rowId);
    return s ? s->m_Pos : 0;
}

int CJMSettings::SetSlider(int rowId, int value) {
    CJMScrollBar* s = Slider(rowId);
    if (!s) return std::clamp(value, 0, 100);
    s->SetValue(value);
    return s->m_Pos;
}

int CJMSettings::Init(int rowId) {
    CJM::Init(rowId);
    for (int i = 0; i < kChildCount; ++i) m_pChild[i] = AddChild(kFirstChild + i);
    for (int row : {kRowEffect, kRowMusic, kRowBright})
        if (CJMScrollBar* s = Slider(row)) s->SetRange(100);
    LoadSettings();
    if (plat::DDGammaControl* g = CSurface::s_pGammaControl) {
        if (g->GetGammaRamp(0, &g_SavedGammaRamp) == plat::DD_OK) ApplyGamma();
    } else {
        plat::SetIdentityRamp(g_SavedGammaRamp);
    }
    m_Loaded = 1;
    return 1;
}

void CJMSettings::Release() {
    // Written once, at the release during shutdown, while the sliders exist.
    if (m_Loaded && !SaveSettings()) {
        const std::string text = "The settings were not saved: " + plat::ProgramDirNative() +
                                 "set.ini cannot be written (a read-only folder or a full disk?).";
        LogSettingsProblem(text);
        plat::MessageBox(text, "vantrel", plat::MB_OK);
    }
    m_Loaded = 0;
    m_pTarget = nullptr;
    for (CJM*& c : m_pChild) c = nullptr;
    CJM::Release();
}

void CJMSettings::LoadSettings() {
    CIniFile f;
    if (!f.OpenFileRead(SettingsPath().c_str())) {
        // No file is the first start; anything else there is not one.
        if (plat::PathExists(SettingsPath())) UnreadableSettings("is not a file");
        return;
    }
    int v = 0;
    // A mode the game cannot set would end the game at its next step, and a
    // zoom switch is either on or off.
    if (!f.ReadInt(kKey, &v)) {
        f.Close();
        UnreadableSettings("holds no settings");
        return;
    }
    SetModeChoice(SettingsDisplayMode(v));
    if (f.ReadInt(kKey, &v)) SetZoomChoice(v != 0 ? 1 : 0);
    if (f.ReadInt(kKey, &v)) SetEffectVolume(SetSlider(kRowEffect, v));
    if (f.ReadInt(kKey, &v)) SetMusicVolume(SetSlider(kRowMusic, v), 1);
    if (f.ReadInt(kKey, &v)) SetSlider(kRowBright, v);
    for (int32_t* p : {&g_ProgressValue1, &g_ProgressValue2, &g_ProgressValue3}) *p = f.ReadInt(kKey, &v) ? v : 0;
    f.Close();
}

int CJMSettings::SaveSettings() {
    const int values[8] = {InGameMode(),     ZoomSwitch(),      GetEffectVolume(),  GetMusicVolume(),
                           SliderValue(kRowBright), g_ProgressValue1, g_ProgressValue2, g_ProgressValue3};
    // The plain key=value lines (CR LF), written to a temporary file that
    // is synced and renamed over the old one: neither a crash nor a power
    // cut mid-write loses the last good settings.
    std::string bytes;
    for (int v : values) {
        bytes += kKey;
        bytes += '=';
        bytes += std::to_string(v);
        bytes += "\r\n";
    }
    const std::string path = SettingsPath();
    if (plat::WriteFileAtomic(path, bytes.data(), bytes.size())) return 1;
    // The line the key=value file class writes for a file it cannot open.
    plat::DebugPrintf("CIniFile::OpenFileWrite() Error (0) : Could not open file for write : <%s>\n", path.c_str());
    return 0;
}

void CJMSettings::UnreadableSettings(const char* why) {
    // The brightness at its middle: the slider's own default would dim the
    // screen and be saved so at exit.
    SetSlider(kRowBright, kNeutralBrightness);
    LogSettingsProblem(plat::ProgramDirNative() + "set.ini " + why + "; the default settings stand.");
}

void CJMSettings::SetModeChoice(int mode) {
    if (g_JMSettingsHooks.setInGameDisplayMode) g_JMSettingsHooks.setInGameDisplayMode(mode);
    if (CJMButton* b = Button(kRow640)) b->SetState(mode == 4 ? 1 : 0, 0);
    if (CJMButton* b = Button(kRow800)) b->SetState(mode == 4 ? 0 : 1, 0);
}

void CJMSettings::SetZoomChoice(int on) {
    if (g_JMSettingsHooks.setZoomSwitch) g_JMSettingsHooks.setZoomSwitch(on);
    if (CJMButton* b = Button(kRowZoomOn)) b->SetState(on ? 1 : 0, 0);
    if (CJMButton* b = Button(kRowZoomOff)) b->SetState(on ? 0 : 1, 0);
}

float CJMSettings::GammaFactor() const {
    const float brightness = g_JMSettingsHooks.getBrightness ? g_JMSettingsHooks.getBrightness() : 1.0f;
    return brightness * (static_cast<float>(SliderValue(kRowBright)) / 100.0f + 0.5f);
}

void CJMSettings::ApplyGamma() {
    if (!CSurface::s_pGammaControl) return;
    ScaleGammaRamp(CSurface::s_pGammaControl, &g_SavedGammaRamp, GammaFactor());
}

void CJMSettings::ApplySliders() {
    SetEffectVolume(SliderValue(kRowEffect));
    SetMusicVolume(SliderValue(kRowMusic), 1);
    ApplyGamma();
}

void CJMSettings::Show(int shown, int mode) {
    CJM::Show(shown, mode);
    if (!shown) {
        g_JMMng.SetFocusPanel(this, 0);
        return;
    }
    g_JMMng.SetFocusPanel(this, 1);
    SetSlider(kRowEffect, GetEffectVolume());
    SetSlider(kRowMusic, GetMusicVolume());
    // Its own value again: showing placed the track anew.
    SetSlider(kRowBright, SliderValue(kRowBright));
    SetModeChoice(InGameMode());
    SetZoomChoice(ZoomSwitch());
}

void CJMSettings::Close() {
    if (GameState() != kStateInGame) {
        if (CJM* title = g_JMMng.GetJM(kRowTitle)) title->Show(1, 0);
        Show(0, 0);
        return;
    }
    const int chosen = InGameMode();
    const int current = g_JMSettingsHooks.getDisplayMode ? g_JMSettingsHooks.getDisplayMode() : chosen;
    // The change happens at the game object's next step.
    if (chosen != current && g_JMSettingsHooks.requestDisplayMode) g_JMSettingsHooks.requestDisplayMode(chosen);
    Show(0, 0);
}

void CJMSettings::Update() {
    if (g_KeyState.IsNewPress(plat::VK_ESCAPE)) {
        g_KeyState.m_Held[plat::VK_ESCAPE] = 1;
        Close();
    }
    CJM::Update();
}

int CJMSettings::ReceiveMsg(int msg, int a, int b) {
    CJM::ReceiveMsg(msg, a, b);
    if (msg == 0) {
        // The sliders' tracks moved with the panel.
        for (int row : {kRowEffect, kRowMusic, kRowBright}) SetSlider(row, SliderValue(row));
        ApplyGamma();
    }
    return 1;
}

int CJMSettings::OnLButtonDown(int flags, int x, int y) {
    if (m_pTarget) m_pTarget->OnLButtonDown(flags, x, y);
    // Reported on every tick the button is held: a dragged slider takes
    // effect while it moves.
    ApplySliders();
    return 1;
}

int CJMSettings::OnLButtonUp(int flags, int x, int y) {
    CJM* t = m_pTarget;
    if (!t) return 1;
    t->OnLButtonUp(flags, x, y);
    switch (t->m_RowId) {
    case kRowClose: Close(); break;
    case kRow640: SetModeChoice(4); break;
    case kRow800: SetModeChoice(5); break;
    case kRowZoomOn: SetZoomChoice(1); break;
    case kRowZoomOff: SetZoomChoice(0); break;
    case kRowEffect:
    case kRowMusic:
    case kRowBright:
        // A click on a track pages the slider at the release: the volumes
        // and the brightness follow it there too.
        ApplySliders();
        break;
    default: break;
    }
    return 1;
}

int CJMSettings::OnMouseMove(int flags, int x, int y) {
    if (m_pTarget) m_pTarget->OnMouseMove(flags, x, y);
    if (!(plat::GetAsyncKeyState(plat::VK_LBUTTON) & 0x8000)) {
        g_LButtonHeld = 0;
        m_pTarget = FindChildAt();
    } else {
        // A slider being dragged keeps the events while the button is held.
        g_LButtonHeld = 1;
    }
    return 1;
}

int CJMSettings::Draw(CSurface* surface) {
    if (!IsShown()) return 0;
    DrawPicture(surface);
    DrawChildren(surface);
    for (int i = 0; i < 9; ++i) {
        const int dx = ColItem(5, i + 1), dy = ColItem(6, i + 1);
        if (dx == kJMNone || dy == kJMNone) continue;
        DrawColorText(surface, m_X + dx, m_Y + dy, UiText(kLabels[i]), 1);
    }
    return 1;
}
