#pragma once
// Reader of RIFF WAVE files (the game's ".sy" sounds), from disk or from a
// program resource registered in memory. The whole file is read at Open and
// parsed field by field with bounds checks.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/audio.h"

constexpr uint32_t WAVEFILE_READ = 1;

class CWaveFile {
public:
    CWaveFile() = default;
    ~CWaveFile() { Close(); }
    CWaveFile(const CWaveFile&) = delete;
    CWaveFile& operator=(const CWaveFile&) = delete;

    // Opens `name` for reading (flags WAVEFILE_READ; `fmt` is for writing and
    // unused). A name that is no file but a program resource of type "WAVE"
    // or "WAV" opens from memory. E_INVALIDARG for a null name, else E_FAIL.
    int32_t Open(const char* name, const plat::WaveFormat* fmt, uint32_t flags);
    int32_t Close();
    // Checks the RIFF/WAVE form and reads 'fmt '; E_FAIL leaves no format.
    int32_t ReadHeader();
    // Back to the first sample of the 'data' chunk.
    int32_t ResetFile();
    // Copies min(size, bytes left in 'data') bytes.
    int32_t Read(uint8_t* buffer, uint32_t size, uint32_t* read);

    uint32_t GetSize() const { return m_DataSize; }
    // Null until a header was read.
    const plat::WaveFormat* GetFormat() const { return m_HasFormat ? &m_Format : nullptr; }

    // Program resources stand in for resources linked into the executable.
    static void AddProgramResource(const std::string& name, const std::string& type, std::vector<uint8_t> bytes);
    static void ClearProgramResources();

private:
    bool FindChunk(const char* id, uint32_t from, uint32_t* dataPos, uint32_t* size) const;

    std::vector<uint8_t> m_Bytes;  // the whole file
    bool m_Open = false;
    plat::WaveFormat m_Format;
    bool m_HasFormat = false;
    uint32_t m_RiffEnd = 0;   // end of the RIFF chunk's data (bounded by the file)
    uint32_t m_DataPos = 0;   // first byte of 'data'
    uint32_t m_DataSize = 0;  // bytes of 'data' that the file holds
    uint32_t m_ReadPos = 0;   // bytes of 'data' already read
    uint32_t m_Flags = 0;
};
