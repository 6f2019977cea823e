#include "core/msg_lists.h"

#include <cstring>

CMsgList g_ServerCmdList;
CMsgList g_ClientMsgList;
plat::CriticalSection g_MsgListLock;

CClientMsgNode::CClientMsgNode(const uint8_t* data, int length) {
    if (data && length > 0) {
        m_pData = new uint8_t[static_cast<size_t>(length)];
        std::memcpy(m_pData, data, static_cast<size_t>(length));
        m_Length = length;
    }
}

CClientMsgNode::~CClientMsgNode() { delete[] m_pData; }

void PostServerCommand(const char* text, int sender) {
    plat::LockGuard lock(g_MsgListLock);
    g_ServerCmdList.AddTail(new CServerCmdNode(text, sender));
}

void PostClientMessage(const uint8_t* data, int length) {
    if (!data || length < 1) return;
    plat::LockGuard lock(g_MsgListLock);
    g_ClientMsgList.AddTail(new CClientMsgNode(data, length));
}
