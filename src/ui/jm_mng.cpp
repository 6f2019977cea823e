#include "ui/jm_mng.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "core/directories.h"
#include "core/key_state.h"
#include "core/log.h"
#include "core/pack_file.h"
#include "platform/debug.h"
#include "platform/font.h"
#include "platform/input.h"
#include "platform/msgbox.h"
#include "ui/jm_controls.h"
#include "world/scene/world_hooks.h"

CJMHooks g_JMHooks;
CJMMng g_JMMng;
CTxtTable g_JMMdl;
std::unique_ptr<plat::Font> g_JMFonts[kJMFontCount];
CAnimRes g_JMFrameAnim;

namespace {

constexpr int kRowSystemMenu = 45;

void LogLine(const std::string& line) {
    WriteLog(kLogFile, line.c_str());
    plat::OutputDebugString(line);
}

// Through the pack layer, as the table loader opens it.
bool FileOpens(const std::string& path) {
    CPackFile f;
    const bool ok = f.Open(path.c_str(), "rb") != -2;
    f.Close();
    return ok;
}

std::string TablePath(const char* name) { return std::string(GetMbDirectory()) + name; }

// Points at 96 pixels per inch, rounded to the nearest pixel as MulDiv
// rounds (halves away from zero): 14 points are 19 pixels.
int PointsToPixels(int points) {
    const int64_t scaled = static_cast<int64_t>(points) * 96;
    const int64_t pixels = (scaled < 0 ? scaled - 36 : scaled + 36) / 72;
    return static_cast<int>(std::clamp<int64_t>(pixels, INT32_MIN, INT32_MAX));
}

// The panels that take the focus without pausing the game.
bool KeepsGameRunning(int rowId) { return rowId == 40 || rowId == 41 || rowId == 44 || rowId == 60; }

} // namespace

// ---------------------------------------------------------------- fonts

plat::Font* JMFont(int index) {
    if (index < 0 || index >= kJMFontCount) index = 0;
    if (!g_JMFonts[index]) g_JMFonts[index] = std::make_unique<plat::Font>(12, plat::FW_NORMAL, "");
    return g_JMFonts[index].get();
}

void LoadJMFonts(const std::string& path) {
    for (auto& f : g_JMFonts) f.reset();
    CTxtTable table;
    // The table loader shows a box for a missing file; fonts are optional.
    if (FileOpens(path)) table.Load(path.c_str(), -1, 1, 1);
    const int rows = std::min(table.GetRowCount(), kJMFontCount);
    if (table.GetRowCount() > kJMFontCount)
        LogLine("Font.txt: " + std::to_string(table.GetRowCount()) + " fonts, only the first 6 are made\n");
    for (int i = 0; i < rows; ++i) {
        CTxtRow* row = table.GetRowAt(i);
        const int points = row->GetInt(1);
        int pixels = points == kJMNone ? 12 : PointsToPixels(points);
        if (pixels < 6 || pixels > 72) {
            const int clamped = std::clamp(pixels, 6, 72);
            char line[128];
            std::snprintf(line, sizeof line, "Font.txt row %d: size %d pixels, using %d\n", i + 1, pixels, clamped);
            LogLine(line);
            pixels = clamped;
        }
        const char* face = row->GetString(3);
        // The width factor 0 is the face's natural width, the only one the
        // layout uses.
        g_JMFonts[i] = std::make_unique<plat::Font>(-pixels, plat::FW_NORMAL, face ? face : "");
    }
    for (int i = rows; i < kJMFontCount; ++i) g_JMFonts[i] = std::make_unique<plat::Font>(-12, plat::FW_NORMAL, "");
}

// ---------------------------------------------------------------- manager

CJMMng::CJMMng() { m_IdMap.SetSize(kJMIdMapSize); }

// Shutdown clears the panels (ClearUp); at exit the libraries their
// pictures refer to may already be gone.
CJMMng::~CJMMng() = default;

int CJMMng::ScreenWidth() const {
    const int w = g_JMHooks.screenWidth ? g_JMHooks.screenWidth() : 0;
    return w > 0 ? w : m_ScreenW;
}

int CJMMng::ScreenHeight() const {
    const int h = g_JMHooks.screenHeight ? g_JMHooks.screenHeight() : 0;
    return h > 0 ? h : m_ScreenH;
}

bool CJMMng::Register(int rowId, CJM* panel) {
    if (rowId < 0 || rowId >= kJMIdMapSize) {
        LogLine("JMMDL row id " + std::to_string(rowId) + " lies outside 0-999, not registered\n");
        return false;
    }
    // SetAt keeps the first panel stored under an id.
    m_IdMap.SetAt(rowId, panel);
    return true;
}

void CJMMng::Unregister(CJM* panel) {
    if (panel->m_RowId >= 0 && panel->m_RowId < kJMIdMapSize && m_IdMap.GetAt(panel->m_RowId) == panel)
        m_IdMap.RemoveAt(panel->m_RowId);
    if (m_pFocus == panel) m_pFocus = nullptr;
    if (m_pHover == panel) m_pHover = nullptr;
    if (m_pPressed == panel) m_pPressed = nullptr;
    RemoveKeyWindow(panel);
    if (m_pKeyFocus == panel) m_pKeyFocus = nullptr;
}

CJM* CJMMng::GetJM(int rowId) const {
    if (rowId < 0 || rowId >= m_IdMap.GetSize()) return nullptr;
    return static_cast<CJM*>(m_IdMap.GetAt(rowId));
}

int CJMMng::CheckRows(const char* fileName, const std::vector<int>& rows) {
    for (int id : rows) {
        if (g_JMMdl.GetRow(id)) continue;
        char text[256];
        std::snprintf(text, sizeof text, "%s: no row %d (the panels need it)", fileName, id);
        LogLine(std::string(text) + "\n");
        plat::MessageBox(text, "", plat::MB_OK);
        return 0;
    }
    return 1;
}

int CJMMng::CreatePanels() { return CreatePanelsFrom(JMDefaultPanels(), JMRequiredControlRows()); }

int CJMMng::CreatePanelsFrom(const std::vector<JMPanelSpec>& panels, const std::vector<int>& otherRows) {
    const std::string path = TablePath("JMMDL.txt");
    g_JMMdl.Clear();
    g_JMMdl.Load(path.c_str(), 1, 1, 1);
    m_IdMap.SetSize(kJMIdMapSize);
    std::vector<int> needed;
    for (const JMPanelSpec& p : panels) needed.push_back(p.rowId);
    needed.insert(needed.end(), otherRows.begin(), otherRows.end());
    if (!CheckRows("JMMDL.txt", needed)) return 0;

    LoadJMFonts(TablePath("Font.txt"));
    g_JMFrameAnim.Bind(526);
    for (const JMPanelSpec& spec : panels) {
        CJM* panel = spec.make();
        AddTail(panel);
        panel->Init(spec.rowId);
        if (auto* p = dynamic_cast<CJMLoading*>(panel)) g_JMLoading = p;
        if (auto* p = dynamic_cast<CJMSettings*>(panel)) g_JMSettings = p;
        if (auto* p = dynamic_cast<CJMTitleMenu*>(panel)) g_JMTitleMenu = p;
        if (auto* p = dynamic_cast<CJMPopup*>(panel)) g_JMPopup = p;
        if (auto* p = dynamic_cast<CJMNumberEntry*>(panel)) g_JMNumberEntry = p;
        if (auto* p = dynamic_cast<CJMMsgList*>(panel)) g_JMMsgList = p;
    }
    // The world's notices and floating texts reach the panels.
    g_WorldHooks.showNotice = [](const char* text) {
        if (g_JMNotice) g_JMNotice->SplitAndAddMessage(text, 0);
    };
    g_WorldHooks.addFloatingLine = [](const char* text, int32_t x, int32_t y) {
        if (!g_JMMsgList) return 0;
        g_JMMsgList->AddMessageLine(text, x, y, 0, 0, 0);
        return 1;
    };
    plat::DebugPrintf("JM panels %d\n", GetCount());
    return 1;
}

void CJMMng::Update() {
    for (CObjNode* n = Tail(); n;) {
        CObjNode* prev = n->Prev();
        CJM* p = static_cast<CJM*>(n);
        if (p->IsShown()) p->Update();
        n = prev;
    }
    CJM* hud = GetJM(kRowHud);
    if (hud && hud->IsShown() && g_KeyState.IsNewPress(plat::VK_ESCAPE)) {
        if (CJM* menu = GetJM(kRowSystemMenu)) menu->Show(1, 0);
    }
    m_ClickTaken = 1;
}

void CJMMng::Draw(CSurface* surface) {
    for (CObjNode* n = Head(); n; n = n->Next()) static_cast<CJM*>(n)->Draw(surface);
}

int CJMMng::ReceiveMsg(int code, int width, int height) {
    WriteLog(kLogFile, "Begin CJMMng::ReceiveMsg\n");
    const char* file = width == 640 ? "JMMDL.txt" : (width == 800 || width == 1024) ? "JMMDL800.txt" : nullptr;
    if (code == 0 && width > 0 && height > 0) {
        m_ScreenW = width;
        m_ScreenH = height;
    }
    if (file) {
        // Read the new table aside first: a file that does not load would
        // leave the panels' row pointers on an empty table.
        const std::string path = TablePath(file);
        CTxtFile raw;
        if (FileOpens(path) && raw.Load(path.c_str()) && raw.GetRowCount() > 1) {
            g_JMMdl.Build(raw, 1, 1, 0);
        } else {
            LogLine(std::string("CJMMng::ReceiveMsg: ") + file + " does not load, the panel table stays\n");
        }
    }
    for (CObjNode* n = Head(); n; n = n->Next()) static_cast<CJM*>(n)->ReceiveMsg(code, width, height);
    WriteLog(kLogFile, "End CJMMng::ReceiveMsg\n");
    return 1;
}

void CJMMng::ShowAll(int value) {
    for (CObjNode* n = Head(); n; n = n->Next()) {
        CJM* p = static_cast<CJM*>(n);
        if (value == -1) p->Show(p->Col(12) == 1, 0);
        else p->Show(value, 0);
    }
}

void CJMMng::SetFocusPanel(CJM* panel, int on) {
    if (!panel) return;
    if (on) {
        m_pFocus = panel;
        plat::DebugPrintf("JM focus %d\n", panel->m_RowId);
        if (m_pHover) {
            CJM* old = m_pHover;
            m_pHover = nullptr;
            old->OnMouseLeave();
        }
        if (!KeepsGameRunning(panel->m_RowId) && g_JMHooks.setPaused) g_JMHooks.setPaused(1);
        return;
    }
    if (m_pFocus != panel) return;
    g_KeyState.LatchDownKeys();
    m_pFocus = nullptr;
    plat::DebugPrintf("JM focus -\n");
    if (g_JMHooks.setPaused) g_JMHooks.setPaused(0);
}

CJM* CJMMng::GetTargetPanel(int x, int y) {
    if (m_pFocus) return m_pFocus;
    CJM* hud = GetJM(kRowHud);
    if (hud && hud->IsShown()) {
        const int hw = hud->m_Width, sh = ScreenHeight();
        if (x >= hw - 100 && x <= hw - 1 && y >= sh - 100 && y <= sh - 1) return hud;
    }
    for (CObjNode* n = Tail(); n; n = n->Prev()) {
        CJM* p = static_cast<CJM*>(n);
        if (p->ColItem(13, 0) != 1) continue;
        const CGameRect r = p->GetHitRect();
        if (x >= r.x && x <= r.x + r.width - 1 && y >= r.y && y <= r.y + r.height - 1 && p->IsShown()) return p;
    }
    return nullptr;
}

void CJMMng::Route(CJM* target) {
    if (target == m_pHover) return;
    CJM* old = m_pHover;
    m_pHover = target;
    if (old) old->OnMouseLeave();
}

namespace {
plat::Point CursorPos() {
    plat::Point p{};
    plat::GetCursorPos(&p);
    return p;
}
} // namespace

int CJMMng::OnLButtonDown(int flags, int x, int y) {
    const plat::Point c = CursorPos();
    CJM* target = GetTargetPanel(c.x, c.y);
    Route(target);
    m_ClickTaken = 0;
    if (!target) return 0;
    target->OnLButtonDown(flags, x, y);
    if (m_pHover) {
        CJM* child = m_pHover->FindChildAt();
        if (child && child->GetWindowHandle() != 0) m_pKeyFocus = child;
        if (child && child->ColItem(2, 0) == 6) {
            if (auto* b = dynamic_cast<CJMButton*>(child)) {
                if (auto* old = dynamic_cast<CJMButton*>(m_pPressed)) old->SetState(0, 0);
                m_pPressed = b;
                b->SetState(1, 0);
            }
        }
    }
    m_ClickTaken = 1;
    return 1;
}

int CJMMng::OnLButtonUp(int flags, int x, int y) {
    const plat::Point c = CursorPos();
    CJM* target = GetTargetPanel(c.x, c.y);
    Route(target);
    if (target) target->OnLButtonUp(flags, x, y);
    if (auto* b = dynamic_cast<CJMButton*>(m_pPressed)) b->SetState(0, 0);
    m_pPressed = nullptr;
    return target ? 1 : 0;
}

int CJMMng::OnRButtonDown(int flags, int x, int y) {
    const plat::Point c = CursorPos();
    CJM* target = GetTargetPanel(c.x, c.y);
    Route(target);
    if (!target) return 0;
    target->OnRButtonDown(flags, x, y);
    return 1;
}

int CJMMng::OnRButtonUp(int flags, int x, int y) {
    const plat::Point c = CursorPos();
    CJM* target = GetTargetPanel(c.x, c.y);
    Route(target);
    if (!target) return 0;
    target->OnRButtonUp(flags, x, y);
    return 1;
}

int CJMMng::OnMouseMove(int flags, int x, int y) {
    const plat::Point c = CursorPos();
    CJM* target = GetTargetPanel(c.x, c.y);
    Route(target);
    if (!target) return 0;
    target->OnMouseMove(flags, x, y);
    return 1;
}

int CJMMng::OnKey(uint32_t message, uint32_t wParam, uint32_t lParam, intptr_t* extra) {
    // Only the edit box with the keyboard focus: a form's other edits must
    // not take the same key.
    CJM* c = m_pKeyFocus;
    if (c && std::find(m_KeyWindows.begin(), m_KeyWindows.end(), c) != m_KeyWindows.end() && c->GetWindowHandle() != 0)
        c->OnWindowMessage(message, wParam, lParam, extra);
    return 1;
}

void CJMMng::AddKeyWindow(CJM* control) {
    if (std::find(m_KeyWindows.begin(), m_KeyWindows.end(), control) == m_KeyWindows.end())
        m_KeyWindows.push_back(control);
}

void CJMMng::RemoveKeyWindow(CJM* control) {
    m_KeyWindows.erase(std::remove(m_KeyWindows.begin(), m_KeyWindows.end(), control), m_KeyWindows.end());
}

int CJMMng::ClearUp() {
    for (CObjNode* n = Head(); n; n = n->Next()) static_cast<CJM*>(n)->Release();
    RemoveAll();
    for (auto& f : g_JMFonts) f.reset();
    g_JMFrameAnim.Release();
    m_KeyWindows.clear();
    m_pFocus = m_pHover = m_pPressed = m_pKeyFocus = nullptr;
    m_IdMap.RemoveAll();
    g_JMLoading = nullptr;
    g_JMSettings = nullptr;
    g_JMTitleMenu = nullptr;
    g_JMPopup = nullptr;
    g_JMNumberEntry = nullptr;
    g_JMNotice = nullptr;
    g_JMMsgList = nullptr;
    g_WorldHooks.showNotice = nullptr;
    g_WorldHooks.addFloatingLine = nullptr;
    return 1;
}

void CJMMng::CloseSceneJM() {
    if (CJMMsgList* m = dynamic_cast<CJMMsgList*>(GetJM(24))) m->m_Records.clear();
    if (CJMNotice* n = dynamic_cast<CJMNotice*>(GetJM(19))) n->RemoveAll();
    for (int id : {57, 103})
        if (CJM* p = GetJM(id)) p->Show(0, 0);
}

void CJMMng::ResetQuestJM() {
    if (CJM* p = GetJM(99)) p->Reset();
}

void CJMMng::LoadFonts() { LoadJMFonts(TablePath("Font.txt")); }
