#pragma once
// The glowing trail a gesture leaves: one small particle cluster per laid
// point. A cluster lives until its particles have shrunk away; a cast turns
// it into a burst that flies to the right-skill icon.
#include <cstdint>
#include <vector>

class CSurface;

namespace plat {
class RasterDevice;
}

// Trail sprite kinds: 0 laid while drawing a stroke, 1 a hover trail
// (modifier held, button up) or free drawing, 2 the press of free drawing.
class CTrailSprite {
public:
    struct Particle {
        float x = 0.0f, y = 0.0f;
        float vx = 0.0f, vy = 0.0f;
        float size = 0.0f;
        int32_t life = 0;
    };
    CTrailSprite(int32_t kind, int32_t x, int32_t y, int32_t sizeBase, int32_t count);
    // 0 fresh sizes, 1 tiny, 2 failed (fades like 1), 3 a burst toward
    // (tx, ty) lasting rand % (spread / 2) + spread / 2 ticks.
    void SetState(int32_t state, int32_t tx, int32_t ty, int32_t spread);
    // One step at age `age`; 1 once every particle has gone.
    int Age(float age);
    // The first half of the particles, 1-2 pixel blocks.
    void Draw2D(CSurface* surface, uint32_t colour) const;
    // Every live particle as a textured quad of the trail mesh.
    void Draw3D() const;

    int32_t m_Kind = 0;
    int32_t m_State = 0;
    int32_t m_SizeBase = 0;
    std::vector<Particle> m_Particles;
};

// The one 3D trail renderer. Nothing in the game fills its points, so it
// draws nothing; Clear frees them.
class CTrailRenderer {
public:
    CTrailRenderer() = default;
    ~CTrailRenderer() { Clear(); }
    void Clear();
    // Its points in colour 0xC8C8C8 inside the caller's scene while active.
    void Draw(plat::RasterDevice* device);

    int32_t m_Active = 0;
    std::vector<float> m_Points;  // x, y pairs
    int32_t m_Count = 0;
};

extern CTrailRenderer g_TrailRenderer;
