// SDL audio backend: SDL's audio thread pulls the mix through a callback.
// The mixer's own lock guards every voice, so the game thread may start and
// stop buffers while the callback runs.
#include <SDL2/SDL.h>

#include <cstdio>

#include "platform/audio.h"

namespace plat {

namespace {

class SdlAudioDevice final : public AudioDevice {
public:
    ~SdlAudioDevice() override {
        Close();
        if (sdlStarted_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }

    const char* Name() const override { return "sdl"; }

    bool Start() {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
            std::fprintf(stderr, "audio: SDL audio unavailable: %s\n", SDL_GetError());
            return false;
        }
        sdlStarted_ = true;
        return Open(mixer_.OutputChannels(), mixer_.OutputRate());
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
            std::fprintf(stderr, "audio: cannot open SDL audio device: %s\n", SDL_GetError());
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

std::unique_ptr<AudioDevice> OpenSdlAudioDevice() {
    auto dev = std::make_unique<SdlAudioDevice>();
    if (!dev->Start()) return nullptr;
    return dev;
}

} // namespace plat
