#pragma once
// A scratch surface for drawing a picture before blending it: the view's
// own when it is large enough, else one made for the call.
#include <cstdint>
#include <memory>

class CSurface;

// At least w x h, colour-keyed and cleared to the key over w x h; `own`
// keeps a surface made here alive. Null when none can be had.
CSurface* TakeViewScratch(int32_t w, int32_t h, std::unique_ptr<CSurface>& own);
