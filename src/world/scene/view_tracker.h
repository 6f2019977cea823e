#pragma once
// What one client of a server scene has been told: the roles it has seen
// appear, the building states it knows and the other objects it was shown.
// The scene hands every role movement, removal, building state change and
// object show or hide to each tracker, which sends the client what it must
// learn. The tracker also holds where the client's role is created, its
// handle and its player record.
#include <cstdint>
#include <string>

#include "core/containers.h"
#include "core/geometry.h"

class CGameObj;
class CRoleData;

class CViewEntry : public CObjNode {
public:
    int32_t m_State = 0;  // seen roles: 0 in view, 100 out; buildings: state sent
    uint32_t m_Handle = 0;
};

class CViewTracker : public CObjNode {
public:
    static constexpr int32_t kViewWidth = 2560;
    static constexpr int32_t kViewHeight = 1920;
    static constexpr int32_t kOutOfView = 100;

    CViewTracker() = default;
    ~CViewTracker() override;

    void Init(int32_t clientId, const CGamePoint& pos, int32_t dir);
    CGamePoint GetEntryPos() const { return {m_EntryX, m_EntryY}; }
    // The role of the handle in the current world; null when stale.
    CGameObj* GetOwnerRole() const;
    // Bound to the role: its record, a 2560 x 1920 view centred on it, and
    // the view pending until the client places it.
    void Bind(uint32_t roleHandle);
    // A role moved: announce it when the client must learn of it.
    void UpdateView(uint32_t handle);
    void Untrack(uint32_t handle);
    void TrackBuilding(uint32_t handle, int on);
    void TrackObject(uint32_t handle, int on);
    // Packet 241: the client gives up and returns to its revive scene.
    void OnRoleLeaves();
    void ShowDeathNotice();
    // (x, y) within the view rectangle.
    int ViewHolds(int32_t x, int32_t y) const;
    int HasSeen(uint32_t handle) const;
    // The entry of a handle in one of the three lists; null when none.
    static CViewEntry* FindEntry(const CObjList& list, uint32_t handle);

    int32_t m_Left = 0;
    int32_t m_Top = 0;
    int32_t m_Width = 0;
    int32_t m_Height = 0;
    int32_t m_Bound = 0;
    int32_t m_ClientId = 0;
    uint32_t m_RoleHandle = 0xFFFFFFFFu;
    std::string m_FromScene;
    int32_t m_EntryX = 0;
    int32_t m_EntryY = 0;
    int32_t m_EntryDir = 0;
    int32_t m_ViewPending = 0;
    CObjList m_SeenRoles;
    CRoleData* m_pRecord = nullptr;
    CObjList m_Buildings;
    CObjList m_Shown;
};
