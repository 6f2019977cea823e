#pragma once
// Shows frames in an SDL window through a streaming 16-bit texture (565 or
// 555 as the frame says), scaled to the window with the aspect kept and
// black bars (FitFrame), with vsync when the renderer offers it.
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
    // Where the last frame went in the renderer's output.
    const FrameFit& LastFit() const { return fit_; }
    // Frames that matched the one on screen and were not drawn again.
    int UnchangedCount() const { return unchanged_; }
    // The next frame is drawn even when it matches (the window was
    // uncovered or resized).
    void Invalidate() { shownValid_ = false; }
    bool WantsFrame() const override { return !shownValid_; }
    // Rows uploaded to the texture so far (a frame that changed in a few
    // rows uploads only those).
    int64_t UploadedRows() const { return uploadedRows_; }
    uint32_t WindowId() const { return windowId_; }

private:
    bool EnsureTexture(const Frame& frame);
    // The rows [*first, *last] in which the frame differs from the one on
    // screen: all of them when that one cannot be compared (another size,
    // layout, gamma or window size). False when nothing differs.
    bool ChangedRows(const Frame& frame, int outW, int outH, int32_t* first, int32_t* last) const;
    // The rows [first, last] of the frame now on screen (the others were
    // already).
    void KeepShown(const Frame& frame, int outW, int outH, int32_t first, int32_t last);

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
    FrameFit fit_;
    int scaleWhole_ = -1;  // scale mode set on the texture: 1 nearest, 0 linear, -1 none yet
    uint32_t windowId_ = 0;
    int unchanged_ = 0;
    int64_t uploadedRows_ = 0;
    // The frame on screen, to skip drawing it again.
    std::vector<uint8_t> shown_;
    bool shownValid_ = false;
    int32_t shownW_ = 0, shownH_ = 0;
    int shownOutW_ = 0, shownOutH_ = 0;
    PixelLayout shownLayout_ = PixelLayout::k565;
    bool shownHasGamma_ = false;
    GammaRamp shownGamma_;
};

} // namespace plat
