#include "roles/swarm/point_swarm.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "core/constants.h"
#include "gfx/image.h"
#include "gfx/surface.h"
#include "platform/random.h"
#include "world/map/iso_grid.h"

namespace {

// Direction of a seen from b, measured from the y axis: atan2(dx, dy).
float AngleBetween(const CGamePoint& a, const CGamePoint& b) {
    const float dx = static_cast<float>(a.x - b.x), dy = static_cast<float>(a.y - b.y);
    if (dx > 0.0f) return kPi2 / 2.0f - std::atan(dy / dx);
    if (dx < 0.0f) return -std::atan(dy / dx) - kPi2 / 2.0f;
    return dy > 0.0f ? 0.0f : -kPi2;
}

// Pulls v back toward home once it strays more than r from it.
int32_t PullBack(int32_t v, int32_t home, int32_t r) {
    const int64_t off = int64_t(v) - home;
    if (off > r) return static_cast<int32_t>(v - ((off - r) / 8 + 1));
    if (off < -int64_t(r)) return static_cast<int32_t>(v + ((-off - r) / 8 + 1));
    return v;
}

} // namespace

void CPointSwarm::Cut(int32_t width, int32_t height, int32_t size) {
    Clear();
    m_SizeLimit = size;
    if (size < 1) return;
    for (int32_t y = 0; y + size <= height; y += size)
        for (int32_t x = 0; x + size <= width; x += size) m_Pieces.push_back({size, x, y, x, y});
    m_PointCount = static_cast<int32_t>(m_Pieces.size());
}

void CPointSwarm::Clear() {
    m_Pieces.clear();
    m_PointCount = 0;
}

void CPointSwarm::Scatter(int32_t r) {
    if (r == m_Jitter) return;
    if (m_Jitter != 0 && r != 0) {
        for (SwarmPiece& p : m_Pieces) {
            const int32_t dx = plat::Rand() % r - r / 2;
            const int32_t dy = plat::Rand() % r - r / 2;
            p.x += dx;
            p.y += dy;
        }
    } else {
        for (SwarmPiece& p : m_Pieces) {
            // A limit below 2 leaves no sizes to draw from.
            if (m_PointCount >= 2 && r != 0 && m_SizeLimit >= 2) p.size = plat::Rand() % (m_SizeLimit - 1) + 2;
            else p.size = m_SizeLimit;
        }
    }
    m_Target = {kUnset, kUnset};
    m_Mode = kJitter;
    m_Jitter = r;
}

void CPointSwarm::FlyTo(int32_t x, int32_t y, int32_t ticks) {
    m_Target = {x, y};
    m_FlightCountdown = ticks;
    m_Mode = x != kUnset ? kFly : kJitter;
}

void CPointSwarm::MoveAnchor(int32_t x, int32_t y) {
    m_Anchor = {x, y};
    if (m_FollowDistance == 0) return;
    if (m_PrevAnchor.x == kUnset) {
        m_PrevAnchor = m_Anchor;
        return;
    }
    const float dx = static_cast<float>(x - m_PrevAnchor.x), dy = static_cast<float>(y - m_PrevAnchor.y);
    const float d = std::sqrt(dx * dx + dy * dy);
    const float step = std::max(d - static_cast<float>(m_FollowDistance), 0.0f) + d * 0.05f;
    if (step <= 1.0f) return;
    // The angle is taken from the y axis, so x goes with its sine.
    const float angle = AngleBetween(m_PrevAnchor, m_Anchor) + kPi2;
    m_PrevAnchor.x += static_cast<int32_t>(std::sin(angle) * step);
    m_PrevAnchor.y += static_cast<int32_t>(std::cos(angle) * step);
}

int CPointSwarm::Update() {
    if (m_FollowDistance != 0) {
        // Later pieces lag further behind, each by a little chance.
        const CGamePoint off = CIsoGrid::WorldToScreenDelta(m_Anchor.x - m_PrevAnchor.x, m_Anchor.y - m_PrevAnchor.y);
        int32_t i = 0;
        for (SwarmPiece& p : m_Pieces) {
            int32_t k = i % 30;
            k = k - plat::Rand() % 5 + 2;
            if (k < 1) k = 1;
            p.x = p.homeX - off.x / k;
            p.y = p.homeY - off.y / k;
            ++i;
        }
        return 1;
    }
    CGamePoint t{0, 0};
    if (m_Mode == kFly) {
        t = g_IsoGrid.WorldToScreen(m_Target.x, m_Target.y);
        if (m_FlightCountdown > 1) --m_FlightCountdown;
    }
    int result = 1;
    for (SwarmPiece& p : m_Pieces) {
        if (m_Mode == kJitter) {
            if (m_Jitter > 1) {
                const int32_t jx = plat::Rand() % 5 - 2;
                const int32_t jy = plat::Rand() % 5 - 2;
                p.x += jx;
                p.y += jy;
            }
            p.x = PullBack(p.x, p.homeX, m_Jitter);
            p.y = PullBack(p.y, p.homeY, m_Jitter);
        } else if (m_Mode == kFly) {
            const int32_t wx = t.x - (m_ScreenOrigin.x + p.x), wy = t.y - (m_ScreenOrigin.y + p.y);
            float f = static_cast<float>(m_FlightCountdown) / static_cast<float>(plat::Rand() % 10 + 1);
            if (f < 1.0f) f = 1.0f;
            p.x += static_cast<int32_t>(static_cast<float>(wx) / f);
            p.y += static_cast<int32_t>(static_cast<float>(wy) / f);
            const int64_t left = std::llabs(int64_t(t.x) - (m_ScreenOrigin.x + p.x)) +
                                 std::llabs(int64_t(t.y) - (m_ScreenOrigin.y + p.y));
            if (left >= 7) result = 0;
        }
    }
    return result;
}

int CPointSwarm::Draw(CImage* image, CSurface* dst, const CGameRect& rect, int32_t level) {
    if (!image || !dst) return 0;
    // The picture's rectangle on the screen, cut to the given one.
    const int64_t left = std::max<int64_t>(m_ScreenOrigin.x, rect.x);
    const int64_t top = std::max<int64_t>(m_ScreenOrigin.y, rect.y);
    const int64_t right = std::min<int64_t>(int64_t(m_ScreenOrigin.x) + image->m_Width, int64_t(rect.x) + rect.width);
    const int64_t bottom =
        std::min<int64_t>(int64_t(m_ScreenOrigin.y) + image->m_Height, int64_t(rect.y) + rect.height);
    m_DrawRect = {static_cast<int32_t>(left), static_cast<int32_t>(top),
                  static_cast<int32_t>(std::max<int64_t>(right - left, 0)),
                  static_cast<int32_t>(std::max<int64_t>(bottom - top, 0))};
    int drawn = 0;
    for (const SwarmPiece& p : m_Pieces) {
        if (p.size < 1) continue;
        const int64_t sx = int64_t(m_ScreenOrigin.x) + p.homeX, sy = int64_t(m_ScreenOrigin.y) + p.homeY;
        if (sx < left || sy < top || sx + p.size > right || sy + p.size > bottom) continue;
        if (image->Blt(dst, m_ScreenOrigin.x + p.x, m_ScreenOrigin.y + p.y, p.size, p.size, p.homeX, p.homeY,
                       kDrawCopy, level, &rect))
            drawn = 1;
    }
    return drawn;
}
