#include "gfx/image_ref.h"

#include "gfx/image.h"
#include "gfx/res_lib.h"
#include "platform/debug.h"

void CImageRef::Set(uint32_t entryValue, CResLib* lib) {
    Release();
    m_EntryValue = entryValue;
    if (!lib || !lib->AddRef(entryValue)) return;
    m_pLib = lib;
    if (lib == g_ResList.GetLib(1)) {
        const CLibEntry* e = lib->FindEntry(entryValue & kResEntryMask);
        if (e && e->m_Size > g_LibKeepThreshold && e->m_LoadState != kEntryLoaded)
            lib->LoadEntry(entryValue & kResEntryMask);
    }
}

void CImageRef::SetById(uint32_t resId) {
    uint32_t entryValue = 0;
    CResLib* lib = nullptr;
    g_ResList.SplitId(resId, &entryValue, &lib);
    Set(entryValue, lib);
}

CImage* CImageRef::GetImage() const { return m_pLib ? m_pLib->GetImage(m_EntryValue) : nullptr; }

void CImageRef::Release() {
    // A library that was freed (exit) is no longer touched.
    if (m_pLib && g_ResList.Owns(m_pLib)) m_pLib->ReleaseRef(m_EntryValue);
    m_pLib = nullptr;
}

void CAnimFrame::GetRect(int32_t x, int32_t y, CGameRect* out) const {
    const CImage* img = GetImage();
    *out = CGameRect{x + m_X - m_HotX, y + m_Y - m_HotY, img ? img->m_Width : 0, img ? img->m_Height : 0};
}

int CAnimFrame::Draw(CSurface* dst, int32_t x, int32_t y, int32_t mode, int32_t level, const CGameRect* clip) const {
    CImage* img = GetImage();
    if (!img) return 0;
    return img->Blt(dst, x + m_X - m_HotX, y + m_Y - m_HotY, img->m_Width, img->m_Height, 0, 0, mode, level, clip);
}

int CAnimFrame::DrawRegion(CSurface* dst, int32_t x, int32_t y, int32_t w, int32_t h, int32_t srcX, int32_t srcY,
                           int32_t mode, int32_t level, const CGameRect* clip) const {
    CImage* img = GetImage();
    if (!img) return 0;
    return img->Blt(dst, x + m_X - m_HotX, y + m_Y - m_HotY, w, h, srcX, srcY, mode, level, clip);
}

namespace {
template <class Size>
int32_t LargestFrame(const CAnimSeq& seq, int32_t* size, Size sizeOf) {
    int32_t best = 0, bestSize = 0;
    for (int32_t i = 0; i < seq.m_FrameCount; ++i) {
        const CImage* img = seq.m_pFrames[i].GetImage();
        const int32_t s = img ? sizeOf(*img) : 0;
        if (s > bestSize) best = i, bestSize = s;
    }
    if (size) *size = bestSize;
    return best;
}
} // namespace

int32_t CAnimSeq::WidestFrame(int32_t* width) const {
    return LargestFrame(*this, width, [](const CImage& i) { return i.m_Width; });
}

int32_t CAnimSeq::TallestFrame(int32_t* height) const {
    return LargestFrame(*this, height, [](const CImage& i) { return i.m_Height; });
}

std::unique_ptr<AnimTable> ParseAnimTable(const uint8_t* data, uint32_t size) {
    const uint64_t words = size / 4;
    const auto word = [data](uint64_t w) { return LeU32(data + 4 * w); };
    const auto refuse = [](const char* why) {
        plat::DebugPrintf("Animation table refused: %s\n", why);
        return std::unique_ptr<AnimTable>();
    };
    if (words < 1) return refuse("no sequence count");
    auto table = std::make_unique<AnimTable>();
    const int16_t s = static_cast<int16_t>(word(0) & 0xFFFF);
    if (s < 1) return table;
    // Every sequence takes at least its 3 header words: a count the data
    // cannot hold is refused before anything is allocated for it.
    if (1 + 3 * static_cast<uint64_t>(s) > words) return refuse("more sequences than the data holds");
    table->m_pSeqs.reset(new CAnimSeq[s]);
    table->m_SeqCount = s;
    uint64_t at = 1;
    for (int16_t i = 0; i < s; ++i) {
        if (at + 3 > words) return refuse("sequence past the end of the data");
        const uint32_t f = word(at) & 0xFFFF;
        const uint32_t r = word(at + 2);
        if (f > 0x7FFF) return refuse("too many frames in a sequence");
        if (f > 0 && at + 3 + static_cast<uint64_t>(f - 1) * kAnimFrameWords + kAnimFrameWords > words)
            return refuse("frame record past the end of the data");
        CAnimSeq& seq = table->m_pSeqs[i];
        seq.m_Attribute = static_cast<int16_t>(word(at + 1) & 0xFFFF);
        seq.m_pFrames.reset(new CAnimFrame[f > 0 ? f : 1]);
        seq.m_FrameCount = static_cast<int16_t>(f);
        for (uint32_t j = 0; j < f; ++j) {
            const uint64_t w = at + 3 + static_cast<uint64_t>(j) * kAnimFrameWords;
            if (word(w) != 0) continue;  // a frame with no picture
            CAnimFrame& fr = seq.m_pFrames[j];
            fr.m_Image.SetById(word(w + 2));
            fr.m_Delay = static_cast<int16_t>(word(w + 1));
            fr.m_X = static_cast<int16_t>(word(w + 3));
            fr.m_Y = static_cast<int16_t>(word(w + 4));
            fr.m_HotX = static_cast<int16_t>(word(w + 5));
            fr.m_HotY = static_cast<int16_t>(word(w + 6));
        }
        at += static_cast<uint64_t>(f) * r + 3;
    }
    return table;
}
