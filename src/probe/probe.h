#pragma once
// capsprobe: finds out what this machine's display stack can do and writes
// "DisplayCapability.INI" into the program folder, where the game reads it
// at start-up.
//
// The game judges the machine by a version number (major.minor) and four
// capability values. The version comes from a ladder of presence checks;
// the first check that fails fixes the version. Each check tests the
// component that the game uses in that place:
//
//   display backend      video subsystem starts, has a driver, a display
//                        and a readable desktop mode
//   input/event system   starts and carries an event through its queue
//   renderer             a hidden window, a renderer on it, its info, a
//                        16-bit 565 streaming texture (the presenter's format)
//   audio system         starts
//   capability query     render drivers listed; renderer created and read
//   effect rasteriser    available
//   text converter       the GBK converter module loads
#include <cstdint>
#include <memory>
#include <string>

// Version values: bits 8-11 major, bits 0-3 minor.
constexpr uint32_t kProbeVersionNone = 0x000;
constexpr uint32_t kProbeVersion10 = 0x100;
constexpr uint32_t kProbeVersion20 = 0x200;
constexpr uint32_t kProbeVersion30 = 0x300;
constexpr uint32_t kProbeVersion50 = 0x500;
constexpr uint32_t kProbeVersion60 = 0x600;
constexpr uint32_t kProbeVersion61 = 0x601;
constexpr uint32_t kProbeVersion70 = 0x700;
constexpr uint32_t kProbeVersion80 = 0x800;
constexpr uint32_t kProbeVersion81 = 0x801;

// The effect layer is a software rasteriser linked into the game itself, so
// there is no run-time component that could be missing: it is available
// whenever it is compiled in. Flip this if it ever becomes optional.
constexpr bool kEffectRasteriserBuiltIn = true;

constexpr const char* kCapsFileName = "DisplayCapability.INI";

// What the capability query measured.
struct ProbeCaps {
    bool accelerated = false;        // hardware-accelerated renderer
    bool blending = false;           // alpha and additive texture blending
    bool hardwareColourKey = false;  // colour-keyed blits in hardware
    uint64_t videoMemory = 0;        // bytes; 0 when the system does not say
};

// The components the probe checks. The real one drives SDL; tests replace
// it to simulate a machine without some component. Every "Init"/"Create"
// that succeeded is undone by the matching release before the probe ends.
class CProbeBackend {
public:
    virtual ~CProbeBackend() = default;

    // Display backend.
    virtual bool DisplayInit() = 0;
    virtual bool DisplayDriver() = 0;
    virtual bool DisplayPresent() = 0;
    virtual bool DisplayMode() = 0;
    virtual void DisplayQuit() = 0;

    // Input/event system.
    virtual bool InputInit() = 0;
    virtual bool InputEvents() = 0;
    virtual void InputQuit() = 0;

    // Renderer: a hidden window, a renderer on it, its info, a texture in
    // the presenter's format. RendererRelease frees whichever exist.
    virtual bool RendererWindow() = 0;
    virtual bool RendererCreate() = 0;
    virtual bool RendererInfo() = 0;
    virtual bool RendererTexture() = 0;
    virtual void RendererRelease() = 0;

    // Audio system.
    virtual bool AudioInit() = 0;
    virtual void AudioQuit() = 0;

    // Capability query. ReadCaps is self-contained: it starts what it needs
    // and releases it again before returning; false leaves `out` alone.
    virtual bool RenderDrivers() = 0;
    virtual bool ReadCaps(ProbeCaps* out) = 0;

    virtual bool EffectRasteriser() = 0;
    virtual bool TextConverter() = 0;
};

// The SDL implementation (the one the program uses).
std::unique_ptr<CProbeBackend> MakeSdlProbeBackend();

// Runs the ladder. Each failing check writes its line to the debugger
// output, releases what it holds and ends the ladder.
uint32_t GetDXVersion(CProbeBackend& backend);

// "%d.%d" of the major and minor number: 0x801 -> "8.1", 0 -> "0.0".
std::string FormatDXVersion(uint32_t version);

// Full path of the output file in the program folder (native form).
std::string CapsFilePath();

// The whole program: version, capabilities, the file. 0 when the file was
// written; otherwise 1 with the reason in `why`.
int RunCapsProbe(CProbeBackend& backend, std::string* why);

// Video memory of the first DRM card under `drmRoot` (normally
// "/sys/class/drm") that reports it, in bytes; 0 when none does.
uint64_t ReadVideoMemory(const std::string& drmRoot);
