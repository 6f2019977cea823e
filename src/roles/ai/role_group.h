#pragma once
// Packs: roles placed with a group key (record words 30-34: 1 joins, then
// the group id and three stored words) fight together. Each object manager
// owns a CRoleGroupMgr (g_WorldHooks.createRoleGroups); a role joins in
// CRole::Init and leaves in its destructor. Every tick, before the roles
// think, the circle group puts its members on a ring around its target and
// times their attacks; a member's own AI leaves the decision to a group of
// two or more.
#include <cstdint>
#include <list>
#include <memory>
#include <vector>

#include "core/geometry.h"

class CRole;

class CRoleGroup {
public:
    CRoleGroup(int32_t type, int32_t id, int32_t a, int32_t b, int32_t c);
    // Members still joined forget the group.
    virtual ~CRoleGroup();
    virtual void AddMember(uint32_t handle);
    virtual void Reset() {}
    // 1 when it acted this tick.
    virtual int Update() { return 0; }
    void RemoveMember(uint32_t handle);
    int32_t GetMemberCount() const { return static_cast<int32_t>(m_Members.size()); }
    // The role's own link: set on joining, cleared by either side's end.
    void Join(CRole* role);
    void Leave(CRole* role);

    std::list<uint32_t> m_Members;
    int32_t m_Type = 0;
    int32_t m_Id = 0;
    int32_t m_Words[3] = {};  // stored, not read
    uint32_t m_Target = 0;
    uint32_t m_Leader = 0;
    int32_t m_Radius = 0;
    int32_t m_AttackCountdown = 0;
    std::vector<CRole*> m_Active;  // rebuilt by each update
    int32_t m_Rotation = 0;
    std::vector<CRole*> m_Joined;
};

class CRoleGroupCircle : public CRoleGroup {
public:
    CRoleGroupCircle(int32_t id, int32_t a, int32_t b, int32_t c) : CRoleGroup(1, id, a, b, c) {}
    void Reset() override;
    int Update() override;
    // Member i's (0-based) pixel point on a ring of radius r around (cx, cy)
    // for n members at this rotation.
    static CGamePoint RingPoint(int32_t cx, int32_t cy, int32_t r, int32_t rotation, int32_t n, int32_t i);
    // One draw: whether an update with nobody stronger than the target
    // plans a group attack (rarer the easier the game).
    static bool PlanAttack();

private:
    void GroupAttack(CRole* target);
};

class CRoleGroupMgr {
public:
    // The group of that type and id; for type 1 a new circle group when
    // none. Null for another unknown type.
    CRoleGroup* AddMember(uint32_t handle, int32_t type, int32_t id, int32_t a, int32_t b, int32_t c);
    CRoleGroup* Find(int32_t type, int32_t id) const;
    void RemoveAll() { m_Groups.clear(); }
    int UpdateAll();
    int32_t GetCount() const { return static_cast<int32_t>(m_Groups.size()); }

    std::list<std::unique_ptr<CRoleGroup>> m_Groups;
};

// The registry's world hooks.
void InstallRoleGroupHooks();
