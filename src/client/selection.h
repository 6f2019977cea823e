#pragma once
// The player side's record of roles: which is the player's own (GetRole is
// how every subsystem reaches it), which are selected, what lies under the
// cursor and which hostile role is the current target. It is also the only
// way the player side gives orders: SendCommand builds the 18-byte command
// packet (type 240) and hands it to the client.
//
// Handles are kept as the 16 bits the packets carry and resolved in the
// current world with ResolveHandle16.
#include <cstdint>

class CSlotTable60;
class CRole;

// Flags a role carries for the selection.
constexpr uint32_t kSelFlagMarked = 64;
constexpr uint32_t kSelFlagTarget = 128;
constexpr uint32_t kSelFlagHover = 256;
// A target this far (pixels) or further is dropped on a thirteenth tick.
constexpr int kTargetDropDistance = 577;

class CSelection {
public:
    CSelection();
    ~CSelection();
    CSelection(const CSelection&) = delete;
    CSelection& operator=(const CSelection&) = delete;

    void Reset();
    // 0 when already listed; else 1 (also when the handle does not resolve
    // to a role, which is then not stored).
    int Add(uint32_t handle);
    int Remove(uint32_t handle);
    int Clear();
    int Contains(uint32_t handle) const;
    int Count() const;
    void SelectOnly(uint32_t handle);
    void SetLead(uint32_t handle) { m_PendingOwn = handle; }
    void SetHover(uint32_t handle);
    void SetMarked(uint32_t handle);
    // The own role in the current world; null when gone.
    CRole* GetRole() const;
    void SetTarget(uint32_t handle);
    // Always 1; sends only while the own role exists.
    int SendCommand(int code, int32_t a, int32_t b, int32_t c);
    void Update();
    void AutoTarget(int index);

    uint32_t m_OwnTarget = 0;
    uint32_t m_Hover = 0;
    uint32_t m_Own = 0;
    uint32_t m_PendingOwn = 0;
    uint32_t m_Marked = 0;
    CSlotTable60* m_pList = nullptr;
    uint32_t m_Changed = 0;
    uint32_t m_AutoMarked = 0;

private:
    void TrackTarget();
    int Find(uint32_t handle) const;
    void Unlink(int slot);
    // Linked list over the table: previous and next slot, head and tail.
    int32_t m_Prev[60];
    int32_t m_Next[60];
    int32_t m_Head = -1;
    int32_t m_Tail = -1;
};

extern CSelection* g_Selection;
// A role of the current world by its 16-bit handle; null for 0 and for
// anything that is not a role.
CRole* ClientRoleByHandle(uint32_t handle);
