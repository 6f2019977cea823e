#include "sound/sound_device.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "platform/clock.h"
#include "platform/debug.h"
#include "platform/random.h"

// ---- CSoundBuffer --------------------------------------------------------

CSoundBuffer::CSoundBuffer(std::vector<std::unique_ptr<plat::AudioBuffer>> buffers, uint32_t size,
                           std::unique_ptr<CWaveFile> wave)
    : m_Buffers(std::move(buffers)), m_Size(size), m_Wave(std::move(wave)) {
    if (m_Wave && m_Wave->GetFormat()) m_Bits = m_Wave->GetFormat()->bitsPerSample;
    if (!m_Buffers.empty()) Fill(m_Buffers[0].get(), 0);
    Reset();
}

CSoundBuffer::~CSoundBuffer() = default;

plat::AudioBuffer* CSoundBuffer::GetBuffer(int i) const {
    if (i < 0 || i >= GetCount()) return nullptr;
    return m_Buffers[static_cast<size_t>(i)].get();
}

plat::AudioBuffer* CSoundBuffer::GetFree() const {
    if (m_Buffers.empty()) return nullptr;
    for (const auto& b : m_Buffers) {
        uint32_t status = 0;
        b->GetStatus(&status);
        if (!(status & plat::DSBSTATUS_PLAYING)) return b.get();
    }
    return m_Buffers[static_cast<size_t>(plat::Rand() % GetCount())].get();
}

int32_t CSoundBuffer::Restore(plat::AudioBuffer* buffer, int* restored) {
    if (restored) *restored = 0;
    if (!buffer) return plat::E_INVALIDARG;
    uint32_t status = 0;
    int32_t hr = buffer->GetStatus(&status);
    if (hr < 0) return hr;
    if (!(status & plat::DSBSTATUS_BUFFERLOST)) return plat::DS_OK;
    for (int tries = 0; tries < kMaxRestoreTries; ++tries) {
        hr = buffer->Restore();
        if (hr >= 0) {
            if (restored) *restored = 1;
            return plat::DS_OK;
        }
        if (hr != plat::DSERR_BUFFERLOST) return hr;
        plat::SleepMs(10);
    }
    plat::DebugPrintf("CSoundBuffer::Restore: buffer still lost after %d tries\n", kMaxRestoreTries);
    return plat::DSERR_BUFFERLOST;
}

uint32_t CSoundBuffer::ReadSource(uint8_t* dst, uint32_t size, bool rewind) {
    if (m_Wave) {
        if (rewind && m_Wave->ResetFile() < 0) return 0;
        uint32_t got = 0;
        if (m_Wave->Read(dst, size, &got) < 0) return 0;
        return got;
    }
    if (rewind) m_SamplePos = 0;
    const uint32_t n = std::min<uint32_t>(size, static_cast<uint32_t>(m_Samples.size()) - m_SamplePos);
    if (n) std::memcpy(dst, m_Samples.data() + m_SamplePos, n);
    m_SamplePos += n;
    return n;
}

int32_t CSoundBuffer::Fill(plat::AudioBuffer* buffer, int repeat) {
    if (!buffer) return plat::E_INVALIDARG;
    int restored = 0;
    int32_t hr = Restore(buffer, &restored);
    if (hr < 0) return hr;
    void* p1 = nullptr;
    uint32_t n1 = 0;
    hr = buffer->Lock(0, m_Size, &p1, &n1, nullptr, nullptr, plat::DSBLOCK_ENTIREBUFFER);
    if (hr < 0) return hr;
    auto* dst = static_cast<uint8_t*>(p1);
    const uint8_t silence = m_Bits == 8 ? 128 : 0;
    uint32_t filled = ReadSource(dst, n1, true);
    if (filled == 0) {
        std::memset(dst, silence, n1);
    } else if (filled < n1) {
        if (repeat) {
            while (filled < n1) {
                const uint32_t got = ReadSource(dst + filled, n1 - filled, true);
                if (got == 0) break;
                filled += got;
            }
        }
        if (filled < n1) std::memset(dst + filled, silence, n1 - filled);
    }
    return buffer->Unlock(p1, n1, nullptr, 0);
}

int32_t CSoundBuffer::Play(uint32_t priority, uint32_t flags) {
    plat::AudioBuffer* b = GetFree();
    if (!b) return plat::E_FAIL;
    int restored = 0;
    int32_t hr = Restore(b, &restored);
    if (hr < 0) return hr;
    if (restored) {
        hr = Fill(b, 0);
        if (hr < 0) return hr;
        Reset();
    }
    return b->Play(priority, flags);
}

int32_t CSoundBuffer::Stop() {
    int32_t hr = plat::DS_OK;
    for (auto& b : m_Buffers) {
        const int32_t r = b->Stop();
        if (r < 0) hr = r;
    }
    return hr;
}

int32_t CSoundBuffer::Reset() {
    int32_t hr = plat::DS_OK;
    for (auto& b : m_Buffers) {
        const int32_t r = b->SetCurrentPosition(0);
        if (r < 0) hr = r;
    }
    return hr;
}

int CSoundBuffer::IsPlaying() const {
    for (const auto& b : m_Buffers) {
        uint32_t status = 0;
        b->GetStatus(&status);
        if (status & plat::DSBSTATUS_PLAYING) return 1;
    }
    return 0;
}

void CSoundBuffer::DropWaveFile() {
    if (!m_Wave) return;
    m_Samples.assign(m_Wave->GetSize(), 0);
    uint32_t got = 0;
    if (m_Wave->ResetFile() < 0 || m_Wave->Read(m_Samples.data(), m_Wave->GetSize(), &got) < 0) got = 0;
    m_Samples.resize(got);
    m_SamplePos = 0;
    m_Wave.reset();
}

// ---- CDSoundDevice -------------------------------------------------------

int32_t CDSoundDevice::Init(plat::Window* window, uint32_t level, uint16_t channels, uint32_t rate,
                            uint16_t bits) {
    Close();
    m_Device = plat::OpenAudioDevice();
    if (!m_Device) return plat::DSERR_NODRIVER;
    const int32_t hr = m_Device->SetCooperativeLevel(window, level);
    if (hr < 0) {
        m_Device.reset();
        return hr;
    }
    SetPrimaryFormat(channels, rate, bits);
    return plat::DS_OK;
}

int32_t CDSoundDevice::SetPrimaryFormat(uint16_t channels, uint32_t rate, uint16_t bits) {
    if (!m_Device) return plat::CO_E_NOTINITIALIZED;
    return m_Device->SetPrimaryFormat(channels, rate, bits);
}

void CDSoundDevice::Close() { m_Device.reset(); }

int32_t CDSoundDevice::CreateSoundBuffer(std::unique_ptr<CSoundBuffer>* out, const char* fileName, uint32_t flags,
                                         int, uint32_t count) {
    if (!m_Device) return plat::CO_E_NOTINITIALIZED;
    if (!fileName || !out || count == 0) return plat::E_INVALIDARG;
    out->reset();
    auto wave = std::unique_ptr<CWaveFile>(new (std::nothrow) CWaveFile);
    if (!wave) return plat::E_OUTOFMEMORY;
    int32_t hr = wave->Open(fileName, nullptr, WAVEFILE_READ);
    if (hr < 0) return hr;
    if (wave->GetSize() == 0) return plat::E_FAIL;
    std::vector<std::unique_ptr<plat::AudioBuffer>> buffers(count);
    hr = m_Device->CreateSoundBuffer(*wave->GetFormat(), wave->GetSize(), flags, &buffers[0]);
    if (hr < 0) return hr;
    for (uint32_t i = 1; i < count; ++i) {
        const int32_t d = m_Device->DuplicateSoundBuffer(*buffers[0], &buffers[i]);
        if (d < 0) return d;
    }
    const uint32_t size = wave->GetSize();
    *out = std::make_unique<CSoundBuffer>(std::move(buffers), size, std::move(wave));
    return hr;
}
