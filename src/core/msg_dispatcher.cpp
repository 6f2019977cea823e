#include "core/msg_dispatcher.h"

CMsgDispatcher g_MsgDispatcher;

namespace {

void Unlink(CMsgHandler* h) {
    CMsgHandlerList* list = h->m_pList;
    if (!list) return;
    if (h->m_pPrev) h->m_pPrev->m_pNext = h->m_pNext;
    else list->head = h->m_pNext;
    if (h->m_pNext) h->m_pNext->m_pPrev = h->m_pPrev;
    else list->tail = h->m_pPrev;
    --list->count;
    h->m_pList = nullptr;
    h->m_pNext = h->m_pPrev = nullptr;
}

void InsertBefore(CMsgHandlerList* list, CMsgHandler* at, CMsgHandler* h) {
    h->m_pList = list;
    h->m_pNext = at;
    if (at) {
        h->m_pPrev = at->m_pPrev;
        if (at->m_pPrev) at->m_pPrev->m_pNext = h;
        else list->head = h;
        at->m_pPrev = h;
    } else {
        h->m_pPrev = list->tail;
        if (list->tail) list->tail->m_pNext = h;
        else list->head = h;
        list->tail = h;
    }
    ++list->count;
}

bool IsMouseButtonMessage(uint32_t m) { return m == 513 || m == 514 || m == 516 || m == 517; }

} // namespace

CMsgHandler::~CMsgHandler() {
    if (m_Active) Deactivate();
    else Unlink(this);
}

int CMsgHandler::OnMessage(uint32_t, uint32_t, uint32_t) { return m_Active; }

void CMsgHandler::Activate() {
    m_Active = 1;
    if (!m_pList) g_MsgDispatcher.AddHandler(this);
}

void CMsgHandler::Deactivate() {
    m_Active = 0;
    Unlink(this);
}

CMsgDispatcher::~CMsgDispatcher() {
    m_Queue.clear();
    for (CMsgHandlerList& l : m_Layers) {
        while (l.head) Unlink(l.head);
    }
}

void CMsgDispatcher::AddHandler(CMsgHandler* handler) {
    if (!handler) return;
    Unlink(handler);
    CMsgHandlerList* list = &m_Layers[m_Layer & 1];
    CMsgHandler* at = nullptr;
    if (handler->m_Priority != -1) {
        for (CMsgHandler* h = list->head; h; h = h->m_pNext) {
            if (h->m_Priority == -1 || h->m_Priority > handler->m_Priority) {
                at = h;
                break;
            }
        }
    }
    InsertBefore(list, at, handler);
}

void CMsgDispatcher::RemoveHandler(CMsgHandler* handler) {
    if (handler) Unlink(handler);
}

void CMsgDispatcher::Deliver(const CMsgNode& node, bool mouseButton) {
    CMsgHandler* h = m_Layers[m_Layer & 1].head;
    while (h) {
        CMsgHandler* next = h->m_pNext;
        const int keep = h->OnMessage(node.m_Message, node.m_WParam, node.m_LParam);
        // A handler may unlink itself during the call; the pass goes on with
        // the handler that followed it.
        if (h->m_pList) next = h->m_pNext;
        if (!keep) Unlink(h);
        if (mouseButton && m_Consumed) break;
        if (!m_Continue) break;
        h = next;
    }
}

void CMsgDispatcher::Send(uint32_t message, uint32_t wParam, uint32_t lParam) {
    CMsgNode node;
    node.m_Message = message;
    node.m_WParam = wParam;
    node.m_LParam = lParam;
    m_Continue = 1;
    Deliver(node, false);
}

void CMsgDispatcher::Post(uint32_t message, uint32_t wParam, uint32_t lParam) {
    auto node = std::make_unique<CMsgNode>();
    node->m_Message = message;
    node->m_WParam = wParam;
    node->m_LParam = lParam;
    m_Queue.push_back(std::move(node));
}

void CMsgDispatcher::DispatchQueued() {
    // Messages posted by handlers during this pass wait for the next one.
    std::deque<std::unique_ptr<CMsgNode>> pending;
    pending.swap(m_Queue);
    for (const auto& node : pending) {
        m_Continue = 1;
        if (!m_pCapture) m_Consumed = 0;
        const bool mouseButton = IsMouseButtonMessage(node->m_Message);
        if (mouseButton && m_pCapture) {
            CMsgHandler* c = m_pCapture;
            if (!c->OnMessage(node->m_Message, node->m_WParam, node->m_LParam)) Unlink(c);
            continue;
        }
        Deliver(*node, mouseButton);
    }
}

void CMsgDispatcher::SetConsumed(int flag) {
    if (!m_pCapture) m_Consumed = flag;
}
