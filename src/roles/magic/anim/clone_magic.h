#pragma once
// Translucent clones of the casting role, made by the summon sub-codes of
// the effect executor: mode 1 spreads sideways and follows the owner's path
// with a delay, 3 spirals outward, 4 spreads sideways and ends, 5 spirals
// in onto the owner, 6 fades out where it stands. They draw through the
// owner's own composed sprite, so a clone lives no longer than its owner;
// asked to go, a clone fades instead of vanishing.
#include <cstdint>
#include <deque>

#include "roles/magic/anim/anim_magic.h"

class CRoleSprite;

class CSummonMagic : public CAnimMagic {
public:
    static constexpr int32_t kFullLevel = 8;
    // The parent's owner role is needed; 0 without one.
    using CAnimMagic::Init;
    int Init(CMagic* parent, int32_t mode, int32_t index, int32_t spare);
    int Tick() override;                   // 5
    int Draw(CSurface* surface) override;  // 6
    void UpdateScreenRect() override;      // 7
    int Remove() override;                 // 8: fades

    CRoleSprite* m_pSprite = nullptr;  // the owner's, not owned
    int32_t m_Steps = 0;
    float m_Angle = 0.0f;
    float m_Radius = 0.0f;
    int32_t m_Mode = 0;
    int32_t m_Index = 0;
    int32_t m_Spare = 0;
    int32_t m_DrawLevel = 0;
    int32_t m_Fading = 0;
    int32_t m_Sequence = 0;
    struct Move {
        int32_t dx, dy;
    };
    std::deque<Move> m_Moves;
    int32_t m_LastDx = 0, m_LastDy = 0;
    int32_t m_OwnerX = 0, m_OwnerY = 0;

private:
    int32_t SpreadIndex() const;
    void Spread(const CRole* owner);
    void PlaceOnCircle(const CGameObj* owner);
};

// The summon sub-codes: n clones of a mode, indices from `first`, each
// registered with the current object manager.
void SummonClones(CMagic* parent, int32_t mode, int32_t first, int32_t n);
