#include "client/recording_client.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "client/client_hooks.h"
#include "core/packet.h"

namespace {

int g_RecordMode = kRecordOff;
FILE* g_RecordFile = nullptr;
uint32_t g_LastMarkedTick = 0xFFFFFFFFu;
bool g_EnvTried = false;

void WriteRecord(const uint8_t* body, uint32_t n) {
    if (!g_RecordFile) return;
    uint8_t head[4];
    PutU32(head, n);
    std::fwrite(head, 1, 4, g_RecordFile);
    std::fwrite(body, 1, n, g_RecordFile);
    // A run that is killed still leaves what it recorded.
    std::fflush(g_RecordFile);
}

void Marker(uint8_t kind, uint32_t value, uint8_t out[6]) {
    out[0] = 0x40;
    out[1] = kind;
    PutU32(out + 2, value);
}

} // namespace

int GetRecordMode() { return g_RecordMode; }
void SetRecordMode(int mode) { g_RecordMode = mode; }
uint32_t GetLastRecordTick() { return g_LastMarkedTick; }

int OpenRecordFile(const char* path) {
    CloseRecordFile();
    FILE* f = path && *path ? std::fopen(path, "wb") : nullptr;
    if (!f) {
        std::fprintf(stderr, "vantrel: cannot record packets to \"%s\": %s; the game goes on without recording\n",
                     path ? path : "", path && *path ? std::strerror(errno) : "no file name");
        return 0;
    }
    g_RecordFile = f;
    g_RecordMode = kRecordOn;
    g_LastMarkedTick = 0xFFFFFFFFu;
    return 1;
}

void OpenRecordFileFromEnv() {
    if (g_EnvTried) return;
    g_EnvTried = true;
    if (const char* path = std::getenv("VANTREL_PACKET_RECORD")) OpenRecordFile(path);
}

void CloseRecordFile() {
    if (g_RecordMode == kRecordOn) {
        g_RecordMode = kRecordOff;
        if (g_RecordFile) std::fclose(g_RecordFile);
        g_RecordFile = nullptr;
    }
}

void RecordPacket(const uint8_t* data, int length) {
    if (g_RecordMode != kRecordOn) return;
    const uint32_t tick = g_ClientHooks.tickCount ? g_ClientHooks.tickCount() : 0;
    if (tick != g_LastMarkedTick) {
        g_LastMarkedTick = tick;
        uint8_t m[6];
        Marker(kMarkerTick, tick, m);
        WriteRecord(m, 6);
    }
    if (data && length > 0) WriteRecord(data, static_cast<uint32_t>(length));
}

CRecordingClient::CRecordingClient() { SetViewerId(-1); }

void CRecordingClient::SetViewerId(int32_t id) {
    m_ViewerId = id;
    uint8_t m[6];
    Marker(kMarkerViewer, static_cast<uint32_t>(id), m);
    RecordPacket(m, 6);
}

void CRecordingClient::Send(const uint8_t* packet, int) { Receive(packet); }

void CRecordingClient::Receive(const uint8_t* packet) {
    // Handling a text packet adds to the pending lines: take them out
    // first, so each is handled exactly once.
    std::vector<std::string> lines = std::move(m_TextLines);
    m_TextLines.clear();
    for (const std::string& line : lines) {
        uint8_t* text = nullptr;
        int n = 0;
        MakeTextPacket(line.c_str(), &text, &n);
        HandlePacket(text, n);
        delete[] text;
    }
    if (packet) HandlePacket(packet, GetPacketLength(packet));
    ClearTextLines();
}

void CRecordingClient::HandlePacket(const uint8_t* data, int length) {
    if (g_RecordMode == kRecordOn) RecordPacket(data, length);
    if (data && length > 0) {
        if (data[0] == kPacketText) {
            const void* nul = std::memchr(data + 1, 0, static_cast<size_t>(length - 1));
            const size_t n = nul ? static_cast<size_t>(static_cast<const uint8_t*>(nul) - (data + 1))
                                 : static_cast<size_t>(length - 1);
            m_LogText.emplace_back(reinterpret_cast<const char*>(data + 1), n);
        } else {
            m_Received.push_back({std::vector<uint8_t>(data, data + length), std::move(m_LogText)});
            m_LogText.clear();
        }
    }
    CClient::HandlePacket(data, length);
}
