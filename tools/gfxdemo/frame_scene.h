#pragma once
// A composed 800 x 600 game frame for the frame benchmark and the gfxdemo
// tool: ground tiles, six-part role sprites, translucent pictures, the light
// grid, a running cross-fade, UI panels and the cursor, all drawn through
// the game's own loaders and picture classes.
//
// Build writes the scene's resource library, role header and PLI files into
// a folder with the datagen writers, makes that folder the program
// directory (VANTREL_HOME and the current directory change) and loads it
// back as the game would. Placement comes from plat::SRand with a fixed
// seed, so every Compose draws the same bytes.
//
// The scene uses process-wide state (g_ResList, g_RoleSprMng, g_LightGrid,
// the colour tables, the pixel layout), so only one scene may exist at a
// time; Release (or the destructor) gives that state back.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/geometry.h"

class CSurface;
class CImage;
class CImageRef;
class CRoleSprite;
class CScreenTransition;
class CMouseCursor;

namespace gfxdemo {

constexpr int32_t kFrameWidth = 800;
constexpr int32_t kFrameHeight = 600;

struct FrameSceneOptions {
    int32_t sprites = 200;
    int32_t format = 16;  // 16 = 5-6-5, 15 = 5-5-5
    uint32_t seed = 20240611;
};

// What one Compose draws, for reports.
struct FrameSceneCounts {
    int32_t groundTiles = 0;
    int32_t sprites = 0;
    int32_t alphaSprites = 0;   // with alpha-plane parts
    int32_t litSprites = 0;     // drawn through a light level (colour table)
    int32_t ghostSprites = 0;   // translucent
    int32_t translucent = 0;
    int32_t lightSpots = 0;
    int32_t panels = 0;
};

// The parts of a frame in drawing order, for timing where a frame goes.
enum FramePhase : int32_t {
    kPhaseGround,      // 630 RLE tiles
    kPhaseLight,       // the light grid over the view
    kPhaseSprites,     // role sprites
    kPhaseEffects,     // translucent pictures
    kPhaseTransition,  // cross-fade blend and its copy to the back buffer
    kPhasePanels,      // dimmed panels, borders, icons
    kPhaseCursor,
    kPhaseCount
};
const char* FramePhaseName(int32_t phase);

class FrameScene {
public:
    FrameScene();
    ~FrameScene();
    FrameScene(const FrameScene&) = delete;
    FrameScene& operator=(const FrameScene&) = delete;

    // Writes the data into nativeFolder (created when missing), sets up the
    // display layout and colour tables for options.format, loads everything
    // and places the scene. False (with a message in *error) on failure;
    // the scene is then released.
    bool Build(const std::string& nativeFolder, const FrameSceneOptions& options, std::string* error);
    // Draws one whole frame onto the back buffer with the kernels in force;
    // with `phaseMs`, also the milliseconds of each FramePhase.
    void Compose(double* phaseMs = nullptr);
    // Gives back every resource and the global state it set up.
    void Release();

    CSurface* Back() const { return m_Back.get(); }
    // The surface the game view is drawn onto: the transition's working
    // surface while it runs.
    CSurface* ViewTarget() const;
    const FrameSceneCounts& Counts() const { return m_Counts; }
    int32_t Format() const { return m_Options.format; }

    // The back buffer's pixels row by row (800 x 600 words).
    std::vector<uint16_t> Pixels() const;
    // The same as 8-bit RGB, each field widened by repeating its top bits.
    std::vector<uint8_t> Rgb() const;
    // Plain copy of the back buffer into a same-sized surface, row by row
    // (the memory-bandwidth floor a frame is measured against).
    void PlainCopy(CSurface* dst) const;

private:
    struct Tile {
        int32_t x, y, variant;
    };
    struct Sprite {
        CRoleSprite* sprite;
        int32_t x, y;
    };
    struct Placed {
        int32_t x, y, image, mode, level;
    };
    struct Panel {
        int32_t x, y, w, h, border;
    };

    bool Load(std::string* error);
    void Place();

    FrameSceneOptions m_Options;
    FrameSceneCounts m_Counts;
    std::unique_ptr<CSurface> m_Display;
    std::unique_ptr<CSurface> m_Back;
    std::unique_ptr<CScreenTransition> m_Transition;
    std::unique_ptr<CMouseCursor> m_Cursor;
    // Bound pictures: ground variants, translucent pictures, panel borders,
    // icons.
    std::vector<std::unique_ptr<CImageRef>> m_Tiles, m_Effects, m_Borders, m_Icons;
    std::vector<Tile> m_Ground;
    std::vector<Sprite> m_Sprites;
    std::vector<Placed> m_Placed;
    std::vector<Panel> m_Panels;
    CGameRect m_View{0, 0, kFrameWidth, kFrameHeight};
    bool m_Built = false;
};

} // namespace gfxdemo
