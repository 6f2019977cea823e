#pragma once
// Role sprites: a role on the map is a stack of named parts (body, head,
// weapon, shadow, ...), each an animation of its own, drawn in an order that
// changes per action and frame. Which roles and parts exist comes from the
// "#define" header "slr\SprRole.h" (read once at start-up into templates);
// the order comes from the role's PLI file. The rest of the program uses the
// sprites only through the free functions at the end.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/geometry.h"
#include "gfx/pli.h"
#include "gfx/trail.h"

class CSurface;

// One "#define" line of the header: the animation of one part in one variant.
struct RoleVariant {
    uint32_t value = 0;   // ResId of the part's animation
    std::string part;     // "HD"
    std::string variant;  // "001"
};

constexpr int32_t kRolePartDefaultNo = 31;
constexpr int32_t kRolePartTableDefault = 31;

class CRolePart {
public:
    // Selects a variant: empty or null hides the part; the current record's
    // name shows it; any other name rebinds the animation to that record
    // (ignoring case) and shows the part. 0 when there is no such record.
    int SelectVariant(const char* name);
    // The record at `i` of the part's list, bound; shown. 0 without one.
    int SelectRecord(int32_t i);
    // Part number (three digits in the part's image name); 32-38 also draw
    // through that colour table (mode 4).
    void SetPartNo(int32_t n);
    // Binds the current record (the first when none is current) when the
    // animation is not bound yet.
    void EnsureBound();
    // Frame `frame` of sequence `seq`, or the sequence's current frame when
    // `current`; null when the part has no such sequence.
    const CAnimFrame* FrameOf(int32_t seq, int32_t frame, bool current);
    // Draws that frame with the part's mode and table (alpha-plane pictures
    // with mode 2 and level -1, and not at all while g_DrawAlphaSpriteParts
    // is 0). Hidden parts draw nothing. What the frame's draw returns.
    int Draw(CSurface* dst, int32_t x, int32_t y, const CGameRect* clip, int32_t seq, int32_t frame, bool current);

    std::vector<RoleVariant*> m_Variants;
    std::string m_Name;
    int32_t m_CurVariant = -1;
    RoleVariant* m_pCurVariant = nullptr;
    // Set while a variant chosen by name is worn ("000" and hiding by an
    // empty name clear it); decides the variant shown in the part list text.
    bool m_Equipped = false;
    CTrailAnim m_Anim;
    int32_t m_Shown = 1;
    int32_t m_DrawMode = 0;
    int32_t m_PartNo = kRolePartDefaultNo;
    int32_t m_Table = kRolePartTableDefault;
};

class CRoleSprite {
public:
    CRoleSprite() = default;
    virtual ~CRoleSprite() = default;
    CRoleSprite(const CRoleSprite&) = delete;
    CRoleSprite& operator=(const CRoleSprite&) = delete;

    // The part of that name in the main list (index in *index) or the
    // overlay list, compared ignoring case; null when none.
    CRolePart* FindPart(const char* name, int32_t* index = nullptr) const;
    CRolePart* FindOverlay(const char* name) const;
    // The overlay part whose name is the main part's plus "S"/"s".
    CRolePart* TwinOf(const CRolePart* part) const;
    CRolePart* PartAt(int32_t i) const;
    // Selects the main part by name (ignoring case). 0 when none matches.
    int SelectMainPart(const std::string& name);
    // True when no part of either list is shown.
    bool IsAllHidden() const;
    // The action (current sequence of the main part, 0 when out of range)
    // and its current frame.
    void CurrentActionFrame(int32_t* action, int32_t* frame) const;

    // Main parts in template order: the part indices of the PLI order lists.
    std::vector<std::unique_ptr<CRolePart>> m_Parts;
    std::vector<std::unique_ptr<CRolePart>> m_Overlays;
    std::vector<std::unique_ptr<RoleVariant>> m_Records;
    std::string m_RoleName;
    std::string m_MainPartName;
    CRolePart* m_pMainPart = nullptr;
    int32_t m_MainIndex = -1;
    std::vector<PliPartName> m_PartNames;
    std::shared_ptr<PliHeader> m_pHeader;
    int32_t m_PartsBuilt = 0;
};

// The templates read from "SprRole.h" and their PLI header records.
class CRoleSprMng {
public:
    // Reads the header (the previous templates are dropped first). 0 on an
    // empty path, a header without constants (message box), or a constant
    // met before any role.
    int LoadHeader(const char* path);
    // A sprite of the role filled from its template and PLI file; null on
    // failure (nothing half-built is left).
    CRoleSprite* Create(const char* roleName, const char* partNo, const char* variants);
    void Clear();

    int32_t TemplateCount() const { return static_cast<int32_t>(m_Templates.size()); }
    const CRoleSprite* Template(int32_t i) const;

    std::vector<std::unique_ptr<CRoleSprite>> m_Templates;
    // One per template, same order; a filled record is shared by the
    // sprites made from it.
    std::vector<std::shared_ptr<PliHeader>> m_Headers;
    std::string m_CurRole;

private:
    int FillFromTemplate(CRoleSprite* spr, const CRoleSprite& tpl) const;
    int ReadPli(CRoleSprite* spr, int32_t templateIndex);
    int Equip(CRoleSprite* spr, const char* variants) const;
};

extern CRoleSprMng g_RoleSprMng;
// While 0, parts whose picture has an alpha plane are not drawn (the lit
// drawing of roles and corpses turns it off around their draws).
extern int32_t g_DrawAlphaSpriteParts;

// "打开SprRole.h失败!" (GBK)
extern const char* const kSprRoleOpenFailedText;

// Colour effect kind -> (draw mode, table or level); kind 31 draws from the
// random generator.
void RoleColorEffectMode(int32_t kind, int32_t* mode, int32_t* table);
// "001" below 10 etc.; "000" when negative.
std::string FormatRolePartNo(int32_t n);
// A part image name: variant + "_001_" + the part number in three digits.
std::string MakeRolePartImageName(const std::string& variant, int32_t partNo);

// ---- The entry points the rest of the program uses ----

// Reads "SprRole.h" into g_RoleSprMng; 0 on failure. Start-up passes
// program directory + "slr\SprRole.h".
int LoadSprRoleHeader(const char* path);
inline int LoadSprRoleHeader(const std::string& path) { return LoadSprRoleHeader(path.c_str()); }
// `partNo` is passed through and not used. `variants`: one three-digit
// variant per main part, four characters apart ("001*000*002"); null or
// empty equips nothing and reads no PLI file.
CRoleSprite* CreateRoleSprite(const char* roleName, const char* partNo, const char* variants);
void DestroyRoleSprite(CRoleSprite** sprite);
CTrailAnim* GetRoleSpriteAnim(CRoleSprite* sprite);
int SetRoleSpriteDrawMode(CRoleSprite* sprite, int32_t mode, int32_t table, int32_t force);
int SetRoleSpriteOverlayDrawMode(CRoleSprite* sprite, int32_t mode, int32_t table);
int SetRoleSpriteColorEffect(CRoleSprite* sprite, int32_t kind, const char* partName = nullptr);
// The main parts in the PLI order of the current action and frame. `mode` is
// kept for the callers and not used: every part draws with its own mode.
// Targets `dst` with `clip` (null = the surface).
int DrawRoleSprite(CRoleSprite* sprite, CSurface* dst, int32_t x, int32_t y, const CGameRect* clip, int32_t mode = 0);
int DrawRoleSpriteOverlays(CRoleSprite* sprite, CSurface* dst, int32_t x, int32_t y, const CGameRect* clip,
                           int32_t mode = 0);
// Loads the frame images of sequences first .. first + count - 1 (count -1:
// to the main part's last sequence) of every shown part. 0 without a main
// part.
int PreloadRoleSpriteFrames(CRoleSprite* sprite, int32_t first, int32_t count);
// Rectangles at a position; 0 when there is none (no main part, no such
// part, or nothing with a size).
int GetRoleSpriteRect(CRoleSprite* sprite, const CGamePoint& pos, CGameRect* out, const char* partName = nullptr);
int GetRoleSpriteBounds(CRoleSprite* sprite, const CGamePoint& pos, CGameRect* out);
int GetRoleSpriteFullRect(CRoleSprite* sprite, const CGamePoint& pos, CGameRect* out);
// The main parts as '*'-separated text: each the part image name (variant,
// "_001_", part number; "000" for a part that wears nothing), with
// `longForm` prefixed by the part name and "_" (what SetRoleSpriteParts
// takes).
std::string GetRolePartFileName(const CRoleSprite* sprite, bool longForm = false);
std::string GetRoleSpritePartName(const CRoleSprite* sprite, int32_t index);
std::string GetRoleSpriteName(const CRoleSprite* sprite);
std::string GetRolePartDefaultNo(const CRoleSprite* sprite);
int IsRoleSpritePartShown(const CRoleSprite* sprite, const char* partName);
int ShowRoleSpritePart(CRoleSprite* sprite, const char* partName, int32_t shown);
int IsRoleSpritePartShownAt(const CRoleSprite* sprite, int32_t index);
int ShowRoleSpritePartAt(CRoleSprite* sprite, int32_t index, int32_t shown);
int ShowAllRoleSpriteParts(CRoleSprite* sprite, int32_t shown);
CTrailAnim* GetRoleSpritePartAnim(CRoleSprite* sprite, const char* partName);
int32_t GetRoleSpritePartCount(const CRoleSprite* sprite);
// '*'-separated "part_variant[_001_NNN]" items: each named part and its
// overlay twin take that variant; NNN becomes the part number. 0 when any
// item names no part or no variant of the part.
int SetRoleSpriteParts(CRoleSprite* sprite, const char* list);
bool HasRoleSpriteTrail(const CRoleSprite* sprite);
int EnableRoleSpriteTrail(CRoleSprite* sprite, int32_t startLevel, int32_t endLevel, int32_t levelStep,
                          int32_t continuous);
int DisableRoleSpriteTrail(CRoleSprite* sprite);
// Trails of the shown main parts but "JQ" onto `dst`; x and y are kept for
// the callers (trail samples hold their own map positions). The number of
// trails drawn.
int DrawRoleSpriteTrail(CRoleSprite* sprite, CSurface* dst, int32_t x, int32_t y, const CGameRect* clip = nullptr);
