#pragma once
// Buildings: scenery that stands on map cells, draws its frames in three
// layers around the walking roles (layer 0 below them, 1 the middle, 2 the
// top), stamps its footprint into the cells it covers, shows a label when
// hovered and, for mechanisms and portals, opens, closes and is used.
//
// Footprint mask (low byte of each u16 of the part): bit 7 the cell belongs
// to the building (without it the cell is left alone), bits 0-2 the cell
// kind (1 solid, 2 entrance), bit 3 a pick cell. The footprint's first cell
// is the record's cell minus the part's anchor plus its footprint origin.
#include <cstdint>
#include <string>
#include <vector>

#include "core/geometry.h"
#include "world/objects/game_obj.h"

class CBldPart;
class CDrawable;
class CSurface;

// A building's frame image counts as additive when it carries an alpha
// plane: such images are always drawn with the alpha mode.
class CBld : public CBldBase {
public:
    CBld();
    ~CBld() override;

    int InitModel(const void* model) override;  // model: const CBldPart*
    int Tick() override;
    void UpdateScreenRect() override;
    int Remove() override;
    int FreeRes() override;
    int LoadRes() override;
    virtual int StepFrames() { return 0; }                 // 11
    virtual int OnMagicHit(CGameObj* magic) { (void)magic; return 0; }  // 12

    // The footprint on the current grid.
    CGameRect GetFootprintRect() const;
    void StampFootprint();
    void ClearFootprint();
    void OpenPassage();
    int IsEntranceCell(const CGamePoint& cell) const;
    // Frames [*first, *end) of layer 0, 1 or 2.
    void GetLayerRange(int layer, int32_t* first, int32_t* end) const;
    int IsFrameSpecial(int32_t i) const;
    int DrawLayer(CSurface* surface, int layer);
    int DrawClipped(CSurface* surface, const CGameRect* clip, int layer);
    int DrawUpperStatic(CSurface* surface, const CGameRect* clip);
    int DrawTopStatic(CSurface* surface, const CGameRect* clip);
    int DrawFrame(CSurface* surface, int32_t i, const CGameRect* clip, int mode);
    int GetAnimatedRect(CGameRect* rect);
    int GetBoundingRect(CGameRect* rect);
    // Frame i's rectangle at the screen anchor.
    CGameRect GetFrameRect(int32_t i);
    // Where frame i is drawn: its offset from the screen anchor.
    CGameRect FramePos(int32_t i) const;
    void Invalidate();
    void Flash();
    void StepFrame(int32_t i);
    void SetFrame(int32_t n);
    void Activate(int32_t busy, int32_t showAnimated);
    const char* GetScriptText() const;
    int HasRunnableScript() const;
    int IsUsable() const { return m_Busy == 0 && HasRunnableScript(); }
    // The script text with every "go " taken out, when runnable; else null.
    const char* GetGoTarget() const;
    CGameObj* GetLinkedObj() const;
    void SetHover(const void* hover);
    // Its name, else the UI text of its name text id, else null.
    const char* GetLabelText() const;
    int IsPointBehind(const CGamePoint& p) const;
    CGamePoint GetLightPos() const;
    const CBldPart* GetPart() const { return m_pPart; }
    int IsMech() const { return m_Kind == 12 || m_Kind == 13; }

    int32_t m_Flash = -1;
    const void* m_pHover = nullptr;
    int32_t m_Word = 0;
    std::vector<CDrawable*> m_Frames;  // owned; one per sub-record
    int32_t m_FrameCount = 0;
    int32_t m_MiddleStart = 0;
    int32_t m_TopCount = 0;
    int32_t m_LabelEnable = 0;
    const CBldPart* m_pPart = nullptr;
    int32_t m_LabelColour = 0;
    ObjHandle m_Linked = 0;
    int32_t m_ShowAnimated = 1;
    int32_t m_Busy = 0;
    int32_t m_NameTextId = 0;
    std::string m_Script;
    // The text shown when the building is locked (SetLockTextID, SetExitTextID).
    int32_t m_LockedTextId = -1;
    int32_t m_Running = 0;
    int32_t m_LineX = 0;
    int32_t m_LineY = 0;
    uint8_t m_Orientation = 0;

protected:
    void MakeFrames();
    void FreeFrames();
    // Calls f(cell, mask byte) for every footprint cell inside the grid.
    template <class F>
    void ForFootprint(F f) const;

private:
    mutable std::string m_GoTarget;
};

class CPlainBld : public CBld {
public:
    CPlainBld() { m_Kind = 11; }
    int StepFrames() override;
};

class CMechBld : public CBld {
public:
    CMechBld();
    ~CMechBld() override;
    int InitModel(const void* model) override;
    int Tick() override;
    int LoadRes() override;
    int OnMagicHit(CGameObj* magic) override;

    int SetState(int32_t state, int force);
    int IsClosed() const { return m_State == 0 || m_State == 2; }
    // With a use message: force 0 shows it as a notice; 1 either way.
    int ShowUseText(int force);

    int32_t m_State = -1;
    int32_t m_Word1 = 0;
    int32_t m_Word2 = 0;
    int32_t m_UseTextId = -1;

private:
    int32_t DropTableId() const;
};

class CPortalBld : public CMechBld {
public:
    CPortalBld();
    ~CPortalBld() override;
    int InitModel(const void* model) override;
    int Tick() override;
    int LoadRes() override;
    // Remembers the role it was made for; the script becomes "TransGo
    // <scene> <value>" and the name the label.
    void SetPortal(CGameObj* role, const char* scene, const char* label, uint32_t value);

    uint32_t m_Value = 0;
    uint32_t m_SheetValue = 0;
    uint32_t m_Camp = 0;
};

// Tile position -> staggered map cell, with w the width handed to
// SetCoordMap when the grid became current and o = 0 (the grid origin):
// x = (w / 2 - y + o + x) / 2, y = w / 2 - o + x + y + 1.
CGamePoint TileToCell(int32_t x, int32_t y);

// The building of a cell the player clicks: the marked building of a pick
// cell, else one within 4 cells whose entrance is the cell; only usable ones.
CBld* PickBldAtCell(const CGamePoint& cell);
// One of the 3 x 3 cells around `cell` is a pick cell of that building.
int IsBldAdjacent(const CGamePoint& cell, ObjHandle handle);
