#pragma once
// Delivers window-style messages (number, wParam, lParam) to registered
// handlers in priority order: at once (Send) or from a queue once per frame
// (DispatchQueued). The display-mode change events go through Send.
#include <cstdint>
#include <deque>
#include <memory>

class CMsgDispatcher;

struct CMsgHandlerList {
    class CMsgHandler* head = nullptr;
    class CMsgHandler* tail = nullptr;
    int count = 0;
};

class CMsgHandler {
public:
    CMsgHandler() = default;
    virtual ~CMsgHandler();
    CMsgHandler(const CMsgHandler&) = delete;
    CMsgHandler& operator=(const CMsgHandler&) = delete;

    // Non-zero keeps the handler registered; the base returns its active
    // flag.
    virtual int OnMessage(uint32_t message, uint32_t wParam, uint32_t lParam);

    // Active and registered with g_MsgDispatcher.
    void Activate();
    // Inactive and unlinked.
    void Deactivate();
    bool IsLinked() const { return m_pList != nullptr; }

    int m_Active = 0;
    CMsgHandlerList* m_pList = nullptr;
    CMsgHandler* m_pNext = nullptr;
    CMsgHandler* m_pPrev = nullptr;
    int m_Priority = -1;  // -1: after all others
};

struct CMsgNode {
    virtual ~CMsgNode() = default;
    int m_Reserved = 0;
    uint32_t m_Message = 0;
    uint32_t m_WParam = 0;
    uint32_t m_LParam = 0;
};

class CMsgDispatcher {
public:
    CMsgDispatcher() = default;
    ~CMsgDispatcher();
    CMsgDispatcher(const CMsgDispatcher&) = delete;
    CMsgDispatcher& operator=(const CMsgDispatcher&) = delete;

    // Priority -1 goes to the tail; otherwise before the first handler whose
    // priority is -1 or greater than its own (equal priorities keep the
    // order of registration).
    void AddHandler(CMsgHandler* handler);
    static void RemoveHandler(CMsgHandler* handler);

    void Send(uint32_t message, uint32_t wParam, uint32_t lParam);
    // Queues a message for the next DispatchQueued.
    void Post(uint32_t message, uint32_t wParam, uint32_t lParam);
    void DispatchQueued();

    // Sets the consumed flag unless a handler captures the mouse buttons.
    void SetConsumed(int flag);
    void SetCapture(CMsgHandler* handler) { m_pCapture = handler; }
    // A handler may clear this to end the current pass.
    void StopPass() { m_Continue = 0; }

    const CMsgHandlerList& Layer(int i) const { return m_Layers[i & 1]; }
    size_t QueuedCount() const { return m_Queue.size(); }

    int m_Consumed = 0;
    CMsgHandler* m_pCapture = nullptr;
    int m_Layer = 0;
    std::deque<std::unique_ptr<CMsgNode>> m_Queue;
    CMsgHandlerList m_Layers[2];
    int m_Continue = 0;

private:
    void Deliver(const CMsgNode& node, bool mouseButton);
};

extern CMsgDispatcher g_MsgDispatcher;
