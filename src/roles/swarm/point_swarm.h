#pragma once
// A picture broken into small squares that float about their places,
// trail behind a moving owner, or fly off to a point: the shattered look of
// a role (its swarm flag) or a corpse. The owner cuts the pieces, sets the
// screen origin each frame and draws the swarm with its own picture; the
// effect executor scatters it and sends it flying.
//
// Piece positions are offsets from the screen origin; a piece's home is
// where its square lies in the picture, so a piece at home draws the
// picture whole.
#include <cstdint>
#include <list>

#include "core/geometry.h"

class CImage;
class CSurface;

struct SwarmPiece {
    int32_t size = 0;   // side in pixels
    int32_t homeX = 0;  // the square's place in the picture
    int32_t homeY = 0;
    int32_t x = 0;      // offset from the screen origin
    int32_t y = 0;
};

class CPointSwarm {
public:
    enum Mode : int32_t {
        kFollow = 0,  // trails behind the anchor
        kJitter = 1,  // floats about the places
        kFly = 3,     // flies to the target point
    };
    // An unset previous anchor or target.
    static constexpr int32_t kUnset = 10000;

    CPointSwarm() = default;
    ~CPointSwarm() { Clear(); }
    CPointSwarm(const CPointSwarm&) = delete;
    CPointSwarm& operator=(const CPointSwarm&) = delete;

    // Cuts a width x height picture into whole squares of side `size`, row
    // by row, each at home; `size` becomes the size limit. A size below 1
    // cuts nothing.
    void Cut(int32_t width, int32_t height, int32_t size);
    void Clear();

    int32_t GetJitter() const { return m_Jitter; }
    // Spreads the pieces by radius r (0 gathers them again); mode 1.
    void Scatter(int32_t r);
    // Target (x, y) in world pixels reached in `ticks`; x = kUnset stops a
    // flight (mode 1).
    void FlyTo(int32_t x, int32_t y, int32_t ticks);
    // The owner's world position; with a follow distance the previous
    // anchor lags behind it.
    void MoveAnchor(int32_t x, int32_t y);
    // One tick. 0 while a flying piece is still 7 pixels or more from the
    // target, else 1.
    int Update();
    // Copies each piece whose home square lies wholly inside both the
    // picture (placed at the screen origin) and `rect` from the picture to
    // its place, clipped to `rect`. 1 when any piece was drawn.
    int Draw(CImage* image, CSurface* dst, const CGameRect& rect, int32_t level);

    int32_t m_Mode = kFollow;
    int32_t m_PointCount = 0;
    int32_t m_SizeLimit = 0;
    std::list<SwarmPiece> m_Pieces;
    int32_t m_Jitter = 0;
    int32_t m_FollowDistance = 0;  // 0: no anchor following
    CGamePoint m_Anchor{0, 0};
    CGamePoint m_PrevAnchor{kUnset, kUnset};
    int32_t m_FlightCountdown = 0;
    CGamePoint m_Target{kUnset, kUnset};
    CGamePoint m_ScreenOrigin{0, 0};  // set by the owner
    CGameRect m_DrawRect;             // the last drawing rectangle
};
