#pragma once
// The visible magic object (kind 6): one animation of a "SkillChild.ini"
// row with a height, a scale level that eases toward its target, and the
// contact rule between flying objects of opposing camps. Every class the
// world's factory builds (projectiles, blasts, bursts, wanderers) and the
// caster's clones derive it; the factory is installed as the world's
// createMagic hook.
#include <cstdint>

#include "gfx/trail.h"
#include "roles/magic/magic.h"

// pi as the magic code writes it.
inline constexpr float kAnimPi = 3.1415925f;

class CSurface;
struct CSkillChildDef;

class CAnimMagic : public CMagic, public CTrailAnim {
public:
    static constexpr uint16_t kModelId = 23001;
    // The row a contact between opposing flying objects leaves behind.
    static constexpr int kSparkId = 17;

    CAnimMagic();
    ~CAnimMagic() override;

    CAnimRes* GetAnim() override { return static_cast<CTrailAnim*>(this); }  // 1
    int Tick() override;                                                      // 5
    using CGameObj::Draw;
    virtual int Draw(CSurface* surface);                                      // 6
    void UpdateScreenRect() override;                                         // 7
    CGameObj* GetCenterObject() override { return this; }                     // 11
    CAnimPlayer* GetCurrentPlayer() override { return CurrentPlayer(); }      // 12
    CAnimRes* GetAnimRes() override { return static_cast<CTrailAnim*>(this); } // 13
    int OnCollide(CMagic* other) override;                                    // 15
    virtual int Start() { return 1; }                                         // 16
    // Effect class 12: level and mode together.
    void SetScale(int32_t level, int32_t mode) override;

    // Placement, parent inheritance and range fitting; then Start.
    int InitFromDefinition(const CSkillChildDef* def, CGameObj* parent);
    void SetFollowHandle(ObjHandle handle);
    // Target level; before the first tick the current level jumps too.
    void SetScaleLevel(int32_t level);

    const CSkillChildDef* GetDef() const { return m_pDef; }
    // Column 9-14 bytes of the row (0 without one).
    int32_t Col(int column) const;

    const CSkillChildDef* m_pDef = nullptr;
    ObjHandle m_FollowHandle = 0;
    int32_t m_ScaleMode = 0;
    int32_t m_ScaleLevel = 0;
    int32_t m_ScaleTarget = 0;
    int32_t m_DefParam = 0;

protected:
    // The screen anchor and the current frame's rectangle there, scaled.
    void SetScreenRectAt(const CGamePoint& anchor);
    // rand() % n, and 0 without a draw when n is 0.
    static int32_t RandMod(int32_t n);
    // The followed object, or null.
    CGameObj* Followed() const;
};

// Builds the class of a "SkillChild.ini" row (null for other kinds), sets
// its position and runs InitFromDefinition and kind 300's placement; not
// registered.
CGameObj* CreateAnimMagic(int defId, int x, int y, CGameObj* parent);

// Installs createMagic and the particle ring hooks.
void InstallAnimMagicHooks();
