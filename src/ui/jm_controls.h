#pragma once
// The controls of a panel, one class per kind of table column 2.
#include <memory>
#include <string>

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
