#include "datagen/save_writer.h"

#include <zlib.h>

#include <iterator>

#include "datagen/bytes.h"
#include "datagen/record_tables.h"

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

// The save tests' record with their own defaults, through the one record
// writer.
std::string SaveRecordLayout(const SaveRecord& r) {
    RoleRecordSpec s;
    s.name = r.name;
    s.picture = r.picture;
    s.sprite = r.spritePart;
    s.exp = r.exp;
    s.nextExp = r.nextExp;
    s.level = r.level;
    s.money = r.money;
    s.hp = r.hp;
    s.qi = r.qi;
    s.nu = r.nu;
    s.st = r.st;
    s.ap = r.baseAP;
    s.dp = r.baseDP;
    s.maxHP = r.baseMaxHP;
    s.maxQi = r.baseMaxQi;
    s.baseST = r.baseST;
    s.value25 = r.classValue25;
    s.hr = r.baseHR;
    s.baseNu = r.baseNu;
    s.hpResume = r.hpResume;
    s.qiResume = r.qiResume;
    s.sp = r.baseSP;
    s.hpPotion = r.hpPotion;
    s.qiPotion = r.qiPotion;
    s.autoSort = r.autoSort;
    s.weapons = r.weaponCount;
    s.equips = r.equipCount;
    s.classId = r.classId;
    s.skillPoints = r.skillPoints;
    s.sceneId = r.sceneId;
    s.entryX = r.entryX;
    s.entryY = r.entryY;
    s.maxNu = r.maxNu;
    s.bank = r.bank;
    s.act = r.act;
    s.skills = r.skills;
    for (const SaveFlag& f : r.flags) s.flags.push_back({f.value, f.id, f.name});
    s.cursor = r.cursor;
    s.slots.assign(std::begin(r.slots), std::end(r.slots));
    for (const SaveItem& i : r.items)
        s.items.push_back({i.id, i.count, i.index, i.level, i.price, i.valueA, i.valueB, i.text});
    return BuildRoleRecord(s);
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
