#pragma once
// The sound device and the sound buffers that the effects manager plays:
// CDSoundDevice opens the platform's audio device and sets its output
// format; CSoundBuffer holds one or more device buffers filled with the
// samples of one WAVE file and plays a free one.
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/audio.h"
#include "sound/wave_file.h"

namespace plat { class Window; }

class CSoundBuffer {
public:
    // Fills the first buffer from the file (no repeat) and rewinds them all.
    CSoundBuffer(std::vector<std::unique_ptr<plat::AudioBuffer>> buffers, uint32_t size,
                 std::unique_ptr<CWaveFile> wave);
    virtual ~CSoundBuffer();
    CSoundBuffer(const CSoundBuffer&) = delete;
    CSoundBuffer& operator=(const CSoundBuffer&) = delete;

    plat::AudioBuffer* GetBuffer(int i) const;
    // The first buffer that is not playing; when all play, a random one.
    plat::AudioBuffer* GetFree() const;
    // Brings a lost buffer back, trying a bounded number of times with 10 ms
    // pauses so a device that stays taken cannot hang the game thread.
    // restored = 1 when it was lost and is back.
    int32_t Restore(plat::AudioBuffer* buffer, int* restored);
    // Writes the samples into the whole buffer: from the WAVE file while it
    // is kept, else from the copy kept when it was dropped. The rest is
    // silence (128 for 8-bit, 0 for 16-bit) or, with repeat, the samples
    // again.
    int32_t Fill(plat::AudioBuffer* buffer, int repeat);
    int32_t Play(uint32_t priority, uint32_t flags);
    int32_t Stop();
    int32_t Reset();
    int IsPlaying() const;
    // Closes the WAVE file; its samples stay with this object so a lost
    // buffer can still be refilled.
    void DropWaveFile();

    int GetCount() const { return static_cast<int>(m_Buffers.size()); }
    uint32_t GetSize() const { return m_Size; }
    CWaveFile* GetWaveFile() const { return m_Wave.get(); }

    static constexpr int kMaxRestoreTries = 100;

private:
    // Next bytes of the source; rewind starts again at its first sample.
    uint32_t ReadSource(uint8_t* dst, uint32_t size, bool rewind);

    std::vector<std::unique_ptr<plat::AudioBuffer>> m_Buffers;
    uint32_t m_Size = 0;
    std::unique_ptr<CWaveFile> m_Wave;
    std::vector<uint8_t> m_Samples;  // kept after DropWaveFile
    uint32_t m_SamplePos = 0;
    uint16_t m_Bits = 16;
};

class CDSoundDevice {
public:
    CDSoundDevice() = default;
    ~CDSoundDevice() { Close(); }
    CDSoundDevice(const CDSoundDevice&) = delete;
    CDSoundDevice& operator=(const CDSoundDevice&) = delete;

    // Opens the audio device; 0 even when the output format is refused.
    int32_t Init(plat::Window* window, uint32_t level, uint16_t channels, uint32_t rate, uint16_t bits);
    int32_t SetPrimaryFormat(uint16_t channels, uint32_t rate, uint16_t bits);
    void Close();
    // One device buffer of the file's samples plus count - 1 duplicates.
    // The 3D algorithm is accepted and ignored (the mixer has no 3D).
    int32_t CreateSoundBuffer(std::unique_ptr<CSoundBuffer>* out, const char* fileName, uint32_t flags,
                              int algorithm3d, uint32_t count);

    plat::AudioDevice* GetDevice() const { return m_Device.get(); }

private:
    std::unique_ptr<plat::AudioDevice> m_Device;
};
