#pragma once
// Sound-effect output: a software mixer of secondary buffers standing where
// the sound device stood, and the devices that drain it (SDL audio, or a
// null device with a virtual clock for tests and headless runs).
//
// Results are the sound device's codes: 0 or positive success, negative
// failure. Volumes are attenuations in hundredths of a decibel (-10000..0,
// gain 10^(v/2000), -10000 silent); pans run -10000 (left only) .. 10000
// (right only), the far side attenuated by |pan| hundredths of a decibel.
//
// Every buffer operation takes the mixer's lock, so an audio thread may mix
// while the game thread starts and stops buffers.
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace plat {

class Window;

// Result codes kept as the game's logic and logs know them.
constexpr int32_t DS_OK = 0;
constexpr int32_t DS_NO_VIRTUALIZATION = 0x0878000A;
constexpr int32_t E_FAIL = static_cast<int32_t>(0x80004005u);
constexpr int32_t E_INVALIDARG = static_cast<int32_t>(0x80070057u);
constexpr int32_t E_OUTOFMEMORY = static_cast<int32_t>(0x8007000Eu);
constexpr int32_t CO_E_NOTINITIALIZED = static_cast<int32_t>(0x800401F0u);
constexpr int32_t DSERR_BUFFERLOST = static_cast<int32_t>(0x88780096u);
constexpr int32_t DSERR_NODRIVER = static_cast<int32_t>(0x88780078u);
constexpr int32_t DSERR_INVALIDCALL = static_cast<int32_t>(0x88780032u);
constexpr int32_t DSERR_BADFORMAT = static_cast<int32_t>(0x88780064u);
constexpr int32_t DSERR_CONTROLUNAVAIL = static_cast<int32_t>(0x8878001Eu);

// Buffer capabilities, play flags, status bits, lock flags, levels.
constexpr uint32_t DSBCAPS_PRIMARYBUFFER = 0x1;
constexpr uint32_t DSBCAPS_CTRLPAN = 0x40;
constexpr uint32_t DSBCAPS_CTRLVOLUME = 0x80;
constexpr uint32_t DSBPLAY_LOOPING = 0x1;
constexpr uint32_t DSBSTATUS_PLAYING = 0x1;
constexpr uint32_t DSBSTATUS_BUFFERLOST = 0x2;
constexpr uint32_t DSBSTATUS_LOOPING = 0x4;
constexpr uint32_t DSBLOCK_ENTIREBUFFER = 0x2;
constexpr uint32_t DSSCL_PRIORITY = 2;
constexpr int32_t DSBVOLUME_MIN = -10000;
constexpr int32_t DSBVOLUME_MAX = 0;
constexpr int32_t DSBPAN_LEFT = -10000;
constexpr int32_t DSBPAN_RIGHT = 10000;

constexpr uint16_t WAVE_FORMAT_PCM = 1;

struct WaveFormat {
    uint16_t formatTag = WAVE_FORMAT_PCM;
    uint16_t channels = 0;
    uint32_t samplesPerSec = 0;
    uint32_t avgBytesPerSec = 0;
    uint16_t blockAlign = 0;
    uint16_t bitsPerSample = 0;
    std::vector<uint8_t> extra;  // bytes after the count, for non-PCM tags
};

// PCM 8- or 16-bit, mono or stereo, 1 Hz .. 384 kHz, consistent alignment.
bool IsMixableFormat(const WaveFormat& fmt);

// Linear gain of an attenuation / of a pan's two sides, as the mixer uses.
float AttenuationToGain(int32_t hundredthsDb);
// Q15 fixed-point gain the mixer multiplies samples by (32768 = unity).
int32_t GainQ15(int32_t hundredthsDb);
void PanToSideAttenuation(int32_t pan, int32_t* leftDb, int32_t* rightDb);

class AudioMixer;
struct AudioVoice;

// One secondary buffer. Duplicates share their samples (writing through one
// is heard through all) but keep their own cursor, volume and pan.
class AudioBuffer {
public:
    ~AudioBuffer();
    AudioBuffer(const AudioBuffer&) = delete;
    AudioBuffer& operator=(const AudioBuffer&) = delete;

    // Hands out the region [offset, offset+bytes) of the ring (two parts
    // when it wraps); DSBLOCK_ENTIREBUFFER locks everything. Written bytes
    // reach the samples at Unlock. One lock at a time.
    int32_t Lock(uint32_t offset, uint32_t bytes, void** part1, uint32_t* bytes1, void** part2,
                 uint32_t* bytes2, uint32_t flags);
    int32_t Unlock(void* part1, uint32_t bytes1, void* part2, uint32_t bytes2);

    int32_t Play(uint32_t priority, uint32_t flags);
    int32_t Stop();
    int32_t SetCurrentPosition(uint32_t byteOffset);
    int32_t GetCurrentPosition(uint32_t* play, uint32_t* write) const;
    int32_t GetStatus(uint32_t* status) const;
    int32_t SetVolume(int32_t hundredthsDb);  // needs DSBCAPS_CTRLVOLUME
    int32_t GetVolume(int32_t* hundredthsDb) const;
    int32_t SetPan(int32_t pan);  // needs DSBCAPS_CTRLPAN
    int32_t GetPan(int32_t* pan) const;
    // Brings a lost buffer back; its samples are undefined (silence here)
    // until refilled. DSERR_BUFFERLOST while the device is still taken.
    int32_t Restore();

    const WaveFormat& Format() const { return format_; }
    uint32_t Size() const { return size_; }
    uint32_t Caps() const { return caps_; }

private:
    friend class AudioMixer;
    AudioBuffer(std::shared_ptr<AudioVoice> voice, const WaveFormat& fmt, uint32_t size, uint32_t caps);
    std::mutex* Mu() const;
    std::shared_ptr<AudioVoice> voice_;
    WaveFormat format_;
    uint32_t size_;
    uint32_t caps_;
    std::vector<uint8_t> lockArea_;
    uint32_t lockOffset_ = 0;
    bool locked_ = false;
};

// The mixer: owns the voice list; Mix adds every playing voice into an
// interleaved 16-bit output block. Thread-safe.
class AudioMixer {
public:
    AudioMixer();
    ~AudioMixer();
    AudioMixer(const AudioMixer&) = delete;
    AudioMixer& operator=(const AudioMixer&) = delete;

    // Output format: channels 1 or 2, any rate; samples are always 16-bit.
    int32_t SetOutputFormat(uint16_t channels, uint32_t rate);
    uint16_t OutputChannels() const;
    uint32_t OutputRate() const;

    int32_t CreateBuffer(const WaveFormat& fmt, uint32_t bytes, uint32_t caps, std::unique_ptr<AudioBuffer>* out);
    int32_t DuplicateBuffer(const AudioBuffer& original, std::unique_ptr<AudioBuffer>* out);

    // Writes `frames` output frames into `out` (frames x channels samples),
    // advancing every playing voice.
    void Mix(int16_t* out, uint32_t frames);

    // The device was taken by another program: every buffer is lost, and
    // the next `failingRestores` Restore calls still fail. For tests and
    // for a backend that loses its output.
    void LoseAll(int failingRestores = 0);

    int VoiceCount() const;    // buffers alive
    int PlayingCount() const;  // buffers playing

private:
    friend class AudioBuffer;
    void Register(const std::shared_ptr<AudioVoice>& v);
    void Unregister(const AudioVoice* v);
    mutable std::mutex mu_;
    std::vector<std::shared_ptr<AudioVoice>> voices_;
    std::vector<int32_t> acc_;  // per-call accumulation, reused
    uint16_t outChannels_ = 2;
    uint32_t outRate_ = 22050;
    int failingRestores_ = 0;
};

// A device the game opens at start-up. Owns the mixer; the backend drains it.
class AudioDevice {
public:
    virtual ~AudioDevice() = default;
    // Level 2 (priority) is the one the game asks for; the window may be null.
    virtual int32_t SetCooperativeLevel(Window* window, uint32_t level);
    // Sets the output format (primary buffer): channels 1-2, bits 8 or 16.
    virtual int32_t SetPrimaryFormat(uint16_t channels, uint32_t rate, uint16_t bits);
    int32_t CreateSoundBuffer(const WaveFormat& fmt, uint32_t bytes, uint32_t caps,
                              std::unique_ptr<AudioBuffer>* out);
    int32_t DuplicateSoundBuffer(const AudioBuffer& original, std::unique_ptr<AudioBuffer>* out);
    AudioMixer& Mixer() { return mixer_; }
    virtual const char* Name() const = 0;

protected:
    AudioMixer mixer_;
    uint16_t primaryBits_ = 16;
};

// Null device: nothing is heard; time moves only through Advance, which mixes
// that many frames and, while capturing, keeps them so a test can read them
// or write them as a WAVE file.
class NullAudioDevice final : public AudioDevice {
public:
    const char* Name() const override { return "null"; }
    void Advance(uint32_t frames);
    void AdvanceMs(uint32_t ms);  // ms x rate / 1000 frames
    void SetCapture(bool on) { capture_ = on; }
    const std::vector<int16_t>& Captured() const { return captured_; }
    void ClearCaptured() { captured_.clear(); }
    // 16-bit PCM RIFF WAVE of the captured mix in the output format.
    bool WriteCapturedWave(const std::string& path) const;

private:
    bool capture_ = false;
    std::vector<int16_t> captured_;
    std::vector<int16_t> scratch_;
};

// Silent device: a thread drains the mixer at the output rate on the wall
// clock, as a sound card would, and drops the samples. Sound timing and the
// state of music (position, end, loops) run as they would with sound.
class SilentAudioDevice final : public AudioDevice {
public:
    SilentAudioDevice();
    ~SilentAudioDevice() override;
    const char* Name() const override { return "silent"; }
    int32_t SetPrimaryFormat(uint16_t channels, uint32_t rate, uint16_t bits) override;

private:
    struct Drain;
    void Start();
    void Stop();
    std::unique_ptr<Drain> drain_;
};

// Opens the SDL audio device (a callback thread drains the mixer). Null
// when SDL audio cannot start or no device opens; `why` then says why. What
// the system's sound libraries print meanwhile goes to the debugger output.
std::unique_ptr<AudioDevice> OpenSdlAudioDevice(std::string* why = nullptr);

// The device the game opens. Default: the null device when VANTREL_AUDIO is
// "null", else SDL audio; when that cannot open, one line on stderr says why
// and the silent device stands in. Tests install a factory (empty restores
// default).
using AudioDeviceFactory = std::function<std::unique_ptr<AudioDevice>()>;
void SetAudioDeviceFactory(AudioDeviceFactory factory);
std::unique_ptr<AudioDevice> OpenAudioDevice();

} // namespace plat
