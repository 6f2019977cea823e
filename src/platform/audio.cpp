#include "platform/audio.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <thread>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace plat {

// Samples shared by a buffer and its duplicates.
struct SampleBlock {
    std::vector<uint8_t> bytes;
    bool lost = false;  // contents gone until the next Restore clears them
};

struct AudioVoice {
    AudioMixer* owner = nullptr;  // cleared when the mixer goes first
    std::shared_ptr<SampleBlock> block;
    uint16_t channels = 1;
    uint16_t bits = 16;
    uint16_t blockAlign = 2;
    uint32_t rate = 22050;
    uint32_t frames = 0;
    uint64_t pos = 0;  // frame index in the high 32 bits, fraction below
    bool playing = false;
    bool looping = false;
    bool lost = false;
    int32_t volume = 0;
    int32_t pan = 0;
    int32_t gainL = 32768;  // Q15, volume and pan combined
    int32_t gainR = 32768;
};

namespace {

constexpr uint32_t kMaxBufferBytes = 0x0FFFFFFF;

void UpdateGains(AudioVoice& v) {
    int32_t l = 0;
    int32_t r = 0;
    PanToSideAttenuation(v.pan, &l, &r);
    v.gainL = GainQ15(v.volume + l);
    v.gainR = GainQ15(v.volume + r);
}

inline int32_t ReadSample(const uint8_t* p, uint16_t bits) {
    if (bits == 8) return (static_cast<int32_t>(p[0]) - 128) * 256;
    return static_cast<int16_t>(static_cast<uint16_t>(p[0] | (p[1] << 8)));
}

} // namespace

bool IsMixableFormat(const WaveFormat& f) {
    if (f.formatTag != WAVE_FORMAT_PCM) return false;
    if (f.channels != 1 && f.channels != 2) return false;
    if (f.bitsPerSample != 8 && f.bitsPerSample != 16) return false;
    if (f.samplesPerSec < 1 || f.samplesPerSec > 384000) return false;
    return f.blockAlign == f.channels * (f.bitsPerSample / 8);
}

float AttenuationToGain(int32_t hundredthsDb) {
    if (hundredthsDb <= DSBVOLUME_MIN) return 0.0f;
    if (hundredthsDb >= 0) return 1.0f;
    return static_cast<float>(std::pow(10.0, hundredthsDb / 2000.0));
}

int32_t GainQ15(int32_t hundredthsDb) {
    if (hundredthsDb <= DSBVOLUME_MIN) return 0;
    if (hundredthsDb >= 0) return 32768;
    return static_cast<int32_t>(std::lround(32768.0 * std::pow(10.0, hundredthsDb / 2000.0)));
}

void PanToSideAttenuation(int32_t pan, int32_t* leftDb, int32_t* rightDb) {
    *leftDb = pan > 0 ? -pan : 0;
    *rightDb = pan < 0 ? pan : 0;
}

// ---- AudioBuffer ---------------------------------------------------------

AudioBuffer::AudioBuffer(std::shared_ptr<AudioVoice> voice, const WaveFormat& fmt, uint32_t size, uint32_t caps)
    : voice_(std::move(voice)), format_(fmt), size_(size), caps_(caps) {}

AudioBuffer::~AudioBuffer() {
    if (voice_->owner) voice_->owner->Unregister(voice_.get());
}

namespace {
// Locks the owner's mutex when there still is an owner.
class VoiceLock {
public:
    explicit VoiceLock(std::mutex* m) {
        if (m) lock_ = std::unique_lock<std::mutex>(*m);
    }

private:
    std::unique_lock<std::mutex> lock_;
};
} // namespace

std::mutex* AudioBuffer::Mu() const { return voice_->owner ? &voice_->owner->mu_ : nullptr; }

int32_t AudioBuffer::Lock(uint32_t offset, uint32_t bytes, void** part1, uint32_t* bytes1, void** part2,
                          uint32_t* bytes2, uint32_t flags) {
    if (!part1 || !bytes1) return E_INVALIDARG;
    if (flags & DSBLOCK_ENTIREBUFFER) {
        offset = 0;
        bytes = size_;
    }
    if (locked_ || offset >= size_ || bytes == 0 || bytes > size_) return E_INVALIDARG;
    VoiceLock lk(Mu());
    if (voice_->lost) return DSERR_BUFFERLOST;
    const uint32_t first = std::min(bytes, size_ - offset);
    const uint32_t second = bytes - first;
    if (second > 0 && (!part2 || !bytes2)) return E_INVALIDARG;
    const auto& src = voice_->block->bytes;
    lockArea_.assign(src.begin() + offset, src.begin() + offset + first);
    lockArea_.insert(lockArea_.end(), src.begin(), src.begin() + second);
    lockOffset_ = offset;
    locked_ = true;
    *part1 = lockArea_.data();
    *bytes1 = first;
    if (part2) *part2 = second ? lockArea_.data() + first : nullptr;
    if (bytes2) *bytes2 = second;
    return DS_OK;
}

int32_t AudioBuffer::Unlock(void* part1, uint32_t bytes1, void* part2, uint32_t bytes2) {
    if (!locked_ || part1 != lockArea_.data()) return E_INVALIDARG;
    const uint32_t first = std::min<uint32_t>(bytes1, size_ - lockOffset_);
    uint32_t second = 0;
    if (part2) {
        const size_t base = static_cast<uint8_t*>(part2) - lockArea_.data();
        if (base > lockArea_.size()) return E_INVALIDARG;
        second = std::min<uint32_t>(bytes2, static_cast<uint32_t>(lockArea_.size() - base));
    }
    {
        VoiceLock lk(Mu());
        auto& dst = voice_->block->bytes;
        std::memcpy(dst.data() + lockOffset_, lockArea_.data(), std::min<size_t>(first, lockArea_.size()));
        if (second) std::memcpy(dst.data(), static_cast<uint8_t*>(part2), second);
    }
    locked_ = false;
    lockArea_.clear();
    lockArea_.shrink_to_fit();
    return DS_OK;
}

int32_t AudioBuffer::Play(uint32_t, uint32_t flags) {
    VoiceLock lk(Mu());
    if (voice_->lost) return DSERR_BUFFERLOST;
    voice_->looping = (flags & DSBPLAY_LOOPING) != 0;
    voice_->playing = true;
    return DS_OK;
}

int32_t AudioBuffer::Stop() {
    VoiceLock lk(Mu());
    voice_->playing = false;
    return DS_OK;
}

int32_t AudioBuffer::SetCurrentPosition(uint32_t byteOffset) {
    if (byteOffset >= size_) return E_INVALIDARG;
    VoiceLock lk(Mu());
    voice_->pos = static_cast<uint64_t>(byteOffset / voice_->blockAlign) << 32;
    return DS_OK;
}

int32_t AudioBuffer::GetCurrentPosition(uint32_t* play, uint32_t* write) const {
    VoiceLock lk(Mu());
    const uint32_t at = static_cast<uint32_t>(voice_->pos >> 32) * voice_->blockAlign;
    if (play) *play = at;
    if (write) *write = at;
    return DS_OK;
}

int32_t AudioBuffer::GetStatus(uint32_t* status) const {
    if (!status) return E_INVALIDARG;
    VoiceLock lk(Mu());
    uint32_t s = 0;
    if (voice_->lost) {
        s = DSBSTATUS_BUFFERLOST;
    } else if (voice_->playing) {
        s = DSBSTATUS_PLAYING | (voice_->looping ? DSBSTATUS_LOOPING : 0);
    }
    *status = s;
    return DS_OK;
}

int32_t AudioBuffer::SetVolume(int32_t v) {
    if (!(caps_ & DSBCAPS_CTRLVOLUME)) return DSERR_CONTROLUNAVAIL;
    if (v < DSBVOLUME_MIN || v > DSBVOLUME_MAX) return E_INVALIDARG;
    VoiceLock lk(Mu());
    voice_->volume = v;
    UpdateGains(*voice_);
    return DS_OK;
}

int32_t AudioBuffer::GetVolume(int32_t* v) const {
    if (!v) return E_INVALIDARG;
    if (!(caps_ & DSBCAPS_CTRLVOLUME)) return DSERR_CONTROLUNAVAIL;
    VoiceLock lk(Mu());
    *v = voice_->volume;
    return DS_OK;
}

int32_t AudioBuffer::SetPan(int32_t pan) {
    if (!(caps_ & DSBCAPS_CTRLPAN)) return DSERR_CONTROLUNAVAIL;
    if (pan < DSBPAN_LEFT || pan > DSBPAN_RIGHT) return E_INVALIDARG;
    VoiceLock lk(Mu());
    voice_->pan = pan;
    UpdateGains(*voice_);
    return DS_OK;
}

int32_t AudioBuffer::GetPan(int32_t* pan) const {
    if (!pan) return E_INVALIDARG;
    if (!(caps_ & DSBCAPS_CTRLPAN)) return DSERR_CONTROLUNAVAIL;
    VoiceLock lk(Mu());
    *pan = voice_->pan;
    return DS_OK;
}

int32_t AudioBuffer::Restore() {
    VoiceLock lk(Mu());
    if (!voice_->lost) return DS_OK;
    AudioMixer* m = voice_->owner;
    if (m && m->failingRestores_ > 0) {
        --m->failingRestores_;
        return DSERR_BUFFERLOST;
    }
    if (voice_->block->lost) {
        std::fill(voice_->block->bytes.begin(), voice_->block->bytes.end(), 0);
        voice_->block->lost = false;
    }
    voice_->lost = false;
    return DS_OK;
}

// ---- AudioMixer ----------------------------------------------------------

AudioMixer::AudioMixer() = default;

AudioMixer::~AudioMixer() {
    std::lock_guard<std::mutex> lk(mu_);
    for (auto& v : voices_) v->owner = nullptr;
}

int32_t AudioMixer::SetOutputFormat(uint16_t channels, uint32_t rate) {
    if ((channels != 1 && channels != 2) || rate < 1 || rate > 384000) return E_INVALIDARG;
    std::lock_guard<std::mutex> lk(mu_);
    outChannels_ = channels;
    outRate_ = rate;
    return DS_OK;
}

uint16_t AudioMixer::OutputChannels() const {
    std::lock_guard<std::mutex> lk(mu_);
    return outChannels_;
}

uint32_t AudioMixer::OutputRate() const {
    std::lock_guard<std::mutex> lk(mu_);
    return outRate_;
}

int32_t AudioMixer::CreateBuffer(const WaveFormat& fmt, uint32_t bytes, uint32_t caps,
                                 std::unique_ptr<AudioBuffer>* out) {
    if (!out) return E_INVALIDARG;
    out->reset();
    if (caps & DSBCAPS_PRIMARYBUFFER) return E_INVALIDARG;
    if (!IsMixableFormat(fmt)) return DSERR_BADFORMAT;
    if (bytes < fmt.blockAlign || bytes > kMaxBufferBytes) return E_INVALIDARG;
    auto v = std::make_shared<AudioVoice>();
    v->block = std::make_shared<SampleBlock>();
    v->block->bytes.assign(bytes, 0);
    v->channels = fmt.channels;
    v->bits = fmt.bitsPerSample;
    v->blockAlign = fmt.blockAlign;
    v->rate = fmt.samplesPerSec;
    v->frames = bytes / fmt.blockAlign;
    v->owner = this;
    Register(v);
    out->reset(new AudioBuffer(v, fmt, bytes, caps));
    return DS_OK;
}

int32_t AudioMixer::DuplicateBuffer(const AudioBuffer& original, std::unique_ptr<AudioBuffer>* out) {
    if (!out) return E_INVALIDARG;
    out->reset();
    if (original.voice_->owner != this) return DSERR_INVALIDCALL;
    auto v = std::make_shared<AudioVoice>();
    {
        std::lock_guard<std::mutex> lk(mu_);
        const AudioVoice& o = *original.voice_;
        v->block = o.block;
        v->channels = o.channels;
        v->bits = o.bits;
        v->blockAlign = o.blockAlign;
        v->rate = o.rate;
        v->frames = o.frames;
        v->lost = o.lost;
        v->owner = this;
        // A duplicate starts stopped, at 0, at full volume and centred.
    }
    Register(v);
    out->reset(new AudioBuffer(v, original.format_, original.size_, original.caps_));
    return DS_OK;
}

void AudioMixer::Register(const std::shared_ptr<AudioVoice>& v) {
    std::lock_guard<std::mutex> lk(mu_);
    voices_.push_back(v);
}

void AudioMixer::Unregister(const AudioVoice* v) {
    std::lock_guard<std::mutex> lk(mu_);
    for (size_t i = 0; i < voices_.size(); ++i) {
        if (voices_[i].get() == v) {
            voices_.erase(voices_.begin() + static_cast<std::ptrdiff_t>(i));
            return;
        }
    }
}

void AudioMixer::LoseAll(int failingRestores) {
    std::lock_guard<std::mutex> lk(mu_);
    for (auto& v : voices_) {
        v->lost = true;
        v->playing = false;
        v->block->lost = true;
    }
    failingRestores_ = failingRestores;
}

int AudioMixer::VoiceCount() const {
    std::lock_guard<std::mutex> lk(mu_);
    return static_cast<int>(voices_.size());
}

int AudioMixer::PlayingCount() const {
    std::lock_guard<std::mutex> lk(mu_);
    int n = 0;
    for (auto& v : voices_) n += v->playing ? 1 : 0;
    return n;
}

void AudioMixer::Mix(int16_t* out, uint32_t frames) {
    std::lock_guard<std::mutex> lk(mu_);
    acc_.assign(static_cast<size_t>(frames) * 2, 0);
    int32_t* acc = acc_.data();
    for (auto& vp : voices_) {
        AudioVoice& v = *vp;
        if (!v.playing || v.lost || v.frames == 0) continue;
        const uint64_t step = (static_cast<uint64_t>(v.rate) << 32) / outRate_;
        const uint8_t* data = v.block->bytes.data();
        const uint64_t end = static_cast<uint64_t>(v.frames) << 32;
        const int32_t gl = v.gainL;
        const int32_t gr = v.gainR;
        const uint16_t ba = v.blockAlign;
        const uint16_t bits = v.bits;
        const uint16_t half = bits / 8;  // byte offset of the right channel
        for (uint32_t i = 0; i < frames; ++i) {
            const uint32_t fi = static_cast<uint32_t>(v.pos >> 32);
            const int32_t frac = static_cast<int32_t>((v.pos >> 17) & 0x7FFF);  // Q15
            uint32_t ni = fi + 1;
            if (ni >= v.frames) ni = v.looping ? 0 : fi;
            const uint8_t* p0 = data + static_cast<size_t>(fi) * ba;
            const uint8_t* p1 = data + static_cast<size_t>(ni) * ba;
            int32_t l0 = ReadSample(p0, bits);
            int32_t l1 = ReadSample(p1, bits);
            int32_t l = l0 + (((l1 - l0) * frac) >> 15);
            int32_t r = l;
            if (v.channels == 2) {
                const int32_t r0 = ReadSample(p0 + half, bits);
                const int32_t r1 = ReadSample(p1 + half, bits);
                r = r0 + (((r1 - r0) * frac) >> 15);
            }
            acc[2 * i] += (l * gl) >> 15;
            acc[2 * i + 1] += (r * gr) >> 15;
            v.pos += step;
            if (v.pos >= end) {
                if (v.looping) {
                    v.pos %= end;
                } else {
                    v.playing = false;
                    v.pos = 0;
                    break;
                }
            }
        }
    }
    if (outChannels_ == 2) {
        for (uint32_t i = 0; i < frames * 2; ++i) out[i] = static_cast<int16_t>(std::clamp(acc[i], -32768, 32767));
    } else {
        for (uint32_t i = 0; i < frames; ++i) {
            out[i] = static_cast<int16_t>(std::clamp((acc[2 * i] + acc[2 * i + 1]) >> 1, -32768, 32767));
        }
    }
}

// ---- AudioDevice ---------------------------------------------------------

int32_t AudioDevice::SetCooperativeLevel(Window*, uint32_t level) {
    return level >= 1 && level <= 3 ? DS_OK : E_INVALIDARG;
}

int32_t AudioDevice::SetPrimaryFormat(uint16_t channels, uint32_t rate, uint16_t bits) {
    if (bits != 8 && bits != 16) return E_INVALIDARG;
    const int32_t hr = mixer_.SetOutputFormat(channels, rate);
    if (hr >= 0) primaryBits_ = bits;
    return hr;
}

int32_t AudioDevice::CreateSoundBuffer(const WaveFormat& fmt, uint32_t bytes, uint32_t caps,
                                       std::unique_ptr<AudioBuffer>* out) {
    return mixer_.CreateBuffer(fmt, bytes, caps, out);
}

int32_t AudioDevice::DuplicateSoundBuffer(const AudioBuffer& original, std::unique_ptr<AudioBuffer>* out) {
    return mixer_.DuplicateBuffer(original, out);
}

// ---- NullAudioDevice -----------------------------------------------------

void NullAudioDevice::Advance(uint32_t frames) {
    const uint16_t ch = mixer_.OutputChannels();
    constexpr uint32_t kChunk = 4096;
    while (frames > 0) {
        const uint32_t n = std::min(frames, kChunk);
        scratch_.resize(static_cast<size_t>(n) * ch);
        mixer_.Mix(scratch_.data(), n);
        if (capture_) captured_.insert(captured_.end(), scratch_.begin(), scratch_.end());
        frames -= n;
    }
}

void NullAudioDevice::AdvanceMs(uint32_t ms) {
    Advance(static_cast<uint32_t>(static_cast<uint64_t>(ms) * mixer_.OutputRate() / 1000));
}

bool NullAudioDevice::WriteCapturedWave(const std::string& path) const {
    const uint16_t ch = mixer_.OutputChannels();
    const uint32_t rate = mixer_.OutputRate();
    const uint32_t dataBytes = static_cast<uint32_t>(captured_.size() * 2);
    std::vector<uint8_t> b;
    auto put32 = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    auto put16 = [&](uint16_t v) {
        b.push_back(static_cast<uint8_t>(v));
        b.push_back(static_cast<uint8_t>(v >> 8));
    };
    auto tag = [&](const char* t) {
        for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(t[i]));
    };
    tag("RIFF");
    put32(36 + dataBytes);
    tag("WAVE");
    tag("fmt ");
    put32(16);
    put16(WAVE_FORMAT_PCM);
    put16(ch);
    put32(rate);
    put32(rate * ch * 2);
    put16(static_cast<uint16_t>(ch * 2));
    put16(16);
    tag("data");
    put32(dataBytes);
    for (int16_t s : captured_) put16(static_cast<uint16_t>(s));
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(b.data(), 1, b.size(), f) == b.size();
    return std::fclose(f) == 0 && ok;
}

// ---- device choice -------------------------------------------------------

namespace {
AudioDeviceFactory& Factory() {
    static AudioDeviceFactory f;
    return f;
}
} // namespace

void SetAudioDeviceFactory(AudioDeviceFactory factory) { Factory() = std::move(factory); }

std::unique_ptr<AudioDevice> OpenAudioDevice() {
    if (Factory()) return Factory()();
    const char* env = std::getenv("VANTREL_AUDIO");
    if (env && std::strcmp(env, "null") == 0) return std::make_unique<NullAudioDevice>();
    std::string why;
    if (auto dev = OpenSdlAudioDevice(&why)) return dev;
    std::fprintf(stderr, "vantrel: no sound device (%s); the game runs without sound\n", why.c_str());
    return std::make_unique<SilentAudioDevice>();
}

// ---- silent device ----------------------------------------------------------

struct SilentAudioDevice::Drain {
    std::thread thread;
    std::mutex mu;
    std::condition_variable cv;
    bool stop = false;
};

SilentAudioDevice::SilentAudioDevice() { Start(); }

SilentAudioDevice::~SilentAudioDevice() { Stop(); }

int32_t SilentAudioDevice::SetPrimaryFormat(uint16_t channels, uint32_t rate, uint16_t bits) {
    // The drain sizes its buffer from the format: it must not run across
    // the change.
    Stop();
    const int32_t hr = AudioDevice::SetPrimaryFormat(channels, rate, bits);
    Start();
    return hr;
}

void SilentAudioDevice::Start() {
    drain_ = std::make_unique<Drain>();
    Drain* d = drain_.get();
    d->thread = std::thread([this, d] {
        using Clock = std::chrono::steady_clock;
        const uint16_t ch = mixer_.OutputChannels();
        const uint64_t rate = mixer_.OutputRate();
        std::vector<int16_t> scratch;
        Clock::time_point start = Clock::now();
        uint64_t done = 0;
        std::unique_lock<std::mutex> lk(d->mu);
        while (!d->cv.wait_for(lk, std::chrono::milliseconds(20), [d] { return d->stop; })) {
            const auto us = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start).count();
            const uint64_t due = static_cast<uint64_t>(us) * rate / 1000000;
            uint64_t frames = due - done;
            if (frames > rate) {
                // Behind by more than a second (the machine slept): skip it.
                done = due - rate;
                frames = rate;
            }
            scratch.resize(static_cast<size_t>(frames) * ch);
            lk.unlock();
            if (frames) mixer_.Mix(scratch.data(), static_cast<uint32_t>(frames));
            lk.lock();
            done += frames;
        }
    });
}

void SilentAudioDevice::Stop() {
    if (!drain_) return;
    {
        std::lock_guard<std::mutex> lk(drain_->mu);
        drain_->stop = true;
    }
    drain_->cv.notify_all();
    if (drain_->thread.joinable()) drain_->thread.join();
    drain_.reset();
}

} // namespace plat
