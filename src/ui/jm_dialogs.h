#pragma once
// The message box, the number entry, the centre-screen notices and the
// message list.
#include <cstdint>
#include <deque>
#include <string>

#include "ui/jm.h"

class CJMEdit;
class CTxtRow;

// Row 85: a framed block of lines at a point with optional "yes" and "no"
// lines; the owner hears the answer through OnConfirm / OnDecline.
class CJMPopup : public CJM {
public:
    CJMPopup() { ResetChoices(); }
    void Update() override;
    int Draw(CSurface* surface) override;
    int ReceiveMsg(int, int, int) override { return 1; }
    void Show(int shown, int mode) override;
    int OnLButtonUp(int flags, int x, int y) override;
    int OnMouseMove(int, int, int) override { return 0; }

    void Open(CJM* owner, const char* text, int x, int y, int = 0, int = 0);
    void SetChoices(int yesId, int noId, int r, int g, int b);
    void ResetChoices() { SetChoices(22, 11, 255, 255, 80); }
    // The box rectangle after the last layout.
    CGameRect Box() const { return m_Box; }

    int32_t m_AnchorX = 0, m_AnchorY = 0;
    CJM* m_pOwner = nullptr;
    int32_t m_YesId = 22, m_NoId = 11;
    uint32_t m_PlainR = 255, m_PlainG = 255, m_PlainB = 80;
    int32_t m_LineHeight = 0;
    CJM* m_pUnder = nullptr;
    CGameRect m_Box;

private:
    void Layout(CSurface* surface);
};

// Row 152: a prompt, an edit box (153), OK (154) and Cancel (155).
class CJMNumberEntry : public CJM {
public:
    void Update() override;
    int Draw(CSurface* surface) override;
    int Init(int rowId) override;
    void Show(int shown, int mode) override;
    int OnLButtonUp(int flags, int x, int y) override;
    int OnMouseMove(int flags, int x, int y) override;
    void OnConfirm() override;
    int OnWindowMessage(uint32_t msg, uint32_t wParam, uint32_t lParam, intptr_t* extra) override;

    void Open(CJM* owner, const char* prompt, int value);
    int GetValue() const { return m_Value; }

    CJM* m_pOwner = nullptr;
    std::string m_Prompt;
    int32_t m_Value = 0;
    CJMEdit* m_pEdit = nullptr;
    CJM* m_pUnder = nullptr;
};

// Row 19: timed lines, the newest lowest, and the versus banner.
class CJMNotice : public CJM {
public:
    struct Line {
        std::string text;
        int32_t ticks;
    };
    static constexpr size_t kMaxLines = 256;
    static constexpr int kLineTicks = 280;
    static constexpr int kBannerTicks = 56;

    ~CJMNotice() override;
    void Update() override;
    int Draw(CSurface* surface) override;
    void Release() override;
    int Init(int rowId) override;

    void SplitAndAddMessage(const char* text, int force);
    void ShowVersusBanner(int on);
    void RemoveAll() { m_Lines.clear(); }
    void RemoveOldest() {
        if (!m_Lines.empty()) m_Lines.pop_back();
    }

    std::deque<Line> m_Lines;  // front: newest
    std::string m_Banner;
    int32_t m_BannerTicks = 0;
};

// Row 24: texts at screen points, following a role for 8 seconds or
// shown until the next tick.
class CJMMsgList : public CJM {
public:
    struct Record {
        std::string text;
        int32_t x, y, follow;
        uint16_t role;
        int32_t kind, age;
    };
    static constexpr size_t kMaxRecords = 256;

    ~CJMMsgList() override;
    void Update() override;
    int Draw(CSurface* surface) override;
    void Release() override;
    void Show(int shown, int mode) override;

    void AddMessageLine(const char* text, int x, int y, int follow, uint16_t role, int kind);

    std::deque<Record> m_Records;  // front: newest
};

extern CJMPopup* g_JMPopup;
extern CJMNumberEntry* g_JMNumberEntry;
extern CJMNotice* g_JMNotice;
extern CJMMsgList* g_JMMsgList;

// UI text 110 for kind 1, 111 for 2, 112 otherwise.
std::string GetRelationText(int kind);
// "%s" of a text field {u16 tag, text} through ResolveTextRef ("" for a
// null field).
void FormatTextRef(std::string* out, const uint8_t* record);
// The lines of a skill row's description; the name is that of the skill
// definition column 2 names.
void BuildSkillDescription(const CTxtRow* row, std::string* out, int withName);
// Column 1 of a "Text.txt" row ("" when missing).
std::string UiText(int id);
