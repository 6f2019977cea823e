#include "ui/jm_settings.h"

int32_t g_ProgressValue1 = 0;
int32_t g_ProgressValue2 = 0;
int32_t g_ProgressValue3 = 0;
CJMSettings* g_JMSettings = nullptr;

int CJMSettings::Draw(CSurface* surface) {
    if (!IsShown()) return 0;
    DrawPicture(surface);
    DrawChildren(surface);
    return 1;
}
