#pragma once
// References into the resource libraries, and the animation table that an
// animation entry is parsed into.
//
// Animation table (u32 words): S (signed 16 bits of word 0; S < 1 = empty),
// then S sequences of: F (low 16 bits), attribute (low 16 bits), record size
// R in words, F frame records 7 words apart; the next sequence starts
// F x R + 3 words after this one. Frame record: empty flag, delay, ResId,
// x, y, hot-spot x, hot-spot y (all but the ResId kept in 16 bits).
#include <cstdint>
#include <memory>

#include "core/geometry.h"

class CImage;
class CResLib;
class CSurface;

// One picture of a library. While bound, its entry is referenced, so purges
// leave it in memory.
class CImageRef {
public:
    CImageRef() = default;
    virtual ~CImageRef() { Release(); }
    CImageRef(const CImageRef&) = delete;
    CImageRef& operator=(const CImageRef&) = delete;

    // Releases any earlier binding, stores both and references the entry
    // (its record is created from the directory when missing). An entry of
    // library 1 bigger than g_LibKeepThreshold is loaded at once. When the
    // entry cannot be referenced the ref stays unbound.
    void Set(uint32_t entryValue, CResLib* lib);
    void SetById(uint32_t resId);
    // The frame's image (loading and decoding the entry when needed); null
    // when unbound or refused.
    CImage* GetImage() const;
    // Drops the reference (only while the library is open) and the library.
    void Release();

    uint32_t m_EntryValue = 0;
    CResLib* m_pLib = nullptr;
};

// One frame of an animation sequence: a picture drawn at its offset minus
// its hot-spot from the given position. An empty frame has no picture and
// draws nothing.
struct CAnimFrame {
    // {x + offset x - hot-spot x, y + offset y - hot-spot y, picture width,
    // picture height}; width and height 0 without a picture.
    void GetRect(int32_t x, int32_t y, CGameRect* out) const;
    // The whole picture at the frame's place; what the picture's Blt
    // returns, 0 without a picture.
    int Draw(CSurface* dst, int32_t x, int32_t y, int32_t mode, int32_t level, const CGameRect* clip) const;
    // The part (srcX, srcY, w, h) of the picture at the frame's place.
    int DrawRegion(CSurface* dst, int32_t x, int32_t y, int32_t w, int32_t h, int32_t srcX, int32_t srcY, int32_t mode,
                   int32_t level, const CGameRect* clip) const;
    CImage* GetImage() const { return m_Image.GetImage(); }

    CImageRef m_Image;
    int16_t m_Delay = 0;
    int16_t m_X = 0;
    int16_t m_Y = 0;
    int16_t m_HotX = 0;
    int16_t m_HotY = 0;
};

struct CAnimSeq {
    // Index of the frame with the widest (tallest) picture; ties keep the
    // first; an empty sequence gives 0 and a size of 0.
    int32_t WidestFrame(int32_t* width = nullptr) const;
    int32_t TallestFrame(int32_t* height = nullptr) const;

    std::unique_ptr<CAnimFrame[]> m_pFrames;
    int16_t m_FrameCount = 0;
    int16_t m_Attribute = 1;
};

struct AnimTable {
    int16_t m_SeqCount = 0;
    std::unique_ptr<CAnimSeq[]> m_pSeqs;
};

constexpr uint32_t kAnimFrameWords = 7;

// Parses an animation table from `size` bytes; every frame picture gets an
// image reference. Null (with a debugger message) when a sequence or frame
// record reaches past the data.
std::unique_ptr<AnimTable> ParseAnimTable(const uint8_t* data, uint32_t size);
