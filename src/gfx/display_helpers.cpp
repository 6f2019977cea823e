#include "gfx/display_helpers.h"

#include <string>

#include "platform/fs.h"

CSlotTablePair g_SlotTablePair;

int ChangeWindowStyle(plat::Window* window, uint32_t clearBits, uint32_t setBits) {
    const uint32_t style = plat::GetWindowLong(window, plat::GWL_STYLE);
    if (style == 0) return 0;
    return plat::SetWindowLong(window, plat::GWL_STYLE, (style & ~clearBits) | setBits) != 0 ? 1 : 0;
}

int DeleteFilesInDir(const char* name, const char* extension, const char* directory) {
    if (!name || !*name || !extension || !*extension) return 0;
    std::string pattern = name;
    if (pattern.back() != '.') pattern += '.';
    pattern += (extension[0] == '.') ? extension + 1 : extension;
    std::string dir = directory ? directory : "";
    if (!dir.empty() && dir.back() != '\\') dir += '\\';

    // A matching folder is searched the same way; a matching file is deleted.
    for (const plat::FindEntry& e : plat::FindFiles(dir + pattern)) {
        if (e.name == "." || e.name == "..") continue;
        if (e.isDir) {
            if (!DeleteFilesInDir(name, extension, (dir + e.name).c_str())) return 0;
        } else if (!plat::DeleteFile(dir + e.name)) {
            return 0;
        }
    }
    return 1;
}

int ScaleGammaRamp(plat::DDGammaControl* gammaControl, const plat::GammaRamp* ramp, float factor) {
    if (!gammaControl || !ramp) return 0;
    plat::GammaRamp out;
    auto scale = [factor](uint16_t v) -> uint16_t {
        float f = static_cast<float>(v) * factor;
        if (f < 0.0f) f = 0.0f;
        if (f > 65535.0f) f = 65535.0f;
        return static_cast<uint16_t>(f);
    };
    for (int i = 0; i < 256; ++i) {
        out.red[i] = scale(ramp->red[i]);
        out.green[i] = scale(ramp->green[i]);
        out.blue[i] = scale(ramp->blue[i]);
    }
    return gammaControl->SetGammaRamp(0, &out) == plat::DD_OK ? 1 : 0;
}

CSlotTablePair::CSlotTablePair() {
    m_First.Clear();
    m_Second.Clear();
    m_FirstCleared = 0;
    m_SecondCleared = 0;
}

CSlotTablePair::~CSlotTablePair() {
    ClearFirst();
    ClearSecond();
}

void CSlotTablePair::Reset() {
    m_FirstCleared = 0;
    m_SecondCleared = 0;
}

void CSlotTablePair::ClearTable(CSlotTable60Ex& t) {
    // Bounded by the slot count, so a broken list cannot loop forever.
    for (int guard = 0; t.m_Count != 0 && guard <= CSlotTable60::kSlots; ++guard) {
        const int32_t s = t.m_Extra1;
        if (s < 0 || s >= CSlotTable60::kSlots) break;
        if (t.m_Used[s]) {
            t.m_Values[s] = t.m_EmptyValue;
            t.m_Used[s] = 0;
            --t.m_Count;
        }
        const int32_t toSecond = t.m_ExtraA[s];
        const int32_t toFirst = t.m_ExtraB[s];
        if (toFirst >= 0 && toFirst < CSlotTable60::kSlots) t.m_ExtraA[toFirst] = toSecond;
        if (toSecond >= 0 && toSecond < CSlotTable60::kSlots) t.m_ExtraB[toSecond] = toFirst;
        if (t.m_Extra1 == s) t.m_Extra1 = toSecond;
        if (t.m_Extra2 == s) t.m_Extra2 = toFirst;
        if (toFirst < 0 && toSecond < 0) t.m_Extra1 = t.m_Extra2 = -1;
        t.m_ExtraA[s] = -1;
        t.m_ExtraB[s] = -1;
    }
}

void CSlotTablePair::ClearFirst() {
    ClearTable(m_First);
    m_FirstCleared = 1;
}

void CSlotTablePair::ClearSecond() {
    ClearTable(m_Second);
    m_SecondCleared = 1;
}
