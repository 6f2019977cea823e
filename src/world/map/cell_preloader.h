#pragma once
// Loads the pictures of the map cells around the view ahead of time, a
// little per client frame: a square spiral from the view's centre cell,
// at most 100 cells and about 2048 loaded bytes a call.
#include <cstdint>

class CCellPreloader {
public:
    // From the painter's centre cell (nothing without a painter).
    void Start();
    // Starts at a given cell.
    void StartAt(int32_t x, int32_t y);
    // One frame's share. Stops once the spiral has passed 2 x the larger
    // of the map's width and height + 1, which covers the whole map from
    // any cell, corners included.
    void Step();

    int32_t m_Active = 0;
    int32_t m_X = 0;
    int32_t m_Y = 0;
    int32_t m_Dir = 1;  // 1 x - 1, 2 y - 1, 3 x + 1, 4 y + 1
    int32_t m_Leg = 1;
    int32_t m_Steps = 0;
};

extern CCellPreloader g_CellPreloader;
