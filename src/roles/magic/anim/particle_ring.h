#pragma once
// The converging-sprite pool each object manager owns: ten records of
// particle groups, each group a ring of sprites around a target point that
// close in on a source point and are counted off within 10 pixels of it.
// Nothing in the game adds groups yet; the pool is built, numbered,
// stepped and drawn empty, and tests fill it by hand.
#include <cstdint>
#include <list>
#include <vector>

#include "core/geometry.h"
#include "roles/magic/unique_slot_list.h"

class CSurface;
class CImage;

// At most 20 ids in insertion order, each once.
using CParticleIdList = CUniqueSlotList<int32_t, 20>;

struct CParticle {
    int32_t arrived = 0;  // 0 flying
    int32_t distance = 0;
    int32_t dx = 0, dy = 0;
    int32_t unused[3] = {0, 0, 0};
};

struct CParticleGroup {
    CGamePoint source;
    CGamePoint target;
    int32_t flying = 0;  // not yet arrived
    std::vector<CParticle> particles;
};

struct CParticleRecord {
    CParticleIdList m_Ids;
    std::list<CParticleGroup> m_Groups;
    int32_t m_Index = 0;
    // Each record's own step does nothing.
    void Update() {}
    // The number of particles drawn.
    int Draw(CSurface* surface);
};

class CParticleRing {
public:
    static constexpr int kRecords = 10;
    // Within this distance of the source a particle has arrived.
    static constexpr int32_t kArrival = 10;
    CParticleRing() = default;
    ~CParticleRing();
    void InitIndices();
    void Update();
    int Draw(CSurface* surface);
    CParticleRecord m_Records[kRecords];
};

// The one picture every particle shows; null draws nothing (arrivals are
// still counted).
extern CImage* g_pParticleSprite;

// The object manager's createParticleRing, updateParticleRing and
// deleteParticleRing.
void InstallParticleRingHooks();
