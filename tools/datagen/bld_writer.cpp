#include "datagen/bld_writer.h"

#include <algorithm>

#include "datagen/bytes.h"

namespace datagen {

namespace {

std::string Filled(char c, size_t n) { return std::string(n, c); }

std::string PartRecord(const BldPartSpec& p, bool noNul, int32_t forcedW, int32_t forcedSubs) {
    Bytes b;
    b.U16(3);
    if (noNul)
        b.Raw(Filled('N', 32));
    else
        b.Fixed(p.name, 32);
    b.U16(p.partKind).U16(p.partId).U32(0);
    const int32_t subs = forcedSubs >= 0 ? forcedSubs
                         : p.subCountOverride >= 0 ? p.subCountOverride
                                                   : static_cast<int32_t>(p.subs.size());
    b.U16(static_cast<uint16_t>(subs)).U16(p.middleStart).U16(p.word46).U16(p.topCount).U8(p.labelEnable);
    b.Fixed(p.bytes51, 20).Fixed(p.bytes71, 8);
    b.U16(forcedW >= 0 ? static_cast<uint16_t>(forcedW) : p.gridW).U16(p.gridH).U16(p.nameTextId);
    for (int32_t v : {p.anchorX, p.anchorY, p.lineDx, p.lineDy, p.originX, p.originY, p.rectX, p.rectY, p.rectW,
                      p.rectH, p.lightX, p.lightY, p.useSound, p.ambientSound})
        b.I32(v);
    for (int32_t v : p.rest) b.I32(v);
    const size_t cells = static_cast<size_t>(p.gridW) * p.gridH;
    for (size_t i = 0; i < cells; ++i) b.U16(i < p.mask.size() ? p.mask[i] : 0);
    b.U16(p.trailing).U8(p.lightKind).U8(p.labelColour);
    for (const BldSubSpec& s : p.subs) {
        if (noNul)
            b.Raw(Filled('S', 8));
        else
            b.Fixed(s.name, 8);
        b.U8(s.animated).U32(s.resId).I32(s.x).I32(s.y);
    }
    return b.str();
}

} // namespace

std::string BldNameField(const std::string& text, uint16_t tag) {
    std::string field;
    field += static_cast<char>(tag & 0xFF);
    field += static_cast<char>(tag >> 8);
    return field + text;
}

std::string BldNameRef(int id) { return BldNameField("%" + std::to_string(id) + "%", 7); }

std::string BuildPartRecord(const BldPartSpec& part) { return PartRecord(part, false, -1, -1); }

std::string BuildBldModel(const BldModelSpec& spec) {
    Bytes h;
    h.Fixed("quorbld1.50", 32);
    int32_t count = spec.countOverride >= 0 ? spec.countOverride : static_cast<int32_t>(spec.records.size());
    if (spec.fault == BldModelFault::CountPastEnd) ++count;
    if (spec.fault == BldModelFault::NegativeCount) count = -5;
    h.I32(count).Fixed("", 28);
    std::string out = h.str();
    if (spec.fault == BldModelFault::ShortHeader) return out.substr(0, 40);
    bool first = true;
    for (const BldModelRecord& r : spec.records) {
        if (r.kind != 3) {
            Bytes k;
            k.U16(r.kind);
            out += k.str();
            continue;
        }
        const bool noNul = spec.fault == BldModelFault::NoNulNames;
        int32_t w = -1, s = -1;
        if (first && spec.fault == BldModelFault::HugeFootprint) w = 60000;
        if (first && spec.fault == BldModelFault::HugeSubCount) s = 65000;
        out += PartRecord(r.part, noNul, w, s);
        first = false;
    }
    if (spec.fault == BldModelFault::CutInPart && out.size() > 64 + 10) out.resize(out.size() - 10);
    return out;
}

bool WriteBldModel(const std::string& nativePath, const BldModelSpec& spec) {
    return WriteBytes(nativePath, BuildBldModel(spec));
}

std::string BuildBldInit(const BldInitSpec& spec) {
    Bytes h;
    h.Fixed(spec.fault == BldInitFault::WrongMagic ? "QuorInit0.99" : "QuorInit1.00", 16);
    int32_t count = spec.countOverride >= 0 ? spec.countOverride : static_cast<int32_t>(spec.records.size());
    if (spec.fault == BldInitFault::CountPastEnd) ++count;
    h.U16(static_cast<uint16_t>(count));
    if (spec.fault == BldInitFault::NoNulName)
        h.Raw(Filled('m', 178));
    else
        h.Fixed(spec.modelFile, 178);
    std::string out = h.str();
    if (spec.fault == BldInitFault::ShortHeader) return out.substr(0, 100);
    bool first = true;
    for (const BldInitRecord& r : spec.records) {
        Bytes b;
        b.U16(r.type).U16(r.modelId).I32(r.x).I32(r.y).U32(r.unused);
        uint32_t n = r.dataLengthOverride >= 0 ? static_cast<uint32_t>(r.dataLengthOverride)
                                               : static_cast<uint32_t>(r.data.size());
        if (first && spec.fault == BldInitFault::HugeData) n = 0x7FFFFF00u;
        b.U32(n).Raw(r.data);
        if (r.type == 4) {
            if (spec.fault == BldInitFault::NoNulText)
                b.Raw(Filled('t', 128));
            else
                b.Fixed(r.text, 128);
        }
        out += b.str();
        first = false;
    }
    if (spec.fault == BldInitFault::CutText && !spec.records.empty() && spec.records.back().type == 4)
        out.resize(out.size() - 60);
    return out;
}

bool WriteBldInit(const std::string& nativePath, const BldInitSpec& spec) {
    return WriteBytes(nativePath, BuildBldInit(spec));
}

} // namespace datagen
