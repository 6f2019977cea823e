#pragma once
// Helpers beside the display code: changing a window's style bits, deleting
// files by name pattern, pushing a scaled gamma ramp (the brightness
// setting), and the static pair of 60-slot tables that the selection code
// clears and resets.
#include <cstdint>

#include "core/containers.h"
#include "platform/display.h"
#include "platform/window.h"

// Style = (style & ~clearBits) | setBits, so a bit in both ends up set.
// 0 when the window has no style to read (null window) or the write fails.
int ChangeWindowStyle(plat::Window* window, uint32_t clearBits, uint32_t setBits);

// Deletes every file named name.extension in directory; a folder whose name
// matches is searched the same way. 0 when name or extension is null or empty, or
// when a file cannot be deleted (the walk stops there); else 1. Paths are in
// the game's Windows form.
int DeleteFilesInDir(const char* name, const char* extension, const char* directory);

// Sets the gamma ramp to `ramp` x factor, each entry clamped to 0..65535 and
// truncated; `ramp` itself is not changed. 0 without a gamma control.
int ScaleGammaRamp(plat::DDGammaControl* gammaControl, const plat::GammaRamp* ramp, float factor);

// Two 60-slot tables whose used slots form a doubly linked list: m_Extra1 is
// the first end, m_Extra2 the second, m_ExtraA the link toward the second
// end, m_ExtraB the link toward the first end (-1 = none); then one cleared
// flag per table.
class CSlotTablePair {
public:
    CSlotTablePair();
    ~CSlotTablePair();

    void Reset();
    void ClearFirst();
    void ClearSecond();

    CSlotTable60Ex m_First;
    CSlotTable60Ex m_Second;
    int32_t m_FirstCleared = 0;
    int32_t m_SecondCleared = 0;

private:
    static void ClearTable(CSlotTable60Ex& table);
};

extern CSlotTablePair g_SlotTablePair;
