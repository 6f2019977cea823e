#pragma once
// Base of every panel and of every control inside a panel. A panel is placed
// and drawn from one row of the panel table, may own child controls made
// from further rows, and draws its texts through the surface's drawing
// context with one of the six UI fonts.
#include <cstdint>
#include <string>
#include <string_view>

#include "core/containers.h"
#include "core/geometry.h"
#include "gfx/anim.h"
#include "platform/display.h"

class CSurface;
class CTxtRow;
class CImage;

// Values a missing table cell reads as.
constexpr int kJMNone = 65535;

class CJM : public CObjNode {
public:
    CJM();
    ~CJM() override;

    // Virtual operations in the order the panels override them.
    virtual void Update();
    virtual int Draw(CSurface* surface);
    virtual void Release();
    virtual int Init(int rowId);
    virtual int ReceiveMsg(int msg, int a, int b);
    virtual void Reset() {}
    virtual void Show(int shown, int mode);
    virtual int OnLButtonDown(int, int, int) { return 0; }
    virtual int OnLButtonUp(int, int, int) { return 0; }
    virtual int OnRButtonDown(int, int, int) { return 0; }
    virtual int OnRButtonUp(int, int, int) { return 0; }
    virtual int OnMouseMove(int, int, int) { return 0; }
    // The two argument-less hooks: an owner's answer to a dialog it opened
    // (yes / confirmed, and no).
    virtual void OnConfirm() {}
    virtual void OnDecline() {}
    virtual void OnMouseLeave() {}
    // Non-zero for a control that takes keyboard messages (the edit box).
    virtual intptr_t GetWindowHandle() { return 0; }
    // A keyboard message for the control; 1 when it used it.
    virtual int OnWindowMessage(uint32_t, uint32_t, uint32_t, intptr_t*) { return 0; }
    virtual void OnHide();
    virtual void OnShow();
    virtual void SetPos(int x, int y);
    virtual void AfterInit() {}

    // Stores the id and registers the panel under it with the manager.
    void SetId(int rowId);
    int IsShown();
    void SetLinkedJM(int a, int b, int c);
    void SetDrawMode(int mode, int level);
    void SetTextColor(uint8_t r, uint8_t g, uint8_t b) { m_TextColor = plat::Rgb(r, g, b); }
    void SetTextColor(uint32_t colorRef) { m_TextColor = colorRef; }
    CGameRect GetHitRect() const;
    // Creates the control of a table row (by its kind), initialises it and
    // appends it to the children.
    CJM* AddChild(int rowId);
    CJM* FindChildAt();
    void DrawChildren(CSurface* surface);
    void UpdateChildren();
    void ReleaseChildren();

    // Integer cell of the panel's row (65535 when missing or no row) and its
    // i-th '*'-item.
    int Col(int col) const;
    int ColItem(int col, int i) const;

    // Text, through the surface's drawing context (nothing without one).
    plat::TextSize MeasureText(CSurface* surface, std::string_view text);
    void DrawColorText(CSurface* surface, int x, int y, std::string_view text, int centre);
    int DrawTextBox(CSurface* surface, const CGameRect& rect, std::string_view text);
    CGameRect MeasureTextBlock(CSurface* surface, std::string_view text, const CGameRect& rect);
    // Word-wrapped text on a new surface (owned by the caller), lines 6
    // pixels apart, transparent elsewhere; null for an empty text or
    // without a font.
    CSurface* RenderTextSurface(CSurface* surface, std::string_view text, const CGameRect& rect, int* heightOut);
    void DrawBar(CSurface* surface, int x, int y, CImage* full, CImage* empty, int percent, int vertical);
    void DrawDimBox(CSurface* surface, const CGameRect& rect, int withFrame);
    void DrawTip(CSurface* surface, std::string_view text, int x, int y, int withBox);

    // The panel's picture: current frame at (x, y).
    void DrawPicture(CSurface* surface);
    // Re-reads the current image from the current sequence.
    void TakeCurrentImage();

    void SetUserValue(int value) { m_UserValue = value; }
    int GetUserValue() const { return m_UserValue; }

    int32_t m_X = 0, m_Y = 0, m_Width = 0, m_Height = 0;
    int32_t m_Area = 0;
    int32_t m_RowId = -1;
    int32_t m_Kind = 0;
    CAnimRes m_Pic;
    int32_t m_SavedSeq = 0;
    CTxtRow* m_pRow = nullptr;
    CAnimFrame* m_pCurImage = nullptr;
    int32_t m_DrawMode = 0, m_DrawLevel = -1;
    uint32_t m_TextColor = plat::Rgb(255, 255, 255);
    int32_t m_Shown = 0;
    int32_t m_Pinned = 0;
    int32_t m_ShowMode = 0;
    int32_t m_Free1 = 0, m_Free2 = 0;
    int32_t m_FontIndex = 0;
    int32_t m_Centred = 0;
    CObjList m_Children;
    CJM* m_pParent = nullptr;
    CJM* m_pHoverChild = nullptr;
    int32_t m_Linked[2] = {-1, -1};
    int32_t m_AutoHide = 0;
    int32_t m_OnceShown = 0;
    int32_t m_Hovered = 0;
    int32_t m_UserValue = 0;
};

// The text colour codes of DrawColorText, in the order they are tried.
struct JMColorCode {
    const char* code;
    uint8_t r, g, b;
};
extern const JMColorCode kJMColorCodes[6];
// The colour a line is drawn in and the line with that code removed.
uint32_t ApplyColorCode(std::string& line, uint32_t defaultColor);
