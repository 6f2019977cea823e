// SDL audio backend: SDL's audio thread pulls the mix through a callback.
// The mixer's own lock guards every voice, so the game thread may start and
// stop buffers while the callback runs.
#include <SDL2/SDL.h>

#include <unistd.h>

#include <cstdio>
#include <string>

#include "platform/audio.h"
#include "platform/debug.h"

namespace plat {

namespace {

// The system's sound libraries print their own complaints on stderr while
// SDL probes them (a machine without a sound card gets a screen of them).
// Within this scope they go to the debugger output instead; the game says
// what matters in one line of its own.
class QuietStderr {
public:
    QuietStderr() {
        std::fflush(stderr);
        tmp_ = std::tmpfile();
        saved_ = tmp_ ? dup(2) : -1;
        if (saved_ < 0 || dup2(fileno(tmp_), 2) < 0) Restore();
    }
    ~QuietStderr() { Restore(); }

private:
    void Restore() {
        std::fflush(stderr);
        if (saved_ >= 0) {
            dup2(saved_, 2);
            close(saved_);
            saved_ = -1;
        }
        if (!tmp_) return;
        std::string text;
        std::rewind(tmp_);
        char buf[512];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, tmp_)) > 0 && text.size() < 16384) text.append(buf, n);
        std::fclose(tmp_);
        tmp_ = nullptr;
        if (!text.empty()) OutputDebugString("audio: the sound system said:\n" + text);
    }
    FILE* tmp_ = nullptr;
    int saved_ = -1;
};

class SdlAudioDevice final : public AudioDevice {
public:
    ~SdlAudioDevice() override {
        Close();
        if (sdlStarted_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }

    const char* Name() const override { return "sdl"; }

    bool Start(std::string* why) {
        QuietStderr quiet;
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
            if (why) *why = std::string("SDL audio: ") + SDL_GetError();
            return false;
        }
        sdlStarted_ = true;
        if (!Open(mixer_.OutputChannels(), mixer_.OutputRate())) {
            if (why) *why = std::string("SDL audio driver ") + (SDL_GetCurrentAudioDriver() ? SDL_GetCurrentAudioDriver() : "?") +
                            ": " + SDL_GetError();
            return false;
        }
        return true;
    }

    int32_t SetPrimaryFormat(uint16_t channels, uint32_t rate, uint16_t bits) override {
        if (bits != 8 && bits != 16) return E_INVALIDARG;
        if (channels == mixer_.OutputChannels() && rate == mixer_.OutputRate() && dev_ != 0) {
            primaryBits_ = bits;
            return DS_OK;
        }
        // Reopen at the new format; SDL converts to whatever the hardware takes.
        const uint16_t oldCh = mixer_.OutputChannels();
        const uint32_t oldRate = mixer_.OutputRate();
        Close();
        int32_t hr = AudioDevice::SetPrimaryFormat(channels, rate, bits);
        if (hr < 0 || !Open(mixer_.OutputChannels(), mixer_.OutputRate())) {
            mixer_.SetOutputFormat(oldCh, oldRate);
            Open(oldCh, oldRate);
            return hr < 0 ? hr : E_FAIL;
        }
        return DS_OK;
    }

private:
    static void Callback(void* user, Uint8* stream, int len) {
        auto* self = static_cast<SdlAudioDevice*>(user);
        const int frameBytes = 2 * self->channels_;
        self->mixer_.Mix(reinterpret_cast<int16_t*>(stream), static_cast<uint32_t>(len / frameBytes));
    }

    bool Open(uint16_t channels, uint32_t rate) {
        SDL_AudioSpec want{};
        want.freq = static_cast<int>(rate);
        want.format = AUDIO_S16SYS;
        want.channels = static_cast<Uint8>(channels);
        want.samples = 1024;
        want.callback = &SdlAudioDevice::Callback;
        want.userdata = this;
        channels_ = channels;
        dev_ = SDL_OpenAudioDevice(nullptr, 0, &want, nullptr, 0);
        if (dev_ == 0) {
            DebugPrintf("audio: cannot open SDL audio device: %s\n", SDL_GetError());
            return false;
        }
        SDL_PauseAudioDevice(dev_, 0);
        return true;
    }

    void Close() {
        if (dev_ != 0) {
            SDL_CloseAudioDevice(dev_);  // waits for a running callback
            dev_ = 0;
        }
    }

    SDL_AudioDeviceID dev_ = 0;
    uint16_t channels_ = 2;
    bool sdlStarted_ = false;
};

} // namespace

std::unique_ptr<AudioDevice> OpenSdlAudioDevice(std::string* why) {
    auto dev = std::make_unique<SdlAudioDevice>();
    if (!dev->Start(why)) return nullptr;
    return dev;
}

} // namespace plat
