#pragma once
// The controls of a panel, one class per kind of table column 2.
#include <memory>
#include <string>
#include <vector>

#include "ui/jm.h"

// Plain control: bars (kinds 1, 2), pictures (4, 7) and anything else.
class CJMControl : public CJM {
public:
    void Update() override;
    int Draw(CSurface* surface) override;
    int Init(int rowId) override;
    void Reset() override;
    void SetPos(int x, int y) override;
    virtual void SetCaption(const char* text) {
        if (text) m_Caption = text;
    }

    int32_t m_Value0 = -1;
    int32_t m_Value = -1;     // bar value in percent
    int32_t m_Increase = -1;  // highlighted increase of a bar
    int32_t m_Value3 = -1;
    std::string m_Text2;
    std::string m_Caption;
};

// Push button: sequence 0 normal, 1 pressed, 2 highlighted.
class CJMButton : public CJMControl {
public:
    void Update() override;
    int Draw(CSurface* surface) override;
    int Init(int rowId) override;
    void OnShow() override;
    void SetState(int pressed, int force);
    void SetHighlight(int on);

    int32_t m_Pressed = 0;
    int32_t m_Extra = 0;
    std::unique_ptr<CAnimRes> m_pHighlight;

private:
    void SwitchSeq(int seq);
};

// The control for a kind of column 2.
CJM* CreateJMControl(int kind);

// List box: rows of texts with values, one selectable.
class CJMList : public CJM {
public:
    struct Item {
        std::string text;
        int32_t value;
    };
    void Update() override;
    int Draw(CSurface* surface) override;
    int Init(int rowId) override;
    int OnLButtonDown(int, int, int) override { return 0; }
    int OnLButtonUp(int flags, int x, int y) override;
    int OnMouseMove(int, int, int) override { return 0; }
    void AddItem(const std::string& text, int value) { m_Items.push_back({text, value}); }
    void ClearItems() {
        m_Items.clear();
        m_Selected = -1;
    }
    // Clamped into the items; nothing on an empty list.
    void Select(int index);
    const Item* GetSelectedItem() const;
    int GetSelectedValue() const;
    CGamePoint GetSelectedPos() const;
    void SetTextOffset(int dx, int dy) {
        m_Dx = dx;
        m_Dy = dy;
    }

    int32_t m_Dx = 0, m_Dy = 0;
    std::vector<Item> m_Items;
    int32_t m_RowHeight = 0;
    int32_t m_Selected = -1;
    int32_t m_Changed = 0;
};

// Scroll bar: sequence 0 the track, 1 the thumb. Kind 8 horizontal, 9
// vertical.
class CJMScrollBar : public CJM {
public:
    int Draw(CSurface* surface) override;
    int Init(int rowId) override;
    int OnLButtonDown(int flags, int x, int y) override;
    int OnLButtonUp(int flags, int x, int y) override;
    int OnMouseMove(int flags, int x, int y) override;
    void SetRange(int max) {
        m_Range = max;
        m_Pos = 0;
        SetValue(0);
    }
    // Clamped to 0 .. range; places the thumb.
    void SetValue(int pos);

    int32_t m_Range = 0;
    int32_t m_Pos = 0;
    int32_t m_Step = 0;
    int32_t m_ThumbX = 0, m_ThumbY = 0;
    int32_t m_Dragging = 0;
    int32_t m_GrabX = 0, m_GrabY = 0;

private:
    CImage* Thumb() const;
};

// One-line edit box with its own GBK text model: bytes, a caret and a
// selection (start, end), a byte limit. Keyboard messages reach it through
// the manager while it holds the keyboard focus.
class CJMEdit : public CJMControl {
public:
    CJMEdit();
    ~CJMEdit() override;
    void Update() override;
    int Draw(CSurface* surface) override;
    void Release() override;
    int Init(int rowId) override;
    void Show(int shown, int mode) override;
    intptr_t GetWindowHandle() override { return m_Open ? reinterpret_cast<intptr_t>(this) : 0; }
    int OnWindowMessage(uint32_t msg, uint32_t wParam, uint32_t lParam, intptr_t* extra) override;
    void SetCaption(const char* text) override;
    void SetBoxStyle(int dim, int frame) {
        m_Dim = dim;
        m_Frame = frame;
    }
    void SetWindowRect(int x, int y, int w, int h);

    const std::string& Text() const { return m_Text; }

    int32_t m_Dim = 1;
    int32_t m_Frame = 0;
    int32_t m_Open = 0;  // the edit "window" exists while shown
    std::string m_Text;
    int32_t m_SelStart = 0, m_SelEnd = 0;
    int32_t m_Limit = 1;
    int32_t m_PendingLead = -1;

private:
    void Insert(const std::string& ch);
    void EraseSelection();
    int PrevBoundary(int pos) const;
    int NextBoundary(int pos) const;
};

// The WM_CHAR / WM_KEYDOWN codes the edit box takes.
constexpr uint32_t kJMWmKeyDown = 0x100;
constexpr uint32_t kJMWmChar = 0x102;

// "[+-]digits" saturating to the 32-bit range; anything else 0.
int32_t ParseSaturatedInt(const std::string& text);
