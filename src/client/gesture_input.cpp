#include "client/gesture_input.h"

#include <cmath>
#include <string>

#include "client/client.h"
#include "client/controller/input_util.h"
#include "client/client_hooks.h"
#include "client/controller/combo_chain.h"
#include "client/selection.h"
#include "core/bin_file.h"
#include "core/directories.h"
#include "gfx/effect3d.h"
#include "gfx/pixel_format.h"
#include "gfx/surface.h"
#include "platform/debug.h"
#include "platform/fs.h"
#include "platform/input.h"
#include "platform/raster.h"
#include "roles/role.h"
#include "sound/sound_play.h"

CGestureInput g_GestureInput;

namespace {

constexpr int kGestureSound = 56;
// Trail sprites are laid every 9 pixels until less than 21 remain.
constexpr float kLayStep = 9.0f;
constexpr float kLayRest = 21.0f;


float Distance(int32_t ax, int32_t ay, int32_t bx, int32_t by) {
    const float dx = static_cast<float>(ax - bx), dy = static_cast<float>(ay - by);
    return std::sqrt(dx * dx + dy * dy);
}

} // namespace

CGestureInput::CGestureInput() = default;
CGestureInput::~CGestureInput() = default;

int CGestureInput::LoadMethodPoints() {
    const std::string path = std::string(GetMbDirectory()) + "MethodPoint.txt";
    m_Patterns.Clear();
    m_HasPicture = -1;
    // Gestures are optional: without the file every stroke fails quietly.
    // The file may sit in the data folder's pack, so look through the packs.
    if (!FileExists(path.c_str())) {
        plat::DebugPrintf("gesture: no %s\n", path.c_str());
        return 1;
    }
    m_Patterns.Load(path.c_str(), 1, 1, 1);
    return 1;
}

void CGestureInput::SetFreeDraw(int on) {
    m_FreeDraw = on;
    SetTrailStyle(0, 8);
}

void CGestureInput::SetTrailStyle(int32_t sizeBase, int32_t count) {
    m_SizeBase = sizeBase;
    m_Count = count;
}

void CGestureInput::SetTrailState(int32_t state, int32_t x, int32_t y, int32_t spread) {
    if (state == m_TrailState) return;
    m_TrailState = state;
    for (auto& s : m_Trail) s->SetState(state, x, y, spread);
    if (state == kTrailCast) PlayEffect(kGestureSound, 0, 100, 0);
}

void CGestureInput::ClearStroke() {
    m_Forward.clear();
    m_Backward.clear();
    m_Stroke.clear();
}

void CGestureInput::AddPoint(int32_t x, int32_t y) {
    const uint32_t now = ctl::Tick();
    if (!m_Stroke.empty()) {
        const StrokePoint& last = m_Stroke.back();
        if (Distance(x, y, last.x, last.y) > 20.0f) {
            const float toNew = SegmentAngle(last.x, last.y, x, y);
            const float fromCursor = SegmentAngle(m_LastX, m_LastY, x, y);
            if (std::fabs(AngleDifference(toNew, fromCursor)) > kStrokeCornerAngle) {
                if (m_Stroke.size() > kStrokeMaxPoints - 1) m_Stroke.erase(m_Stroke.begin());
                m_Stroke.push_back({now, m_LastX, m_LastY});
            }
        }
        if (!m_Stroke.empty() && now - m_Stroke.front().tick > kStrokeAgeTicks) m_Stroke.erase(m_Stroke.begin());
        return;
    }
    m_Stroke.push_back({now, x, y});
}

void CGestureInput::LayTrail(int32_t kind, int32_t x, int32_t y) {
    float px = static_cast<float>(m_LastX), py = static_cast<float>(m_LastY);
    float rest = Distance(x, y, m_LastX, m_LastY);
    if (rest < kLayRest) return;
    const float ux = (static_cast<float>(x) - px) / rest, uy = (static_cast<float>(y) - py) / rest;
    while (rest >= kLayRest) {
        px += ux * kLayStep;
        py += uy * kLayStep;
        rest -= kLayStep;
        m_Trail.push_back(std::make_unique<CTrailSprite>(kind, static_cast<int32_t>(px), static_cast<int32_t>(py),
                                                         m_SizeBase, m_Count));
    }
}

void CGestureInput::Update() {
    plat::Point c;
    plat::GetCursorPos(&c);
    const int down = ctl::AsyncDown(plat::VK_LBUTTON) ? 1 : 0;
    if (down && !m_ButtonDown) {
        ClearStroke();
        m_PressTicks = 0;
        if (!m_FreeDraw) SetTrailState(kTrailDrawing, c.x, c.y, 0);
    } else if (!down && m_ButtonDown) {
        CastByGesture();
    }
    m_ButtonDown = down;

    if (m_FreeDraw && down) {
        if (m_PressTicks < 2)
            m_Trail.push_back(std::make_unique<CTrailSprite>(2, c.x, c.y, m_SizeBase, m_Count));
        ++m_PressTicks;
    }

    if (c.x != m_LastX || c.y != m_LastY) {
        if (m_FreeDraw) {
            LayTrail(1, c.x, c.y);
        } else if (ctl::AsyncDown(plat::VK_MENU) || ctl::AsyncDown(plat::VK_CONTROL)) {
            if (down) AddPoint(c.x, c.y);
            LayTrail(down ? 0 : 1, c.x, c.y);
        }
        m_LastX = c.x;
        m_LastY = c.y;
    }

    m_Age += 0.2f;
    for (auto it = m_Trail.begin(); it != m_Trail.end();) {
        if ((*it)->Age(m_Age)) it = m_Trail.erase(it);
        else ++it;
    }
    if (m_Trail.empty()) m_Age = 0.0f;
}

int32_t CGestureInput::CastByGesture() {
    CRole* own = g_Client && g_Selection ? g_Selection->GetRole() : nullptr;
    if (!own) return -1;
    plat::Point c;
    plat::GetCursorPos(&c);
    if (!m_Stroke.empty() && Distance(c.x, c.y, m_Stroke.back().x, m_Stroke.back().y) > 40.0f) {
        if (m_Stroke.size() > kStrokeMaxPoints - 1) m_Stroke.erase(m_Stroke.begin());
        m_Stroke.push_back({ctl::Tick(), c.x, c.y});
    }
    BuildStrokeAngles(m_Stroke, &m_Forward, &m_Backward);

    int32_t skill = -1;
    const int32_t n = RoleSkillCount(own);
    for (int32_t i = 0; i < n && skill < 0; ++i) {
        const int32_t k = RoleSkillAt(own, i);
        if (k < 0 || own->GetSkillLevel(k) == -1) continue;
        const int32_t field = SkillGestureField(k);
        if (field < 1000) continue;
        if (MatchStroke(m_Patterns.GetRow(field - 1000), m_Forward, m_Backward)) skill = k;
    }
    plat::DebugPrintf("gesture %d\n", skill);
    if (skill < 0) {
        SetTrailState(kTrailFailed, 0, 0, 0);
        return -1;
    }
    if (g_ClientHooks.setGestureSkill) g_ClientHooks.setGestureSkill(skill);
    int32_t tx = -1, ty = -1;
    if (g_ClientHooks.getJM16Center) g_ClientHooks.getJM16Center(&tx, &ty);
    SetTrailState(kTrailDrawing, 0, 0, 0);
    SetTrailState(kTrailCast, tx, ty, kGestureSpread);
    return skill;
}

bool CGestureInput::HasTrailPicture() {
    if (m_HasPicture < 0)
        m_HasPicture = FileExists((std::string(GetProgramDirectory()) + "th\\effect.bmp").c_str()) ? 1 : 0;
    return m_HasPicture == 1;
}

void CGestureInput::DrawTrail2D(CSurface* surface) {
    // The trail's particles are its picture: without it nothing shows.
    if (!surface || !HasTrailPicture()) return;
    const uint32_t colour = g_PixelFormat.FromRgb(0xC8, 0xC8, 0xC8);
    for (auto& s : m_Trail) s->Draw2D(surface, colour);
}

void CGestureInput::DrawTrail3D(CSurface*) {
    if (!HasTrailPicture()) return;
    for (auto& s : m_Trail) s->Draw3D();
}

void PollGestureInput() { g_GestureInput.Update(); }

void DrawGestureTrail(CSurface* surface) {
    if (!g_Effect3D.IsOn() || !g_Effect3D.BeginScene(surface)) {
        g_GestureInput.DrawTrail2D(surface);
        return;
    }
    if (g_pRasterDevice) g_pRasterDevice->SetRenderState(plat::D3DRENDERSTATE_ALPHABLENDENABLE, 1);
    g_TrailRenderer.Draw(g_pRasterDevice);
    g_GestureInput.DrawTrail3D(surface);
    if (g_pRasterDevice) g_pRasterDevice->SetRenderState(plat::D3DRENDERSTATE_ALPHABLENDENABLE, 0);
    g_Effect3D.EndScene();
}

void InstallGestureLoader() {
    CEffect3D::s_LoadGesturePatterns = [] { return g_GestureInput.LoadMethodPoints(); };
}
