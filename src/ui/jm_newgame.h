#pragma once
// Row 156: the new-game form. The character's name (also the save's name),
// the player's birthday and the difficulty; checked, then the new game is
// started.
#include <cstdint>
#include <string>

#include "ui/jm.h"

class CJMEdit;

class CJMNewGame : public CJM {
public:
    CJMNewGame();
    ~CJMNewGame() override;
    void Update() override;
    int Draw(CSurface* surface) override;
    void Release() override;
    int Init(int rowId) override;
    void Show(int shown, int mode) override;
    int OnLButtonUp(int flags, int x, int y) override;

    // The portraits of the chosen class (an animation, one sequence per
    // portrait) and the one to show; the name box takes its default name.
    void SetPortrait(int source, int index);
    void SetDifficulty(int d);
    // 1 next, -1 previous; a fourth difficulty once a game was completed.
    void StepDifficulty(int direction);
    void SetActiveEdit(int id);
    // Checks the inputs; a refusal opens the pop-up box with its text.
    void StartNewGame();

    CJMEdit* Edit(int id) const;

    CAnimRes m_Portraits;
    int32_t m_PortraitIndex = -1;
    int32_t m_PortraitCount = 0;
    std::string m_DifficultyName;
    int32_t m_Difficulty = 1;
    int32_t m_ActiveEdit = -1;
};

extern CJMNewGame* g_JMNewGame;

// A name that may become part of a file name: no '/', '\', ':', no '?'
// (a wildcard where saves are listed and deleted by name) and no control
// characters; '*' and '.' are the form's own later refusal. The trail byte of a GBK character is not a
// character of its own ("\x95\x5C" is one character, not a backslash).
bool IsSafeSaveName(const std::string& name);

// Texts of the form's refusals.
constexpr int kTextNoName = 274;
constexpr int kTextSaveExists = 119;
constexpr int kTextBadDate = 337;
constexpr int kTextBadName = 187;
