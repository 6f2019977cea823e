#include "platform/present_sdl.h"

#include <SDL.h>

#include <cstring>

#include "platform/debug.h"

namespace plat {

SdlPresenter::SdlPresenter(SDL_Window* window, bool vsync, bool software) : window_(window) {
    if (!window_) return;
    uint32_t flags = software ? SDL_RENDERER_SOFTWARE : SDL_RENDERER_ACCELERATED;
    if (vsync) flags |= SDL_RENDERER_PRESENTVSYNC;
    renderer_ = SDL_CreateRenderer(window_, -1, flags);
    if (!renderer_ && vsync) renderer_ = SDL_CreateRenderer(window_, -1, flags & ~SDL_RENDERER_PRESENTVSYNC);
    if (!renderer_ && !software) renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
    if (!renderer_) {
        DebugPrintf("SdlPresenter: no renderer: %s\n", SDL_GetError());
        return;
    }
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
}

SdlPresenter::~SdlPresenter() {
    if (texture_) SDL_DestroyTexture(texture_);
    if (renderer_) SDL_DestroyRenderer(renderer_);
}

bool SdlPresenter::EnsureTexture(const Frame& frame) {
    if (texture_ && texW_ == frame.width && texH_ == frame.height && texLayout_ == frame.layout) return true;
    if (texture_) SDL_DestroyTexture(texture_);
    const uint32_t format = frame.layout == PixelLayout::k565 ? SDL_PIXELFORMAT_RGB565 : SDL_PIXELFORMAT_RGB555;
    texture_ = SDL_CreateTexture(renderer_, format, SDL_TEXTUREACCESS_STREAMING, frame.width, frame.height);
    if (!texture_) {
        DebugPrintf("SdlPresenter: no texture: %s\n", SDL_GetError());
        return false;
    }
    texW_ = frame.width;
    texH_ = frame.height;
    texLayout_ = frame.layout;
    // The game's frame fills the window; keep its aspect with black bars.
    SDL_RenderSetLogicalSize(renderer_, frame.width, frame.height);
    return true;
}

bool SdlPresenter::Present(const Frame& frame) {
    if (!renderer_ || frame.width <= 0 || frame.height <= 0 || frame.pixels == nullptr) return false;
    if (!EnsureTexture(frame)) return false;

    const GammaRamp* ramp = frame.gamma;
    if (ramp && (!tableValid_ || tableLayout_ != frame.layout || std::memcmp(&tableRamp_, ramp, sizeof(GammaRamp)) != 0)) {
        BuildGammaTable(frame.layout, *ramp, gammaTable_);
        tableRamp_ = *ramp;
        tableLayout_ = frame.layout;
        tableValid_ = true;
    }

    void* dst = nullptr;
    int dstPitch = 0;
    if (SDL_LockTexture(texture_, nullptr, &dst, &dstPitch) != 0) {
        DebugPrintf("SdlPresenter: lock failed: %s\n", SDL_GetError());
        return false;
    }
    for (int32_t y = 0; y < frame.height; ++y) {
        const uint8_t* s = frame.pixels + static_cast<size_t>(y) * frame.pitch;
        uint8_t* d = static_cast<uint8_t*>(dst) + static_cast<size_t>(y) * dstPitch;
        if (!ramp) {
            std::memcpy(d, s, static_cast<size_t>(frame.width) * 2);
        } else {
            for (int32_t x = 0; x < frame.width; ++x) {
                uint16_t p;
                std::memcpy(&p, s + x * 2, 2);
                p = gammaTable_[p];
                std::memcpy(d + x * 2, &p, 2);
            }
        }
    }
    SDL_UnlockTexture(texture_);
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_);
    SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
    SDL_RenderPresent(renderer_);
    ++presented_;
    return true;
}

} // namespace plat
