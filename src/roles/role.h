#pragma once
// The role classes with the least behaviour a running world needs: on the
// actor's cells, placement, facing and motions a role can be given orders
// (kept, not carried out) and killed, which takes it off the map.
// PLACEHOLDER behaviour until combat and AI are built; the calls the world
// and the scenes make stay.
#include <cstdint>

#include "roles/actor/actor.h"

class CTxtRow;

class CRole : public CActor {
public:
    CRole();
    ~CRole() override;

    // Takes the description and stands on its cell. 0 without one.
    int Init(CObjDesc* desc) override;
    // Keeps the "Role.txt" row.
    int InitModel(const void* model) override;
    // The role's per-frame update: the actor's motion (slots 11 and 12).
    // PLACEHOLDER: states, regeneration and AI come with the role's update.
    void RoleUpdate();
    // Leaves its cell and every client view, then is removed.
    int Remove() override;

    // The scene's client views learn of a move of 128 or more on an axis.
    void NotifyViewsIfMoved();
    // Skipped for a removed or dead role.
    void Die(int32_t mode, int32_t flag);
    void CancelQueuedOrder() { m_QueuedOrder = 0; }
    // Slot 23: kept as the last order.
    void Order(int32_t command, uint32_t a, uint32_t b, uint32_t c, int flag1, int flag2) override;

    int32_t m_Dead = 0;
    int32_t m_DeathMode = 0;
    int32_t m_LastViewX = 0;  // where the client views last learned of it
    int32_t m_LastViewY = 0;
    int32_t m_QueuedOrder = 0;
    int32_t m_OrderCount = 0;
    int32_t m_LastCommand = -1;
    uint32_t m_LastOrder[3] = {};
};

// Object kind 40: every role but the player's character.
class CAiRole : public CRole {
public:
    CAiRole();
};

// Object kind 60: the player's character, data id 1.
class CRole60 : public CRole {
public:
    CRole60();
};

// The role classes into the world's and the scenes' hooks.
void InstallRoleHooks();
