// PLACEHOLDER bodies (see painter.h).
#include "client/painter.h"

#include "client/scene_view.h"
#include "gfx/surface.h"
#include "world/scene/world.h"

CPainter::CPainter() = default;
CPainter::~CPainter() = default;

void CPainter::SetViewRect(int32_t x, int32_t y, int32_t w, int32_t h) { m_ViewRect = {x, y, w, h}; }

void CPainter::OnDisplayEvent(int, int, int) {}

void CPainter::PrepareScene() {}

void CPainter::Paint(CSurface* surface, CWorld* world, CWeather* weather, const CGamePoint& centre) {
    if (!surface) return;
    if (!world || world->m_MapGrid.Width() <= 0) {
        surface->FillAll(0);
        return;
    }
    if (!m_pView) m_pView = std::make_unique<CSceneView>();
    m_pView->CentreOn(*world, {centre.x / 64, centre.y / 64}, surface->m_Width, surface->m_Height);
    m_pView->Draw(world, surface, weather);
}
