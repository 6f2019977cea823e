#pragma once
// The invisible skill effect that rides on its caster while the skill's
// animation runs (object kind 7). It follows the owner each tick, runs the
// skill's effect lists and drives the owner through up to four stages by
// ordering it: 1 the plain animation, 2 a dash, 3 a leap, 4 a strike.
// Each world keeps its objects in one CAttachedMagicList.
#include <cstdint>

#include "core/geometry.h"
#include "core/containers.h"
#include "roles/magic/magic.h"

class CAttachedMagic : public CMagic {
public:
    CAttachedMagic();

    using CMagic::Init;
    int Init(CGameObj* owner, int32_t skillId, const CGamePoint* point, ObjHandle target);
    int Tick() override;                                 // 5
    int Draw(int) override { return 1; }                 // 6: nothing to see
    int Remove() override;                               // 8
    CGameObj* GetCenterObject() override { return GetOwner(); }  // 11
    CAnimPlayer* GetCurrentPlayer() override;            // 12
    CAnimRes* GetAnimRes() override;                     // 13

    void SetStage(int32_t stage);
    void Detach();
    int32_t GetSkillByte() const;

    int32_t m_Stage = 1;
    int32_t m_FollowUp = 0;
    int32_t m_DetachRequest = 0;
    int32_t m_StageArg = -1;
    int32_t m_SavedX = 0, m_SavedY = 0;
};

// A list node owns its object.
class CAttachedMagicNode : public CObjNode {
public:
    ~CAttachedMagicNode() override;
    CAttachedMagic* m_pMagic = nullptr;
};

class CAttachedMagicList {
public:
    virtual ~CAttachedMagicList();
    // The new object bound to the owner, or null. Point null: no point.
    CMagic* CreateAttachedMagic(ObjHandle owner, int32_t skillId, const CGamePoint* point, ObjHandle target);
    virtual void Step();  // 1
    void RemoveAll();
    int Count() const { return m_List.GetCount(); }

    CObjList m_List;
};

// Packet 9 (9 bytes): type, u16 owner handle, u16 skill id, u16 x, u16 y.
void MakeAttachedMagicPacket(uint8_t* out, ObjHandle owner, int32_t skillId, int32_t x, int32_t y);

// The world's and the scene's hooks for the lists.
void InstallAttachedMagicHooks();
