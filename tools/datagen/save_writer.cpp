#include "datagen/save_writer.h"

#include <zlib.h>

#include "datagen/bytes.h"

namespace datagen {

namespace {

constexpr size_t kHugeString = 20000;

void Str(Bytes& b, const std::string& s) {
    if (s.empty()) {
        b.U32(0);
        return;
    }
    b.U32(static_cast<uint32_t>(s.size() + 1)).Raw(s).U8(0);
}

std::string Finish(std::string layout, const SaveFileOptions& o) {
    std::string f = o.trailer ? WithSaveTrailer(std::move(layout)) : std::move(layout);
    if (o.damage == SaveDamage::Cut) f.resize(o.at ? std::min(o.at, f.size()) : f.size() / 2);
    if (o.damage == SaveDamage::FlippedByte && o.at < f.size()) f[o.at] = static_cast<char>(f[o.at] ^ 0x20);
    return f;
}

} // namespace

std::string SaveSummaryLayout(const SaveSummary& s) {
    Bytes b;
    b.I32(s.slot);
    Str(b, s.version);
    b.I32(s.year).I32(s.month).I32(s.day).I32(s.hour).I32(s.minute).I32(s.second);
    b.I32(s.days).I32(s.hours).I32(s.minutes).I32(s.seconds);
    b.I32(s.difficulty).I32(s.level);
    Str(b, s.sprite);
    Str(b, s.partNo);
    Str(b, s.partFile);
    b.I32(s.deaths).I32(s.birthMonth).I32(s.birthDay);
    for (int32_t v : s.reserved) b.I32(v);
    return b.str();
}

std::string SaveRecordLayout(const SaveRecord& r) {
    Bytes b;
    Str(b, r.name);
    Str(b, r.picture);
    Str(b, r.spritePart);
    b.I32(r.exp).I32(r.nextExp).I32(r.level).I32(r.money);
    b.I32(r.hp).I32(r.qi).I32(r.nu).I32(r.st);
    b.F32(r.baseAP).F32(r.baseDP).F32(r.baseMaxHP).F32(r.baseMaxQi).F32(r.baseST).F32(r.classValue25);
    b.F32(r.baseHR);
    b.I32(r.baseNu).F32(r.hpResume).F32(r.qiResume).I32(r.baseSP);
    b.I32(r.hpPotion).I32(r.qiPotion).I32(r.autoSort);
    b.I32(r.weaponCount).I32(r.equipCount).I32(r.classId);
    b.I32(r.skillPoints).I32(r.sceneId).I32(r.entryX).I32(r.entryY);
    b.F32(r.maxNu).I32(r.bank).I32(r.act);
    for (int i = 0; i < 7; ++i) b.I32(0);
    b.I32(static_cast<int32_t>(r.skills.size()));
    for (int32_t s : r.skills) b.I32(s);
    b.I32(static_cast<int32_t>(r.flags.size()));
    for (const SaveFlag& f : r.flags) {
        b.I32(f.value).I32(f.id);
        Str(b, f.name);
    }
    b.I32(r.cursor);
    for (int32_t s : r.slots) b.I32(s);
    b.I32(static_cast<int32_t>(r.items.size()));
    for (const SaveItem& i : r.items) {
        b.I32(i.id).I32(i.count).I32(i.index).I32(i.level).I32(i.price).I32(i.valueA).I32(i.valueB);
        Str(b, i.text);
    }
    return b.str();
}

std::string SaveHudLayout(const SaveHud& h) {
    Bytes b;
    for (const auto& g : h.groups) {
        b.U32(static_cast<uint32_t>(g.size()));
        for (int32_t s : g) b.I32(s);
    }
    b.I32(h.left).I32(h.right).I32(h.selected).I32(h.prevRight);
    b.U32(static_cast<uint32_t>(h.hotkeys.size()));
    for (const SaveHotkey& k : h.hotkeys) b.I32(k.skill).I32(k.key).I32(k.kind);
    return b.str();
}

std::string WithSaveTrailer(std::string layout) {
    const uLong crc = crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(layout.data()),
                            static_cast<uInt>(layout.size()));
    Bytes b;
    b.Raw("VTSV").U32(static_cast<uint32_t>(layout.size())).U32(static_cast<uint32_t>(crc));
    return layout + b.str();
}

std::string BuildSaveSummary(const SaveSummary& s, const SaveFileOptions& o) {
    SaveSummary d = s;
    if (o.damage == SaveDamage::BadVersion) d.version = "1.4";
    if (o.damage == SaveDamage::Slot7) d.slot = 7;
    if (o.damage == SaveDamage::HugeString) d.sprite.assign(kHugeString, 'x');
    return Finish(SaveSummaryLayout(d), o);
}

std::string BuildSaveSlot(const SaveRecord& r, const SaveHud* hud, const SaveFileOptions& o) {
    SaveRecord d = r;
    if (o.damage == SaveDamage::HugeString) {
        if (d.items.empty()) d.items.push_back({});
        d.items.front().text.assign(kHugeString, 'x');
    }
    if (o.damage == SaveDamage::RepeatedPoolIndex) {
        if (d.items.empty()) d.items.push_back({});
        SaveItem copy = d.items.front();
        copy.id += 1;
        d.items.push_back(copy);
    }
    std::string layout = SaveRecordLayout(d);
    if (hud) layout += SaveHudLayout(*hud);
    return Finish(std::move(layout), o);
}

} // namespace datagen
