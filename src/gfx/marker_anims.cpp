#include "gfx/marker_anims.h"

CAnimRes g_MarkerAnims[2];

void StepCursorAnims() {
    for (CAnimRes& res : g_MarkerAnims)
        if (CAnimPlayer* player = res.CurrentPlayer()) player->StepLoop();
}
