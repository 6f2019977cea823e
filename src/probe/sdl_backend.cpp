// The probe's checks on the real display stack (SDL). With SDL's dummy video
// and audio drivers they report what those drivers offer: a software
// renderer (not accelerated, blending available) and a silent audio device.
#include <SDL2/SDL.h>
#include <iconv.h>

#include <cctype>
#include <string>

#include "probe/probe.h"

namespace {

constexpr int kProbeWidth = 640;
constexpr int kProbeHeight = 480;
constexpr const char* kDrmRoot = "/sys/class/drm";

SDL_Window* CreateHiddenWindow() {
    return SDL_CreateWindow("capsprobe", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, kProbeWidth,
                            kProbeHeight, SDL_WINDOW_HIDDEN);
}

// Both blend modes the effect layer draws with must be accepted.
bool TextureBlends(SDL_Renderer* renderer) {
    SDL_Texture* tex =
        SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STREAMING, 16, 16);
    if (!tex) return false;
    const bool ok = SDL_SetTextureBlendMode(tex, SDL_BLENDMODE_BLEND) == 0 &&
                    SDL_SetTextureBlendMode(tex, SDL_BLENDMODE_ADD) == 0;
    SDL_DestroyTexture(tex);
    return ok;
}

// SDL calls every OpenGL renderer accelerated, also one that runs on a
// software OpenGL (as on a machine without a GPU); ask OpenGL who draws.
bool RunsOnSoftwareGl(const SDL_RendererInfo& info) {
    const std::string name = info.name ? info.name : "";
    if (name.compare(0, 6, "opengl") != 0) return false;
    using GetStringFn = const unsigned char* (*)(unsigned);
    auto getString = reinterpret_cast<GetStringFn>(SDL_GL_GetProcAddress("glGetString"));
    if (!getString || !SDL_GL_GetCurrentContext()) return false;
    const unsigned char* text = getString(0x1F01);  // GL_RENDERER
    if (!text) return false;
    std::string who(reinterpret_cast<const char*>(text));
    for (char& c : who) c = char(std::tolower(static_cast<unsigned char>(c)));
    for (const char* soft : {"llvmpipe", "softpipe", "swrast", "software", "swiftshader"})
        if (who.find(soft) != std::string::npos) return true;
    return false;
}

class CSdlProbeBackend final : public CProbeBackend {
public:
    ~CSdlProbeBackend() override {
        RendererRelease();
        SDL_Quit();
    }

    bool DisplayInit() override { return SDL_InitSubSystem(SDL_INIT_VIDEO) == 0; }
    bool DisplayDriver() override { return SDL_GetCurrentVideoDriver() != nullptr; }
    bool DisplayPresent() override { return SDL_GetNumVideoDisplays() > 0; }
    bool DisplayMode() override {
        SDL_DisplayMode mode{};
        return SDL_GetDesktopDisplayMode(0, &mode) == 0 && mode.w > 0 && mode.h > 0;
    }
    void DisplayQuit() override { SDL_QuitSubSystem(SDL_INIT_VIDEO); }

    bool InputInit() override { return SDL_InitSubSystem(SDL_INIT_EVENTS) == 0; }
    bool InputEvents() override {
        SDL_Event sent{};
        sent.type = SDL_USEREVENT;
        sent.user.code = 0x7062;
        if (SDL_PushEvent(&sent) != 1) return false;
        SDL_Event got{};
        return SDL_PeepEvents(&got, 1, SDL_GETEVENT, SDL_USEREVENT, SDL_USEREVENT) == 1 &&
               got.user.code == sent.user.code;
    }
    void InputQuit() override { SDL_QuitSubSystem(SDL_INIT_EVENTS); }

    bool RendererWindow() override { return (window_ = CreateHiddenWindow()) != nullptr; }
    bool RendererCreate() override { return (renderer_ = SDL_CreateRenderer(window_, -1, 0)) != nullptr; }
    bool RendererInfo() override {
        SDL_RendererInfo info{};
        return SDL_GetRendererInfo(renderer_, &info) == 0;
    }
    bool RendererTexture() override {
        texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGB565, SDL_TEXTUREACCESS_STREAMING,
                                     kProbeWidth, kProbeHeight);
        return texture_ != nullptr;
    }
    void RendererRelease() override {
        if (texture_) SDL_DestroyTexture(texture_);
        if (renderer_) SDL_DestroyRenderer(renderer_);
        if (window_) SDL_DestroyWindow(window_);
        texture_ = nullptr;
        renderer_ = nullptr;
        window_ = nullptr;
    }

    bool AudioInit() override { return SDL_InitSubSystem(SDL_INIT_AUDIO) == 0; }
    void AudioQuit() override { SDL_QuitSubSystem(SDL_INIT_AUDIO); }

    bool RenderDrivers() override { return SDL_GetNumRenderDrivers() > 0; }
    bool ReadCaps(ProbeCaps* out) override {
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
        bool ok = false;
        ProbeCaps caps;
        if (SDL_Window* window = CreateHiddenWindow()) {
            if (SDL_Renderer* renderer = SDL_CreateRenderer(window, -1, 0)) {
                SDL_RendererInfo info{};
                if (SDL_GetRendererInfo(renderer, &info) == 0) {
                    ok = true;
                    caps.accelerated =
                        (info.flags & SDL_RENDERER_ACCELERATED) != 0 && !RunsOnSoftwareGl(info);
                    caps.blending = TextureBlends(renderer);
                    // SDL's renderers key colours in software only.
                    caps.hardwareColourKey = false;
                    caps.videoMemory = ReadVideoMemory(kDrmRoot);
                }
                SDL_DestroyRenderer(renderer);
            }
            SDL_DestroyWindow(window);
        }
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        if (ok && out) *out = caps;
        return ok;
    }

    bool EffectRasteriser() override { return kEffectRasteriserBuiltIn; }

    // The game's text is GBK; the converter is a module loaded by name at
    // run time and can be missing from a trimmed system.
    bool TextConverter() override {
        iconv_t cd = iconv_open("UTF-8", "GBK");
        if (cd == iconv_t(-1)) return false;
        iconv_close(cd);
        return true;
    }

private:
    SDL_Window* window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    SDL_Texture* texture_ = nullptr;
};

} // namespace

std::unique_ptr<CProbeBackend> MakeSdlProbeBackend() { return std::make_unique<CSdlProbeBackend>(); }
