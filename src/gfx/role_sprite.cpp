#include "gfx/role_sprite.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/directories.h"
#include "gfx/define_table.h"
#include "gfx/fast_kernels.h"
#include "gfx/image.h"
#include "gfx/res_lib.h"
#include "platform/debug.h"
#include "platform/msgbox.h"
#include "platform/random.h"
#include "platform/text.h"

CRoleSprMng g_RoleSprMng;
int32_t g_DrawAlphaSpriteParts = 1;

// "打开SprRole.h失败!"
const char* const kSprRoleOpenFailedText = "\xB4\xF2\xBF\xAA" "SprRole.h" "\xCA\xA7\xB0\xDC" "!";

namespace {

constexpr char kRolePrefix[] = "SPR_ROLE_";
constexpr char kDefaultNo[] = "001";

bool IsOverlayName(const std::string& name) {
    return !name.empty() && (name.back() == 'S' || name.back() == 's');
}

// The text of `s` before the next '_' from *pos, moving past it; empty when
// no '_' follows.
std::string NextField(const std::string& s, size_t* pos) {
    if (*pos >= s.size()) return {};
    const size_t u = s.find('_', *pos);
    if (u == std::string::npos) {
        *pos = s.size();
        return {};
    }
    std::string f = s.substr(*pos, u - *pos);
    *pos = u + 1;
    return f;
}

// Adds a record to the part of its name in `list`, making the part when
// there is none (names compared exactly).
void AddToPartList(std::vector<std::unique_ptr<CRolePart>>& list, RoleVariant* rec) {
    for (auto& p : list)
        if (p->m_Name == rec->part) {
            p->m_Variants.push_back(rec);
            return;
        }
    auto p = std::make_unique<CRolePart>();
    p->m_Name = rec->part;
    p->m_Variants.push_back(rec);
    list.push_back(std::move(p));
}

// Copies the template's parts into `out`, each with copies of its variant
// records (also owned by the sprite's record list).
void CopyParts(const std::vector<std::unique_ptr<CRolePart>>& from, std::vector<std::unique_ptr<CRolePart>>* out,
               std::vector<std::unique_ptr<RoleVariant>>* records) {
    for (const auto& tp : from) {
        auto p = std::make_unique<CRolePart>();
        p->m_Name = tp->m_Name;
        for (const RoleVariant* v : tp->m_Variants) {
            records->push_back(std::make_unique<RoleVariant>(*v));
            p->m_Variants.push_back(records->back().get());
        }
        out->push_back(std::move(p));
    }
}

PliPartName ToPartName(const std::string& name) {
    PliPartName n{};
    std::memcpy(n.data(), name.data(), std::min(name.size(), n.size() - 1));
    return n;
}

// Grows `acc` by `r`; rectangles without size are ignored, an empty `acc`
// takes `r` as it is.
void AddRect(CGameRect* acc, const CGameRect& r) {
    if (r.width <= 0 || r.height <= 0) return;
    if (acc->width <= 0 || acc->height <= 0) *acc = r;
    else acc->Union(r);
}

bool PartRect(CRolePart* part, const CGamePoint& pos, int32_t seq, int32_t frame, bool current, CGameRect* acc) {
    const CAnimFrame* f = part->FrameOf(seq, frame, current);
    if (!f) return false;
    CGameRect r;
    f->GetRect(pos.x, pos.y, &r);
    AddRect(acc, r);
    return true;
}

// Each part's draw follows a chain of pointers (part, player, frame,
// picture) through objects that are rarely in the cache by the time a
// sprite is drawn. Walking the chains a step at a time for all parts
// together, with side-effect-free reads only, lets those misses overlap
// instead of coming one after another during the draws.
void PrefetchParts(const CRoleSprite* sprite, const uint8_t* order, uint32_t length, int32_t seq, int32_t frame) {
    constexpr uint32_t kMax = 16;
    const CRolePart* parts[kMax];
    const void* step[kMax];
    const uint32_t n = std::min(length, kMax);
    for (uint32_t i = 0; i < n; ++i) {
        parts[i] = sprite->PartAt(order[i]);
        if (parts[i]) {
            __builtin_prefetch(&parts[i]->m_Shown);
            __builtin_prefetch(&parts[i]->m_Anim.m_SeqCount);
        }
    }
    for (uint32_t i = 0; i < n; ++i) {
        const CAnimPlayer* p = parts[i] && parts[i]->m_Shown ? parts[i]->m_Anim.Player(seq) : nullptr;
        step[i] = p;
        if (p) __builtin_prefetch(p);
    }
    for (uint32_t i = 0; i < n; ++i) {
        const CAnimPlayer* p = static_cast<const CAnimPlayer*>(step[i]);
        const CAnimFrame* f = !p ? nullptr : parts[i] == sprite->m_pMainPart ? p->CurrentFrame() : p->FrameAt(frame);
        step[i] = f;
        if (f) __builtin_prefetch(f);
    }
    for (uint32_t i = 0; i < n; ++i) {
        const CAnimFrame* f = static_cast<const CAnimFrame*>(step[i]);
        const CImage* img = f && f->m_Image.m_pLib ? f->m_Image.m_pLib->LoadedImage(f->m_Image.m_EntryValue) : nullptr;
        if (img) __builtin_prefetch(img);
    }
}

} // namespace

// ---- CRolePart ----

int CRolePart::SelectRecord(int32_t i) {
    if (i < 0 || static_cast<size_t>(i) >= m_Variants.size()) return 0;
    m_Anim.DisableTrail();
    m_Anim.Release();
    m_CurVariant = i;
    m_pCurVariant = m_Variants[static_cast<size_t>(i)];
    m_Anim.Bind(m_pCurVariant->value);
    m_Shown = 1;
    return 1;
}

int CRolePart::SelectVariant(const char* name) {
    if (!name || !*name) {
        m_Shown = 0;
        m_Equipped = false;
        return 1;
    }
    if (m_pCurVariant && plat::EqualsNoCase(m_pCurVariant->variant, name)) {
        m_Shown = 1;
        m_Equipped = true;
        return 1;
    }
    for (size_t i = 0; i < m_Variants.size(); ++i)
        if (plat::EqualsNoCase(m_Variants[i]->variant, name)) {
            SelectRecord(static_cast<int32_t>(i));
            m_Equipped = true;
            return 1;
        }
    return 0;
}

void CRolePart::SetPartNo(int32_t n) {
    m_PartNo = n;
    if (n >= 32 && n <= 38) {
        m_DrawMode = kDrawTable;
        m_Table = n;
    }
}

void CRolePart::EnsureBound() {
    if (m_Anim.IsBound() || m_Variants.empty()) return;
    if (!m_pCurVariant) {
        m_CurVariant = 0;
        m_pCurVariant = m_Variants[0];
    }
    m_Anim.DisableTrail();
    m_Anim.Bind(m_pCurVariant->value);
}

const CAnimFrame* CRolePart::FrameOf(int32_t seq, int32_t frame, bool current) {
    const CAnimPlayer* p = m_Anim.Player(seq);
    if (!p) return nullptr;
    return current ? p->CurrentFrame() : p->FrameAt(frame);
}

int CRolePart::Draw(CSurface* dst, int32_t x, int32_t y, const CGameRect* clip, int32_t seq, int32_t frame,
                    bool current) {
    if (!m_Shown) return 0;
    EnsureBound();
    const CAnimFrame* f = FrameOf(seq, frame, current);
    if (!f) return 0;
    const CImage* img = f->GetImage();
    if (!img) return 0;
    if (img->m_pAlpha) {
        if (!g_DrawAlphaSpriteParts) return 0;
        return f->Draw(dst, x, y, kDrawAlpha, -1, clip);
    }
    return f->Draw(dst, x, y, m_DrawMode, m_Table, clip);
}

// ---- CRoleSprite ----

CRolePart* CRoleSprite::FindPart(const char* name, int32_t* index) const {
    if (!name) return nullptr;
    for (size_t i = 0; i < m_Parts.size(); ++i)
        if (plat::EqualsNoCase(m_Parts[i]->m_Name, name)) {
            if (index) *index = static_cast<int32_t>(i);
            return m_Parts[i].get();
        }
    return nullptr;
}

CRolePart* CRoleSprite::FindOverlay(const char* name) const {
    if (!name) return nullptr;
    for (const auto& p : m_Overlays)
        if (plat::EqualsNoCase(p->m_Name, name)) return p.get();
    return nullptr;
}

CRolePart* CRoleSprite::TwinOf(const CRolePart* part) const {
    if (!part) return nullptr;
    for (const auto& o : m_Overlays)
        if (o->m_Name.size() == part->m_Name.size() + 1 && o->m_Name.compare(0, part->m_Name.size(), part->m_Name) == 0)
            return o.get();
    return nullptr;
}

CRolePart* CRoleSprite::PartAt(int32_t i) const {
    if (i < 0 || static_cast<size_t>(i) >= m_Parts.size()) return nullptr;
    return m_Parts[static_cast<size_t>(i)].get();
}

int CRoleSprite::SelectMainPart(const std::string& name) {
    int32_t index = -1;
    CRolePart* p = name.empty() ? nullptr : FindPart(name.c_str(), &index);
    if (!p) return 0;
    m_pMainPart = p;
    m_MainIndex = index;
    m_MainPartName = p->m_Name;
    return 1;
}

bool CRoleSprite::IsAllHidden() const {
    for (const auto& p : m_Parts)
        if (p->m_Shown) return false;
    for (const auto& p : m_Overlays)
        if (p->m_Shown) return false;
    return true;
}

void CRoleSprite::CurrentActionFrame(int32_t* action, int32_t* frame) const {
    *action = 0;
    *frame = 0;
    if (!m_pMainPart) return;
    const CTrailAnim& a = m_pMainPart->m_Anim;
    int32_t seq = a.m_CurSeq;
    if (seq < 0 || seq >= a.m_SeqCount) seq = 0;
    *action = seq;
    if (const CAnimPlayer* p = a.Player(seq)) *frame = p->m_CurFrame;
}

// ---- CRoleSprMng ----

void CRoleSprMng::Clear() {
    m_Templates.clear();
    m_Headers.clear();
    m_CurRole.clear();
}

const CRoleSprite* CRoleSprMng::Template(int32_t i) const {
    if (i < 0 || static_cast<size_t>(i) >= m_Templates.size()) return nullptr;
    return m_Templates[static_cast<size_t>(i)].get();
}

int CRoleSprMng::LoadHeader(const char* path) {
    Clear();
    if (!path || !*path) return 0;
    CDefineTable table(path, nullptr, nullptr);
    if (table.GetCount() < 1) {
        plat::MessageBox(kSprRoleOpenFailedText, "", plat::MB_OK);
        return 0;
    }
    for (int32_t i = 0; i < table.GetCount(); ++i) {
        std::string name = table.GetRecord(i)->name;
        for (size_t at; (at = name.find(kRolePrefix)) != std::string::npos;) name.erase(at, sizeof kRolePrefix - 1);
        size_t pos = 0;
        auto rec = std::make_unique<RoleVariant>();
        rec->value = static_cast<uint32_t>(table.GetRecord(i)->value);
        const std::string role = NextField(name, &pos);
        rec->part = NextField(name, &pos);
        rec->variant = NextField(name, &pos);
        if (role == m_CurRole && m_Templates.empty()) {
            // A nameless role on the first line has no template to join.
            Clear();
            return 0;
        }
        if (role != m_CurRole) {
            auto tpl = std::make_unique<CRoleSprite>();
            tpl->m_RoleName = role;
            m_Templates.push_back(std::move(tpl));
            m_CurRole = role;
        }
        m_Templates.back()->m_Records.push_back(std::move(rec));
    }
    for (auto& tpl : m_Templates) {
        if (tpl->m_Records.empty()) {
            Clear();
            return 0;
        }
        for (auto& rec : tpl->m_Records)
            AddToPartList(IsOverlayName(rec->part) ? tpl->m_Overlays : tpl->m_Parts, rec.get());
    }
    for (size_t i = 0; i < m_Templates.size(); ++i) m_Headers.push_back(std::make_shared<PliHeader>());
    return 1;
}

int CRoleSprMng::FillFromTemplate(CRoleSprite* spr, const CRoleSprite& tpl) const {
    CopyParts(tpl.m_Parts, &spr->m_Parts, &spr->m_Records);
    CopyParts(tpl.m_Overlays, &spr->m_Overlays, &spr->m_Records);
    for (const auto& p : spr->m_Parts) spr->m_PartNames.push_back(ToPartName(p->m_Name));
    spr->m_PartsBuilt = 1;
    return 1;
}

int CRoleSprMng::ReadPli(CRoleSprite* spr, int32_t templateIndex) {
    std::shared_ptr<PliHeader>& slot = m_Headers[static_cast<size_t>(templateIndex)];
    if (slot && slot->IsFilledFor(spr->m_RoleName)) {
        if (!spr->SelectMainPart(PliFieldText(slot->mainPart, sizeof slot->mainPart))) return 0;
        for (size_t i = 0; i < slot->partNames.size() && i < spr->m_PartNames.size(); ++i)
            spr->m_PartNames[i] = slot->partNames[i];
        spr->m_pHeader = slot;
        return 1;
    }
    const std::string path = std::string(GetProgramDirectory()) + "Slr\\" + spr->m_RoleName + "\\" + spr->m_RoleName +
                             "_001.PLI";
    auto h = std::make_shared<PliHeader>();
    if (!ReadPliFile(path.c_str(), spr->m_RoleName, static_cast<int32_t>(spr->m_Parts.size()), h.get())) return 0;
    if (!spr->SelectMainPart(PliFieldText(h->mainPart, sizeof h->mainPart))) {
        plat::DebugPrintf("PLI: %s: no part named \"%s\"\n", path.c_str(),
                          PliFieldText(h->mainPart, sizeof h->mainPart).c_str());
        return 0;
    }
    for (size_t i = 0; i < h->partNames.size(); ++i) spr->m_PartNames[i] = h->partNames[i];
    if (h->roleName[0] == 0) {
        const std::string& r = spr->m_RoleName;
        std::memcpy(h->roleName, r.data(), std::min(r.size(), sizeof h->roleName - 1));
    }
    slot = h;
    spr->m_pHeader = h;
    return 1;
}

int CRoleSprMng::Equip(CRoleSprite* spr, const char* variants) const {
    const size_t len = std::strlen(variants);
    for (size_t i = 0; i < spr->m_Parts.size(); ++i) {
        CRolePart* part = spr->m_Parts[i].get();
        // Characters 4i .. 4i + 2; a list too short for every part is
        // refused rather than read past its end.
        if (4 * i + 3 > len) {
            plat::DebugPrintf("Role sprite %s: variant list \"%s\" too short for %zu parts\n", spr->m_RoleName.c_str(),
                              variants, spr->m_Parts.size());
            return 0;
        }
        const std::string v(variants + 4 * i, 3);
        CRolePart* twin = spr->TwinOf(part);
        if (v == "000") {
            part->m_CurVariant = part->m_Variants.empty() ? -1 : 0;
            part->m_pCurVariant = part->m_Variants.empty() ? nullptr : part->m_Variants[0];
            part->m_Shown = 0;
            part->m_Equipped = false;
            if (twin) {
                twin->m_CurVariant = twin->m_Variants.empty() ? -1 : 0;
                twin->m_pCurVariant = twin->m_Variants.empty() ? nullptr : twin->m_Variants[0];
                twin->m_Shown = 0;
            }
            continue;
        }
        if (!part->SelectVariant(v.c_str())) {
            plat::DebugPrintf("Role sprite %s: part %s has no variant %s\n", spr->m_RoleName.c_str(),
                              part->m_Name.c_str(), v.c_str());
            return 0;
        }
        if (twin && !twin->SelectVariant(v.c_str())) twin->SelectRecord(0);
    }
    return 1;
}

CRoleSprite* CRoleSprMng::Create(const char* roleName, const char* partNo, const char* variants) {
    (void)partNo;
    if (!roleName || !*roleName) return nullptr;
    int32_t index = -1;
    for (size_t i = 0; i < m_Templates.size(); ++i)
        if (plat::EqualsNoCase(m_Templates[i]->m_RoleName, roleName)) {
            index = static_cast<int32_t>(i);
            break;
        }
    if (index < 0) return nullptr;
    auto spr = std::make_unique<CRoleSprite>();
    spr->m_RoleName = roleName;
    FillFromTemplate(spr.get(), *m_Templates[static_cast<size_t>(index)]);
    if (!variants || !*variants) return spr.release();
    if (!ReadPli(spr.get(), index) || !Equip(spr.get(), variants)) return nullptr;
    return spr.release();
}

// ---- helpers ----

void RoleColorEffectMode(int32_t kind, int32_t* mode, int32_t* table) {
    static const int32_t kTables[11] = {0, 36, 37, 35, 38, 33, 34, -1, 32, 8, 19};
    *mode = kDrawCopy;
    *table = -1;
    if (kind >= 1 && kind <= 10) {
        *mode = kind == 7 ? kDrawAlpha : kind == 9 ? kDrawBlend : kDrawTable;
        *table = kTables[kind];
    } else if (kind == 31) {
        const int r = plat::Rand() % 4;
        if (r < 2) {
            *mode = kDrawTable;
            *table = 34;
        } else if (r == 2) {
            *mode = kDrawTable;
            *table = 38;
        }
    }
}

std::string FormatRolePartNo(int32_t n) {
    if (n < 0) return "000";
    // At least three digits, zero-padded.
    char buf[16];
    std::snprintf(buf, sizeof buf, "%03d", static_cast<int>(n));
    return buf;
}

std::string MakeRolePartImageName(const std::string& variant, int32_t partNo) {
    return variant + "_001_" + FormatRolePartNo(partNo);
}

// ---- entry points ----

int LoadSprRoleHeader(const char* path) { return g_RoleSprMng.LoadHeader(path); }

CRoleSprite* CreateRoleSprite(const char* roleName, const char* partNo, const char* variants) {
    return g_RoleSprMng.Create(roleName, partNo, variants);
}

void DestroyRoleSprite(CRoleSprite** sprite) {
    if (!sprite) return;
    delete *sprite;
    *sprite = nullptr;
}

CTrailAnim* GetRoleSpriteAnim(CRoleSprite* sprite) {
    return sprite && sprite->m_pMainPart ? &sprite->m_pMainPart->m_Anim : nullptr;
}

int SetRoleSpriteDrawMode(CRoleSprite* sprite, int32_t mode, int32_t table, int32_t force) {
    if (!sprite) return 0;
    for (auto& p : sprite->m_Parts) {
        if (!force && p->m_PartNo >= 32 && p->m_PartNo <= 38) {
            p->m_DrawMode = kDrawTable;
            p->m_Table = p->m_PartNo;
            continue;
        }
        p->m_DrawMode = mode;
        p->m_Table = table;
    }
    return 1;
}

int SetRoleSpriteOverlayDrawMode(CRoleSprite* sprite, int32_t mode, int32_t table) {
    if (!sprite) return 0;
    for (auto& p : sprite->m_Overlays) {
        p->m_DrawMode = mode;
        p->m_Table = table;
    }
    return 1;
}

int SetRoleSpriteColorEffect(CRoleSprite* sprite, int32_t kind, const char* partName) {
    if (!sprite) return 0;
    int32_t mode = 0, table = -1;
    RoleColorEffectMode(kind, &mode, &table);
    if (partName && *partName) {
        CRolePart* p = sprite->FindPart(partName);
        if (!p) p = sprite->FindOverlay(partName);
        if (!p) return 0;
        p->m_DrawMode = mode;
        p->m_Table = table;
        return 1;
    }
    for (auto& p : sprite->m_Parts) {
        p->m_DrawMode = mode;
        p->m_Table = table;
    }
    return 1;
}

int DrawRoleSprite(CRoleSprite* sprite, CSurface* dst, int32_t x, int32_t y, const CGameRect* clip, int32_t mode) {
    (void)mode;
    if (!sprite || !sprite->m_pMainPart || !sprite->m_pHeader) return 0;
    sprite->m_pMainPart->EnsureBound();
    int32_t a = 0, f = 0;
    sprite->CurrentActionFrame(&a, &f);
    uint32_t length = 0;
    const uint8_t* order = sprite->m_pHeader->FindOrder(a, f, &length);
    if (order) PrefetchParts(sprite, order, length, a, f);
    // No colour table is rebuilt while the parts draw.
    const fast::StableTablesScope stableTables;
    int drawn = 0;
    for (uint32_t i = 0; order && i < length; ++i) {
        CRolePart* part = sprite->PartAt(order[i]);
        if (!part) continue;
        if (part->Draw(dst, x, y, clip, a, f, part == sprite->m_pMainPart) > 0) ++drawn;
    }
    return drawn;
}

int DrawRoleSpriteOverlays(CRoleSprite* sprite, CSurface* dst, int32_t x, int32_t y, const CGameRect* clip,
                           int32_t mode) {
    (void)mode;
    if (!sprite || !sprite->m_pMainPart) return 0;
    int32_t a = 0, f = 0;
    sprite->CurrentActionFrame(&a, &f);
    int drawn = 0;
    for (auto& p : sprite->m_Overlays)
        if (p->Draw(dst, x, y, clip, a, f, false) > 0) ++drawn;
    return drawn;
}

int PreloadRoleSpriteFrames(CRoleSprite* sprite, int32_t first, int32_t count) {
    if (!sprite || !sprite->m_pMainPart) return 0;
    const int32_t last = count == -1 ? sprite->m_pMainPart->m_Anim.m_SeqCount : first + count;
    for (auto* list : {&sprite->m_Parts, &sprite->m_Overlays})
        for (auto& p : *list) {
            if (!p->m_Shown) continue;
            for (int32_t s = std::max(first, 0); s < last; ++s) {
                const CAnimPlayer* pl = p->m_Anim.Player(s);
                if (!pl || !pl->m_pFrames) continue;
                for (int32_t i = 0; i < pl->m_FrameCount; ++i) pl->m_pFrames[i].GetImage();
            }
        }
    return 1;
}

int GetRoleSpriteRect(CRoleSprite* sprite, const CGamePoint& pos, CGameRect* out, const char* partName) {
    if (!sprite || !sprite->m_pMainPart || !out) return 0;
    int32_t a = 0, f = 0;
    sprite->CurrentActionFrame(&a, &f);
    CGameRect acc{};
    if (partName && *partName) {
        CRolePart* p = sprite->FindPart(partName);
        if (!p) p = sprite->FindOverlay(partName);
        if (!p || !PartRect(p, pos, a, f, p == sprite->m_pMainPart, &acc)) return 0;
    } else {
        for (auto& p : sprite->m_Parts) PartRect(p.get(), pos, a, f, p.get() == sprite->m_pMainPart, &acc);
    }
    *out = acc;
    return acc.width > 0 && acc.height > 0;
}

int GetRoleSpriteBounds(CRoleSprite* sprite, const CGamePoint& pos, CGameRect* out) {
    if (!sprite || !sprite->m_pMainPart || !out) return 0;
    int32_t a = 0, f = 0;
    sprite->CurrentActionFrame(&a, &f);
    CGameRect acc{};
    for (auto& p : sprite->m_Overlays) PartRect(p.get(), pos, a, f, false, &acc);
    *out = acc;
    return acc.width > 0 && acc.height > 0;
}

int GetRoleSpriteFullRect(CRoleSprite* sprite, const CGamePoint& pos, CGameRect* out) {
    if (!sprite || !sprite->m_pMainPart || !out) return 0;
    CGameRect overlays{}, parts{};
    GetRoleSpriteBounds(sprite, pos, &overlays);
    GetRoleSpriteRect(sprite, pos, &parts, nullptr);
    CGameRect acc{};
    AddRect(&acc, overlays);
    AddRect(&acc, parts);
    *out = acc;
    return acc.width > 0 && acc.height > 0;
}

std::string GetRolePartFileName(const CRoleSprite* sprite, bool longForm) {
    std::string out;
    if (!sprite) return out;
    for (const auto& p : sprite->m_Parts) {
        if (!out.empty()) out += '*';
        if (longForm) out += p->m_Name + "_";
        const std::string variant = p->m_Equipped && p->m_pCurVariant ? p->m_pCurVariant->variant : "000";
        out += MakeRolePartImageName(variant, p->m_PartNo);
    }
    return out;
}

std::string GetRoleSpritePartName(const CRoleSprite* sprite, int32_t index) {
    if (!sprite || index < 0 || static_cast<size_t>(index) >= sprite->m_PartNames.size()) return {};
    const PliPartName& n = sprite->m_PartNames[static_cast<size_t>(index)];
    return PliFieldText(n.data(), n.size());
}

std::string GetRoleSpriteName(const CRoleSprite* sprite) { return sprite ? sprite->m_RoleName : std::string(); }

std::string GetRolePartDefaultNo(const CRoleSprite* sprite) {
    (void)sprite;
    return kDefaultNo;
}

int IsRoleSpritePartShown(const CRoleSprite* sprite, const char* partName) {
    if (!sprite) return 0;
    const CRolePart* p = sprite->FindPart(partName);
    if (!p) p = sprite->FindOverlay(partName);
    return p && p->m_Shown ? 1 : 0;
}

int ShowRoleSpritePart(CRoleSprite* sprite, const char* partName, int32_t shown) {
    if (!sprite) return 0;
    CRolePart* p = sprite->FindPart(partName);
    if (!p) {
        CRolePart* o = sprite->FindOverlay(partName);
        if (!o) return 0;
        o->m_Shown = shown ? 1 : 0;
        return 1;
    }
    p->m_Shown = shown ? 1 : 0;
    if (CRolePart* twin = sprite->TwinOf(p)) twin->m_Shown = p->m_Shown;
    return 1;
}

int IsRoleSpritePartShownAt(const CRoleSprite* sprite, int32_t index) {
    const CRolePart* p = sprite ? sprite->PartAt(index) : nullptr;
    return p && p->m_Shown ? 1 : 0;
}

int ShowRoleSpritePartAt(CRoleSprite* sprite, int32_t index, int32_t shown) {
    CRolePart* p = sprite ? sprite->PartAt(index) : nullptr;
    if (!p) return 0;
    p->m_Shown = shown ? 1 : 0;
    if (CRolePart* twin = sprite->TwinOf(p)) twin->m_Shown = p->m_Shown;
    return 1;
}

int ShowAllRoleSpriteParts(CRoleSprite* sprite, int32_t shown) {
    if (!sprite) return 0;
    for (auto* list : {&sprite->m_Parts, &sprite->m_Overlays})
        for (auto& p : *list) p->m_Shown = shown ? 1 : 0;
    return 1;
}

CTrailAnim* GetRoleSpritePartAnim(CRoleSprite* sprite, const char* partName) {
    if (!sprite) return nullptr;
    CRolePart* p = sprite->FindPart(partName);
    if (!p) p = sprite->FindOverlay(partName);
    return p ? &p->m_Anim : nullptr;
}

int32_t GetRoleSpritePartCount(const CRoleSprite* sprite) {
    return sprite ? static_cast<int32_t>(sprite->m_Parts.size()) : 0;
}

int SetRoleSpriteParts(CRoleSprite* sprite, const char* list) {
    if (!sprite || !list) return 0;
    int ok = 1;
    const std::string text = list;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('*', start);
        if (end == std::string::npos) end = text.size();
        const std::string item = text.substr(start, end - start);
        start = end + 1;
        if (item.empty()) continue;
        // part "_" variant ["_001_" number]
        const size_t u1 = item.find('_');
        const std::string partName = item.substr(0, u1);
        std::string variant;
        int32_t number = -1;
        bool hasNumber = false;
        if (u1 != std::string::npos) {
            const size_t u2 = item.find('_', u1 + 1);
            variant = item.substr(u1 + 1, u2 == std::string::npos ? std::string::npos : u2 - u1 - 1);
            if (u2 != std::string::npos) {
                const size_t u3 = item.find('_', u2 + 1);
                if (u3 != std::string::npos) {
                    number = std::atoi(item.c_str() + u3 + 1);
                    hasNumber = true;
                }
            }
        }
        CRolePart* p = sprite->FindPart(partName.c_str());
        CRolePart* twin = p ? sprite->TwinOf(p) : sprite->FindOverlay(partName.c_str());
        if (!p && !twin) {
            ok = 0;
            continue;
        }
        if (p && !p->SelectVariant(variant.c_str())) {
            ok = 0;
            continue;
        }
        if (twin && !twin->SelectVariant(variant.c_str()) && !twin->SelectRecord(0) && !p) ok = 0;
        if (hasNumber) {
            if (p) p->SetPartNo(number);
            if (twin) twin->SetPartNo(number);
        }
    }
    return ok;
}

bool HasRoleSpriteTrail(const CRoleSprite* sprite) {
    return sprite && sprite->m_pMainPart && sprite->m_pMainPart->m_Anim.m_pTrail != nullptr;
}

int EnableRoleSpriteTrail(CRoleSprite* sprite, int32_t startLevel, int32_t endLevel, int32_t levelStep,
                          int32_t continuous) {
    if (!sprite || !sprite->m_pMainPart) return 0;
    for (auto& p : sprite->m_Parts)
        if (p->m_Shown && p->m_Anim.m_SeqCount > 0) p->m_Anim.EnableTrail(startLevel, endLevel, levelStep, continuous);
    return 1;
}

int DisableRoleSpriteTrail(CRoleSprite* sprite) {
    if (!sprite || !sprite->m_pMainPart) return 0;
    for (auto& p : sprite->m_Parts)
        if (p->m_Shown && p->m_Anim.m_SeqCount > 0) p->m_Anim.DisableTrail();
    return 1;
}

int DrawRoleSpriteTrail(CRoleSprite* sprite, CSurface* dst, int32_t x, int32_t y, const CGameRect* clip) {
    (void)x, (void)y;
    if (!sprite) return 0;
    int drawn = 0;
    for (auto& p : sprite->m_Parts) {
        if (!p->m_Shown || !p->m_Anim.m_pTrail || plat::EqualsNoCase(p->m_Name, "JQ")) continue;
        p->m_Anim.m_pTrail->Draw(dst, clip);
        ++drawn;
    }
    return drawn;
}
