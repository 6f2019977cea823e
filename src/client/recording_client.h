#pragma once
// The client the game host creates: a CClient that can write every packet
// it handles into a recording, interleaved with markers of the game tick
// and of the viewer id.
//
// Recorded stream: records of {u32 length n, n bytes}; a body is a packet
// as the client handled it (byte 0 its type) or a 6-byte marker {0x40,
// kind, u32 value}, kind 0 the game tick (the game object's tick counter),
// 5 the viewer id. Mode 1 records; VANTREL_PACKET_RECORD=<file> turns it on
// for a run (OpenRecordFileFromEnv).
#include <cstdint>
#include <string>
#include <vector>

#include "client/client.h"

constexpr int kRecordOff = 0;
constexpr int kRecordOn = 1;
constexpr int kRecordPlayback = 2;
constexpr uint8_t kMarkerTick = 0;
constexpr uint8_t kMarkerViewer = 5;

class CRecordingClient : public CClient {
public:
    CRecordingClient();
    ~CRecordingClient() override = default;

    // Slot 0: the receiving entry. Each pending text line is handled once
    // as a text packet, then the packet with its table length, then the
    // lines are cleared.
    void Send(const uint8_t* packet, int target) override;
    using CClient::Send;
    void Receive(const uint8_t* packet);
    void HandlePacket(const uint8_t* data, int length) override;
    void SetViewerId(int32_t id);

    std::string m_Spare;
    uint32_t m_Words[3] = {0, 0, 0};

    // Test-visible log of what reached HandlePacket: each packet other than
    // text, whole, with the texts of the text packets since the last one.
    struct Received {
        std::vector<uint8_t> bytes;
        std::vector<std::string> textBefore;
    };
    std::vector<Received> m_Received;

private:
    std::vector<std::string> m_LogText;
};

int GetRecordMode();
void SetRecordMode(int mode);
// Opens `path` for recording and turns mode 1 on: 1, or 0 with one stderr
// line naming the file and the reason (the game goes on without).
int OpenRecordFile(const char* path);
// VANTREL_PACKET_RECORD, when set and no recording is open yet.
void OpenRecordFileFromEnv();
void CloseRecordFile();
void RecordPacket(const uint8_t* data, int length);
// The tick of the last marker (-1 before the first).
uint32_t GetLastRecordTick();
