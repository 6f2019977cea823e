#pragma once
// The two message lists between the server and the client of a running
// game: text commands going to the server's scene manager, and packets going
// to the client. Both are guarded by one re-entrant lock, so a handler that
// posts while a drain holds the lock (same thread) does not deadlock.
#include <cstdint>
#include <string>

#include "core/containers.h"
#include "platform/lock.h"

class CServerCmdNode : public CObjNode {
public:
    CServerCmdNode(const char* text, int sender) : m_Text(text ? text : ""), m_Sender(sender) {}
    std::string m_Text;
    int32_t m_Sender;
};

class CClientMsgNode : public CObjNode {
public:
    // Copies exactly `length` bytes.
    CClientMsgNode(const uint8_t* data, int length);
    ~CClientMsgNode() override;
    CClientMsgNode(const CClientMsgNode&) = delete;
    CClientMsgNode& operator=(const CClientMsgNode&) = delete;
    uint8_t* m_pData = nullptr;
    int32_t m_Length = 0;
};

// A list that destroys the nodes it still holds when it is destroyed.
class CMsgList : public CObjList {
public:
    ~CMsgList() override { RemoveAll(); }
};

extern CMsgList g_ServerCmdList;
extern CMsgList g_ClientMsgList;
extern plat::CriticalSection g_MsgListLock;

// Appends a copy of the text and the sender id, under the lock.
void PostServerCommand(const char* text, int sender);
// Appends a copy of exactly `length` bytes, under the lock; the caller's
// buffer may be reused at once. Nothing is queued for a null buffer or a
// length below 1.
void PostClientMessage(const uint8_t* data, int length);
