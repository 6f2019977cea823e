#include "sound/wave_file.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <utility>

#include "core/pack_file.h"
#include "platform/debug.h"
#include "platform/text.h"

namespace {

using ResourceKey = std::pair<std::string, std::string>;  // upper-cased name, type

std::map<ResourceKey, std::vector<uint8_t>>& Resources() {
    static std::map<ResourceKey, std::vector<uint8_t>> r;
    return r;
}

uint16_t Get16(const std::vector<uint8_t>& b, uint32_t at) {
    return static_cast<uint16_t>(b[at] | (b[at + 1] << 8));
}
uint32_t Get32(const std::vector<uint8_t>& b, uint32_t at) {
    return static_cast<uint32_t>(b[at]) | (static_cast<uint32_t>(b[at + 1]) << 8) |
           (static_cast<uint32_t>(b[at + 2]) << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}

// Whole file through the pack-aware file object; false when it does not open.
bool ReadWholeFile(const char* name, std::vector<uint8_t>* out) {
    CPackFile file;
    if (file.Open(name, "rb") == -2) return false;
    const int len = file.GetLength();
    if (len < 0) return false;
    out->assign(static_cast<size_t>(len), 0);
    const bool ok = len == 0 || file.Read(out->data(), 1, len) == len;
    file.Close();
    return ok;
}

} // namespace

void CWaveFile::AddProgramResource(const std::string& name, const std::string& type, std::vector<uint8_t> bytes) {
    Resources()[{plat::UpperGbk(name), plat::UpperGbk(type)}] = std::move(bytes);
}

void CWaveFile::ClearProgramResources() { Resources().clear(); }

int32_t CWaveFile::Open(const char* name, const plat::WaveFormat*, uint32_t flags) {
    if (!name) return plat::E_INVALIDARG;
    Close();
    m_Flags = flags;
    if (flags != WAVEFILE_READ) return plat::E_FAIL;  // writing is not used by the game
    if (!ReadWholeFile(name, &m_Bytes)) {
        const std::string upper = plat::UpperGbk(name);
        auto it = Resources().find({upper, "WAVE"});
        if (it == Resources().end()) it = Resources().find({upper, "WAV"});
        if (it == Resources().end()) return plat::E_FAIL;
        m_Bytes = it->second;
    }
    m_Open = true;
    if (ReadHeader() < 0 || ResetFile() < 0) {
        Close();
        return plat::E_FAIL;
    }
    return plat::DS_OK;
}

int32_t CWaveFile::Close() {
    m_Bytes.clear();
    m_Bytes.shrink_to_fit();
    m_Open = false;
    m_HasFormat = false;
    m_Format = plat::WaveFormat{};
    m_RiffEnd = m_DataPos = m_DataSize = m_ReadPos = 0;
    return plat::DS_OK;
}

// Walks the chunks from `from` to the RIFF end; each chunk is padded to an
// even length. A chunk that runs past the file still matches, with its size
// cut to what the file holds.
bool CWaveFile::FindChunk(const char* id, uint32_t from, uint32_t* dataPos, uint32_t* size) const {
    uint32_t at = from;
    while (at + 8 <= m_RiffEnd) {
        const uint32_t len = Get32(m_Bytes, at + 4);
        const uint32_t data = at + 8;
        const uint32_t avail = m_RiffEnd - data;
        if (std::memcmp(&m_Bytes[at], id, 4) == 0) {
            *dataPos = data;
            *size = std::min(len, avail);
            return true;
        }
        if (len >= avail) break;
        at = data + len + (len & 1);
    }
    return false;
}

int32_t CWaveFile::ReadHeader() {
    m_HasFormat = false;
    m_Format = plat::WaveFormat{};
    if (!m_Open || m_Bytes.size() < 12) return plat::E_FAIL;
    if (std::memcmp(m_Bytes.data(), "RIFF", 4) != 0 || std::memcmp(&m_Bytes[8], "WAVE", 4) != 0) {
        return plat::E_FAIL;
    }
    const uint64_t riffEnd = 8ull + Get32(m_Bytes, 4);
    m_RiffEnd = static_cast<uint32_t>(std::min<uint64_t>(riffEnd, m_Bytes.size()));
    uint32_t pos = 0;
    uint32_t size = 0;
    if (!FindChunk("fmt ", 12, &pos, &size) || size < 16) return plat::E_FAIL;
    plat::WaveFormat f;
    f.formatTag = Get16(m_Bytes, pos);
    f.channels = Get16(m_Bytes, pos + 2);
    f.samplesPerSec = Get32(m_Bytes, pos + 4);
    f.avgBytesPerSec = Get32(m_Bytes, pos + 8);
    f.blockAlign = Get16(m_Bytes, pos + 12);
    f.bitsPerSample = Get16(m_Bytes, pos + 14);
    if (f.formatTag != plat::WAVE_FORMAT_PCM) {
        // The extra bytes and their count must lie inside the chunk.
        if (size < 18) return plat::E_FAIL;
        const uint16_t extra = Get16(m_Bytes, pos + 16);
        if (18u + extra > size) return plat::E_FAIL;
        f.extra.assign(m_Bytes.begin() + pos + 18, m_Bytes.begin() + pos + 18 + extra);
    }
    m_Format = std::move(f);
    m_HasFormat = true;
    return plat::DS_OK;
}

int32_t CWaveFile::ResetFile() {
    if (!m_Open || !m_HasFormat) return plat::E_FAIL;
    uint32_t pos = 0;
    uint32_t size = 0;
    if (!FindChunk("data", 12, &pos, &size)) return plat::E_FAIL;
    const uint32_t declared = Get32(m_Bytes, pos - 4);
    if (size < declared) {
        plat::DebugPrintf("CWaveFile: data chunk holds %u of %u bytes\n", size, declared);
    }
    m_DataPos = pos;
    m_DataSize = size;
    m_ReadPos = 0;
    return plat::DS_OK;
}

int32_t CWaveFile::Read(uint8_t* buffer, uint32_t size, uint32_t* read) {
    if (read) *read = 0;
    if (!m_Open || !buffer) return plat::E_FAIL;
    const uint32_t n = std::min(size, m_DataSize - m_ReadPos);
    if (n) std::memcpy(buffer, &m_Bytes[m_DataPos + m_ReadPos], n);
    m_ReadPos += n;
    if (read) *read = n;
    return plat::DS_OK;
}
