#pragma once
// Row 27: the loading window, drawn in layers as the progress grows while
// the game object loads a scene.
#include <cstdint>

#include "ui/jm.h"

class CJMLoading : public CJM {
public:
    // The layer pictures 1-7 show once the progress exceeds these.
    static constexpr int kLayerSteps[7] = {2, 4, 6, 8, 10, 12, 13};
    static constexpr int kDone = 16;

    int Draw(CSurface* surface) override;
    void Show(int shown, int mode) override;
    // Adds n to the progress; non-zero while it is below 16.
    int AddProgress(int n) {
        m_Progress += n;
        return m_Progress < kDone;
    }
    // Sequences of the picture drawn at this progress (at least 1).
    int LayerCount() const;

    int32_t m_Progress = 0;
};

extern CJMLoading* g_JMLoading;
