#include "platform/present_sdl.h"

#include <SDL.h>

#include <cstring>
#include <string_view>

#include "platform/debug.h"
#include "platform/window_backend.h"

namespace plat {

namespace {
// A window the system uncovered or resized needs the last frame again even
// when the game's next frame is the same.
int OnWindowEvent(void* user, SDL_Event* e) {
    auto* self = static_cast<SdlPresenter*>(user);
    if (e->type == SDL_WINDOWEVENT && e->window.windowID == self->WindowId() &&
        (e->window.event == SDL_WINDOWEVENT_EXPOSED || e->window.event == SDL_WINDOWEVENT_SIZE_CHANGED ||
         e->window.event == SDL_WINDOWEVENT_RESTORED || e->window.event == SDL_WINDOWEVENT_SHOWN)) {
        self->Invalidate();
    }
    return 1;
}

// The GL renderer runs on a rasteriser in software (Mesa's llvmpipe or
// softpipe: Xvfb, VNC, a machine without a GPU driver).
bool IsSoftwareGl(SDL_Renderer* renderer) {
    SDL_RendererInfo info;
    if (SDL_GetRendererInfo(renderer, &info) != 0 || !info.name || std::strncmp(info.name, "opengl", 6) != 0)
        return false;
    using GetString = const unsigned char* (*)(unsigned);
    const auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
    const unsigned char* name = getString ? getString(0x1F01) : nullptr;  // GL_RENDERER
    if (!name) return false;
    const std::string_view n(reinterpret_cast<const char*>(name));
    return n.find("llvmpipe") != n.npos || n.find("softpipe") != n.npos || n.find("Software Rasterizer") != n.npos;
}
} // namespace

SdlPresenter::SdlPresenter(SDL_Window* window, bool vsync, bool software) : window_(window) {
    if (!window_) return;
    windowId_ = SDL_GetWindowID(window_);
    SDL_AddEventWatch(&OnWindowEvent, this);
    uint32_t flags = software ? SDL_RENDERER_SOFTWARE : SDL_RENDERER_ACCELERATED;
    if (vsync) flags |= SDL_RENDERER_PRESENTVSYNC;
    renderer_ = SDL_CreateRenderer(window_, -1, flags);
    if (!renderer_ && vsync) renderer_ = SDL_CreateRenderer(window_, -1, flags & ~SDL_RENDERER_PRESENTVSYNC);
    // A software GL draws on threads of its own into buffers it shares
    // with the X server; when the game's X connection is cut in the middle
    // of a frame (xkill) those threads crash the process. SDL's software
    // renderer does the same work on this thread, straight into the window
    // (no GL under its window surface), and a cut connection only fails its
    // requests.
    if (renderer_ && !software && IsSoftwareGl(renderer_)) {
        DebugPrintf("SdlPresenter: GL runs in software; SDL's software renderer instead\n");
        SDL_DestroyRenderer(renderer_);
        renderer_ = nullptr;
    }
    if (!renderer_) {
        // Straight into the window: no GL renderer under its window surface.
        SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
        renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
    }
    if (!renderer_) {
        DebugPrintf("SdlPresenter: no renderer: %s\n", SDL_GetError());
        return;
    }
}

SdlPresenter::~SdlPresenter() {
    if (renderer_) DebugPrintf("SdlPresenter: %d frames presented, %d of them unchanged\n", presented_, unchanged_);
    if (window_) SDL_DelEventWatch(&OnWindowEvent, this);
    // Tearing the renderer down talks to a display that is gone.
    if (detail::SdlDisplayLost()) return;
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
    scaleWhole_ = -1;
    return true;
}

bool SdlPresenter::ChangedRows(const Frame& frame, int outW, int outH, int32_t* first, int32_t* last) const {
    *first = 0;
    *last = frame.height - 1;
    if (!shownValid_ || frame.width != shownW_ || frame.height != shownH_ || frame.layout != shownLayout_ ||
        outW != shownOutW_ || outH != shownOutH_ || (frame.gamma != nullptr) != shownHasGamma_) {
        return true;
    }
    if (frame.gamma && std::memcmp(frame.gamma, &shownGamma_, sizeof(GammaRamp)) != 0) return true;
    const size_t rowBytes = static_cast<size_t>(frame.width) * 2;
    const auto differs = [&](int32_t y) {
        return std::memcmp(frame.pixels + static_cast<size_t>(y) * frame.pitch, shown_.data() + y * rowBytes, rowBytes) != 0;
    };
    while (*first < frame.height && !differs(*first)) ++*first;
    if (*first == frame.height) return false;
    while (*last > *first && !differs(*last)) --*last;
    return true;
}

void SdlPresenter::KeepShown(const Frame& frame, int outW, int outH, int32_t first, int32_t last) {
    const size_t rowBytes = static_cast<size_t>(frame.width) * 2;
    shown_.resize(rowBytes * frame.height);
    for (int32_t y = first; y <= last; ++y) {
        std::memcpy(shown_.data() + y * rowBytes, frame.pixels + static_cast<size_t>(y) * frame.pitch, rowBytes);
    }
    shownW_ = frame.width;
    shownH_ = frame.height;
    shownLayout_ = frame.layout;
    shownOutW_ = outW;
    shownOutH_ = outH;
    shownHasGamma_ = frame.gamma != nullptr;
    if (frame.gamma) shownGamma_ = *frame.gamma;
    shownValid_ = true;
}

bool SdlPresenter::Present(const Frame& frame) {
    if (!renderer_ || detail::SdlDisplayLost() || frame.width <= 0 || frame.height <= 0 || frame.pixels == nullptr || frame.pitch < frame.width * 2) {
        return false;
    }
    if (!EnsureTexture(frame)) return false;

    const GammaRamp* ramp = frame.gamma;
    if (ramp && (!tableValid_ || tableLayout_ != frame.layout || std::memcmp(&tableRamp_, ramp, sizeof(GammaRamp)) != 0)) {
        BuildGammaTable(frame.layout, *ramp, gammaTable_);
        tableRamp_ = *ramp;
        tableLayout_ = frame.layout;
        tableValid_ = true;
    }

    // The same frame on an unchanged window is not drawn again: an idle
    // screen then costs no scaling.
    int outW = 0, outH = 0;
    if (SDL_GetRendererOutputSize(renderer_, &outW, &outH) != 0 || outW <= 0 || outH <= 0) {
        outW = frame.width;
        outH = frame.height;
    }
    int32_t first = 0, last = 0;
    if (!ChangedRows(frame, outW, outH, &first, &last)) {
        ++presented_;
        ++unchanged_;
        return true;
    }
    if (!detail::SdlDisplayCheck()) return false;
    // Only the band of changed rows goes to the texture (an animated cursor
    // over a still screen is a few rows); the texture keeps the rest.
    void* dst = nullptr;
    int dstPitch = 0;
    const SDL_Rect band{0, first, frame.width, last - first + 1};
    if (SDL_LockTexture(texture_, &band, &dst, &dstPitch) != 0) {
        DebugPrintf("SdlPresenter: lock failed: %s\n", SDL_GetError());
        return false;
    }
    uploadedRows_ += band.h;
    for (int32_t y = first; y <= last; ++y) {
        const uint8_t* s = frame.pixels + static_cast<size_t>(y) * frame.pitch;
        uint8_t* d = static_cast<uint8_t*>(dst) + static_cast<size_t>(y - first) * dstPitch;
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
    // The frame fills the output with its aspect kept; the rest stays black.
    // No renderer logical size: mouse events keep window coordinates and
    // the window maps them with the same fit.
    fit_ = FitFrame(outW, outH, frame.width, frame.height);
    if (scaleWhole_ != (fit_.whole ? 1 : 0)) {
        scaleWhole_ = fit_.whole ? 1 : 0;
        SDL_SetTextureScaleMode(texture_, fit_.whole ? SDL_ScaleModeNearest : SDL_ScaleModeLinear);
    }
    const SDL_Rect dstRect{fit_.x, fit_.y, fit_.w, fit_.h};
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_);
    SDL_RenderCopy(renderer_, texture_, nullptr, &dstRect);
    SDL_RenderPresent(renderer_);
    KeepShown(frame, outW, outH, first, last);
    ++presented_;
    return true;
}

} // namespace plat
