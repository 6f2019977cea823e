#pragma once
// Lights that follow objects: each lit role, creature, building or skill
// effect carries a coloured light spot of the light grid that blinks between
// two spots and, once its object is gone, shrinks away. Each world owns one
// list; every frame the painter fills the grid with the weather's level and
// stamps the spots into it.
#include <cstdint>

#include "core/containers.h"
#include "world/objects/handle_table.h"

class CLightMap;

class CObjLight : public CObjNode {
public:
    // 0 when the light has ended.
    int Update();

    ObjHandle m_Handle = 0;
    int32_t m_X = 0;  // world pixels
    int32_t m_Y = 0;
    int32_t m_Kind = 0;  // 0: drawn in display option 1 as well
    CLightMap* m_pSpot1 = nullptr;
    CLightMap* m_pSpot2 = nullptr;
    CLightMap* m_pCurrent = nullptr;
    int32_t m_Counter = 0;
    int32_t m_Dying = 0;
};

class CObjLightList : public CObjList {
public:
    ~CObjLightList() override;

    // colour2 -1: the same colour. Only while the game host has a client
    // part; 1 when a light was added.
    int Add(ObjHandle handle, int32_t kind, int32_t radius, uint32_t colour, int32_t colour2);
    // Once per logic tick: lights whose update ends are deleted.
    void Update();
    // Fills the light grid with the weather's level, then stamps: display
    // option 1 the kind-0 lights with spot 1, option 2 every light with its
    // current spot, any other option none.
    void Draw();
    void Clear() { RemoveAll(); }
};

// The light of a building part by its light kind (1-4; others none):
// radius 320 or 800, white blinking to a grey or to white.
int AddBldLight(ObjHandle handle, int32_t lightKind);
