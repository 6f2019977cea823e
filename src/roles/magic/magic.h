#pragma once
// The base of every magic (skill-effect) object: who cast it, what it aims
// at, its "Skill.ini" row, the roles it has struck and the seven lists of
// effect records that fire at set moments. Derived classes (the attached
// magic, the animated magic kinds) step it through StepTimers and
// StepFrameEffects and let CanHit decide each contact.
//
// The lists keep pointers into the definition's record array, gathered by
// list number: a file whose records of one number are not together still
// gives each list all of its records, in file order.
#include <cstdint>
#include <vector>

#include "core/geometry.h"
#include "roles/magic/unique_slot_list.h"
#include "world/objects/game_obj.h"

struct CSkillDef;
struct SkillEffect;
class CRole;
class CAnimPlayer;

// At most 50 struck handles in insertion order, each once.
using CHitList = CUniqueSlotList<ObjHandle, 50>;

// List numbers of the effect records.
enum MagicList : int {
    kListFrame = 0,
    kListHit = 1,
    kListEnd = 2,
    kListRemove = 3,
    kListRelease = 4,
    kListTimed = 5,
    kListPeriodic = 6,
    kListCount = 7,
};

class CMagic : public CGameObj {
public:
    CMagic();
    ~CMagic() override;

    // Slot 8: once; fires the removal list.
    int Remove() override;
    // 11: the object area sweeps take their position from; none here.
    virtual CGameObj* GetCenterObject() { return nullptr; }
    // 12: the animation player the frame list follows; none here.
    virtual CAnimPlayer* GetCurrentPlayer() { return nullptr; }
    // 13: the animation set; none here.
    virtual CAnimRes* GetAnimRes() { return nullptr; }
    virtual int Slot14() { return 0; }
    // 15: another magic object's contact; the base refuses.
    virtual int OnCollide(CMagic* other) { (void)other; return 0; }
    // The scale level and mode of a visible (flying) object; the base has
    // no picture to scale.
    virtual void SetScale(int32_t level, int32_t mode) { (void)level; (void)mode; }

    void SetSkill(const CSkillDef* def);
    const CSkillDef* GetSkill() const { return m_pSkill; }
    void SetValue1(int32_t v) { m_Value1 = v; }
    void SetValue2(int32_t v) { m_Value2 = v; }
    int32_t GetValue1() const { return m_Value1; }
    int32_t GetValue2() const { return m_Value2; }

    CGameObj* GetOwner() const;
    CRole* GetOwnerRole() const;
    CGameObj* GetTarget() const;
    CRole* GetTargetRole() const;
    CGamePoint GetTargetPoint() const;

    void SetupEffectLists(const SkillEffect* records, int n);
    int ListCount(int list) const { return list >= 0 && list < kListCount ? static_cast<int>(m_Lists[list].size()) : 0; }
    void ScheduleAreaHit(int32_t shape, int32_t radius, int32_t cells);
    void RunAll(int list, CMagic* magic);
    void RunSelected(int list, CMagic* magic, int32_t code, int32_t arg);
    void RunPeriodic(int list, CMagic* magic, int32_t tick);
    void StepTimers();
    void StepFrameEffects();
    int CanHit(CGameObj* other, int force);
    void HitRole(ObjHandle handle);
    void CopyHitListTo(CMagic* other) const;
    // The area sweeps of effect class 0 (effect_exec.cpp); 1 when
    // something took a hit.
    int HitArea(int32_t shape, int32_t radius, int32_t rangeCells, int32_t flag);

    // Owner-scaled hit, damage and stagger factors, and the per-element
    // percentage of the owner's level row.
    float GetScaledA() const;
    float GetScaledB() const;
    float GetScaledC() const;
    int32_t GetLevelPercent(int i) const;

    // Fields after the object's own.
    int32_t m_Direction = 0;
    int32_t m_TargetX = 0, m_TargetY = 0;
    int32_t m_StartX = 0, m_StartY = 0;
    ObjHandle m_TargetHandle = 0;
    ObjHandle m_OwnerHandle = 0;
    const CSkillDef* m_pSkill = nullptr;
    int32_t m_CastData[4] = {};
    CHitList m_HitList;
    int32_t m_SweepShape = -1;
    int32_t m_SweepRadius = 0;
    int32_t m_SweepCells = 0;
    int32_t m_SweepLastX = -100, m_SweepLastY = -100;
    int32_t m_Pierce = 1;
    int32_t m_HitSomething = 0;
    int32_t m_Value1 = 0;
    int32_t m_Value2 = 0;
    std::vector<const SkillEffect*> m_Lists[kListCount];
    int32_t m_PeriodicEnabled = 1;
    int32_t m_TickCounter = 0;
    int32_t m_NextTimed = 0;
    int32_t m_NextFrame = 0;
    ObjHandle m_ParentHandle = 0;
    int32_t m_Countdown = 0;
    int32_t m_FanFlag = 0;
    // Set on an object that pays its skill's cost itself.
    int32_t m_OwnCost = 0;

private:
    CGameObj* Lookup(ObjHandle handle) const;
    float Scaled(float skillValue, int rowCol) const;
    void Fire(const SkillEffect* record, CMagic* magic, int32_t arg);
};

CMagic* AsMagic(CGameObj* obj);

// The world's hooks that name magic objects (owner, skill kind, active).
void InstallMagicHooks();
