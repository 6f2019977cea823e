#pragma once
// Effect quads: a small regular grid of pre-transformed, pre-lit vertices
// laid over a screen rectangle (CVertexGrid), and the same with a texture
// name, drawn on the 3D device (CMeshSprite). The effect layer reuses one
// mesh sprite for every particle by moving, resizing and recolouring it
// before each draw.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/raster.h"

using CVertex = plat::TLVertex;

class CVertexGrid {
public:
    virtual ~CVertexGrid() = default;

    // Allocates w x h vertices and 6 x (w - 1) x (h - 1) indices, scale 1.0,
    // and fills them. 0 (nothing allocated) when either side is below 2.
    int Create(int32_t w, int32_t h);
    // Vertex (row r, column c) at x + c x width / (w - 1), y + r x height /
    // (h - 1), accumulated column by column and row by row.
    void SetRect(int32_t x, int32_t y, int32_t width, int32_t height);
    void SetUV(float u, float v, float uSpan, float vSpan);
    // Scales the base size about the rectangle's centre (each side at least
    // 2); nothing when the factor is unchanged.
    void SetScale(float f);

    int32_t m_W = 0;
    int32_t m_H = 0;
    std::vector<CVertex> m_Vertices;
    int32_t m_VertexCount = 0;
    std::vector<uint16_t> m_Indices;
    int32_t m_IndexCount = 0;
    int32_t m_X = 0;
    int32_t m_Y = 0;
    int32_t m_Width = 0;
    int32_t m_Height = 0;
    int32_t m_BaseWidth = 0;
    int32_t m_BaseHeight = 0;
    float m_Scale = 1.0f;
};

class CMeshSprite : public CVertexGrid {
public:
    // Stores the name; a texture record of that name gives the rectangle
    // and base size and full-texture coordinates. Returns 1.
    int SetTexture(const char* name);
    void SetPos(int32_t x, int32_t y);
    void SetColor(uint32_t argb);
    // The named texture (none when it has no record) on stage 0, then the
    // whole grid as a triangle list. Returns 1.
    int Render(plat::RasterDevice* device);

    std::string m_TextureName;
};
