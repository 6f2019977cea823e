#pragma once
// Shows frames in an SDL window through a streaming 16-bit texture (565 or
// 555 as the frame says), scaled to the window with the aspect kept, with
// vsync when the renderer offers it.
#include <cstdint>
#include <vector>

#include "platform/present.h"

struct SDL_Window;
struct SDL_Renderer;
struct SDL_Texture;

namespace plat {

class SdlPresenter : public Presenter {
public:
    // The window stays the caller's. `software` asks for SDL's software
    // renderer (used with the dummy video driver).
    explicit SdlPresenter(SDL_Window* window, bool vsync = true, bool software = false);
    ~SdlPresenter() override;
    SdlPresenter(const SdlPresenter&) = delete;
    SdlPresenter& operator=(const SdlPresenter&) = delete;

    // False when no renderer could be made (then Present fails softly).
    bool IsReady() const { return renderer_ != nullptr; }
    bool Present(const Frame& frame) override;
    SDL_Renderer* Renderer() const { return renderer_; }
    int PresentedCount() const { return presented_; }

private:
    bool EnsureTexture(const Frame& frame);

    SDL_Window* window_;
    SDL_Renderer* renderer_ = nullptr;
    SDL_Texture* texture_ = nullptr;
    int32_t texW_ = 0, texH_ = 0;
    PixelLayout texLayout_ = PixelLayout::k565;
    std::vector<uint16_t> gammaTable_;
    GammaRamp tableRamp_;
    bool tableValid_ = false;
    PixelLayout tableLayout_ = PixelLayout::k565;
    int presented_ = 0;
};

} // namespace plat
