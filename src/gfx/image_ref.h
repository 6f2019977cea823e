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

class CImage;
class CResLib;

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

struct CAnimFrame {
    CImageRef m_Image;
    int16_t m_Delay = 0;
    int16_t m_X = 0;
    int16_t m_Y = 0;
    int16_t m_HotX = 0;
    int16_t m_HotY = 0;
};

struct CAnimSeq {
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
