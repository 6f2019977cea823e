#include "gfx/mesh_sprite.h"

#include "gfx/texture.h"

int CVertexGrid::Create(int32_t w, int32_t h) {
    m_Vertices.clear();
    m_Indices.clear();
    m_W = m_H = m_VertexCount = m_IndexCount = 0;
    // A grid needs two columns and two rows to span a rectangle; the vertex
    // indices are 16-bit.
    if (w < 2 || h < 2 || w * h > 65536) return 0;
    m_W = w;
    m_H = h;
    m_VertexCount = w * h;
    m_IndexCount = 6 * (w - 1) * (h - 1);
    m_Vertices.assign(static_cast<size_t>(m_VertexCount), CVertex{});
    m_Indices.resize(static_cast<size_t>(m_IndexCount));
    m_Scale = 1.0f;
    size_t i = 0;
    for (int32_t r = 0; r < h - 1; ++r)
        for (int32_t c = 0; c < w - 1; ++c) {
            const uint16_t a = static_cast<uint16_t>(r * w + c), b = static_cast<uint16_t>((r + 1) * w + c);
            m_Indices[i++] = a;
            m_Indices[i++] = static_cast<uint16_t>(a + 1);
            m_Indices[i++] = b;
            m_Indices[i++] = b;
            m_Indices[i++] = static_cast<uint16_t>(a + 1);
            m_Indices[i++] = static_cast<uint16_t>(b + 1);
        }
    return 1;
}

void CVertexGrid::SetRect(int32_t x, int32_t y, int32_t width, int32_t height) {
    m_X = x;
    m_Y = y;
    m_Width = width;
    m_Height = height;
    if (m_W < 2 || m_H < 2) return;
    const float stepX = static_cast<float>(width) / static_cast<float>(m_W - 1);
    const float stepY = static_cast<float>(height) / static_cast<float>(m_H - 1);
    float fy = static_cast<float>(y);
    for (int32_t r = 0; r < m_H; ++r) {
        float fx = static_cast<float>(x);
        for (int32_t c = 0; c < m_W; ++c) {
            CVertex& v = m_Vertices[static_cast<size_t>(r * m_W + c)];
            v.x = fx;
            v.y = fy;
            fx += stepX;
        }
        fy += stepY;
    }
}

void CVertexGrid::SetUV(float u, float v, float uSpan, float vSpan) {
    if (m_W < 2 || m_H < 2) return;
    for (int32_t r = 0; r < m_H; ++r)
        for (int32_t c = 0; c < m_W; ++c) {
            CVertex& vx = m_Vertices[static_cast<size_t>(r * m_W + c)];
            vx.tu = u + static_cast<float>(c) * uSpan / static_cast<float>(m_W - 1);
            vx.tv = v + static_cast<float>(r) * vSpan / static_cast<float>(m_H - 1);
        }
}

void CVertexGrid::SetScale(float f) {
    if (f == m_Scale) return;
    m_Scale = f;
    const int32_t cx = m_X + m_Width / 2, cy = m_Y + m_Height / 2;
    int32_t w = static_cast<int32_t>(static_cast<float>(m_BaseWidth) * f);
    int32_t h = static_cast<int32_t>(static_cast<float>(m_BaseHeight) * f);
    if (w < 2) w = 2;
    if (h < 2) h = 2;
    SetRect(cx - w / 2, cy - h / 2, w, h);
}

int CMeshSprite::SetTexture(const char* name) {
    m_TextureName = name ? name : "";
    if (CTexture* t = CTexture::Find(m_TextureName.c_str())) {
        m_BaseWidth = static_cast<int32_t>(t->m_Width);
        m_BaseHeight = static_cast<int32_t>(t->m_Height);
        SetRect(m_X, m_Y, m_BaseWidth, m_BaseHeight);
        SetUV(0.0f, 0.0f, 1.0f, 1.0f);
    }
    return 1;
}

void CMeshSprite::SetPos(int32_t x, int32_t y) { SetRect(x, y, m_Width, m_Height); }

void CMeshSprite::SetColor(uint32_t argb) {
    for (CVertex& v : m_Vertices) v.diffuse = argb;
}

int CMeshSprite::Render(plat::RasterDevice* device) {
    if (!device) return 1;
    device->SetTexture(0, CTexture::GetSurface(m_TextureName.c_str()));
    device->DrawIndexedPrimitive(plat::D3DPT_TRIANGLELIST, plat::D3DFVF_TLVERTEX_SPEC, m_Vertices.data(),
                                 static_cast<uint32_t>(m_VertexCount), m_Indices.data(),
                                 static_cast<uint32_t>(m_IndexCount), 0);
    return 1;
}
