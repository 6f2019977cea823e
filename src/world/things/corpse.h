#pragma once
// What a dead character leaves behind: a corpse (kind 25) showing the
// character's composed sprite, and body parts (kind 26) flung off it that
// show only some parts of the sprite. Both fall (holding the first death
// frame for a countdown, then playing the death animation), lie, linger,
// and go once they have stayed out of view long enough. Every corpse files
// itself in its object manager's corpse pool while it lives.
#include <cstdint>
#include <string>

#include "core/geometry.h"
#include "gfx/anim.h"
#include "world/things/anim_map_obj.h"

class CRoleSprite;
class CSurface;
class CTxtRow;
struct CMapCell;

class CCorpseBase : public CAnimMapObj {
public:
    enum : int32_t { kNoState = 0, kFalling = 1, kLying = 2, kLingering = 3 };
    static constexpr int32_t kLyingTicks = 200;  // at least this long before lingering
    static constexpr int32_t kFlingMarkAnim = 47;

    // Registers a lower handle (draw layer 0 while the kind is still 22).
    CCorpseBase();
    // A corpse that goes while falling gives its cell back.
    ~CCorpseBase() override;

    int Tick() override;
    int StepAnim() override;
    // Gives the cell back when removed while falling: the mark would block
    // the cell until the map is loaded again.
    int Remove() override;

    // Slot 14: `a` is not used. The "Role.txt" row of the model id, a
    // description of type 0 at the position's cell, height and facing.
    virtual int PlaceAt(int a, int x, int y, int dir, int modelId, int height);
    // Slot 15.
    virtual void SetEffect(int) {}
    // Slots 16 and 17.
    virtual void OnEnterState(int32_t s);
    virtual void OnLeaveState(int32_t s);

    void SetState(int32_t s);
    void SetCountdown(int32_t n) { m_Countdown = n; }

    int32_t m_EffectX = 0;
    int32_t m_EffectY = 0;
    CAnimRes m_Effect;
    const CTxtRow* m_pRoleRow = nullptr;    // "Role.txt" row of the model
    const CTxtRow* m_pSecondRow = nullptr;  // column 8: colour-effect kind
    int32_t m_SizeStep = 0;                 // 5 % larger per step
    int32_t m_Countdown = 0;
    int32_t m_State = kNoState;
    int32_t m_OffscreenLimit = 0;

protected:
    // The description's cell in the grid kept at Init, or null.
    CMapCell* OwnCell() const;
    // Frees the cell's occupant word when it holds this corpse.
    void ReleaseCell();
    // An integer column of the role row (65535 without one, as a missing cell).
    int32_t RoleInt(int col) const;
};

class CCorpse : public CCorpseBase {
public:
    static constexpr int32_t kHeadEffectBig = 127;
    static constexpr int32_t kHeadEffectSmall = 128;
    static constexpr int32_t kTrunkEffect = 255;
    static constexpr int32_t kLimbEffect = 219;
    static constexpr int32_t kFallSound = 57;

    // Kind 25, off-screen limit 100, filed in the current manager's corpse pool.
    CCorpse();
    ~CCorpse() override;

    using CAnimMapObj::Draw;
    int Tick() override;
    int Draw(CSurface* surface) override;
    // Anchor at the world position (no height), rectangle the sprite's full one.
    void UpdateScreenRect() override;
    int StepAnim() override;
    int DrawClipped(CSurface* surface, const CGameRect& clip) override;
    CAnimRes* GetCurAnim() override;
    void SetEffect(int n) override;

    // Null takes column 5 of the role row. Creates the sprite and starts the
    // death sequence of the facing (column 19 + direction). Returns 1.
    int SetSprite(const char* variants);
    void SetRoleData(const CTxtRow* secondRow, int32_t sizeStep) {
        m_pSecondRow = secondRow;
        m_SizeStep = sizeStep;
    }
    // The sprite at its natural size on a scratch surface, stretched by the
    // size step onto `surface` (bottom edge kept).
    void DrawScaled(CSurface* surface, const CGamePoint& anchor);
    // The painter's second way of drawing corpses: 0 without drawing when the
    // main part's current picture has an alpha plane.
    int DrawOnSurface(CSurface* surface);

    CRoleSprite* m_pSprite = nullptr;
    std::string m_PartName;
    int32_t m_EffectNo = -1;

private:
    void DrawEffect(CSurface* surface, const CGameRect* clip, int lit);
    CObjMng* m_pPool = nullptr;  // the manager whose pool holds it
};

class CCorpsePart : public CCorpse {
public:
    static constexpr int32_t kFlightTicks = 30;

    // Kind 26, flight speed 2 + rand() % 2.
    CCorpsePart();
    ~CCorpsePart() override;

    // Flies backwards during the first 30 ticks of the fall.
    int Tick() override;
    void OnEnterState(int32_t s) override;
    // Names the part shown; "HD", "LA", "RA" and "TK" choose an effect, a
    // speed and a flight direction.
    void SetPart(const char* name);

    int32_t m_Speed = 0;
    int32_t m_FlightDir = 0;
};
