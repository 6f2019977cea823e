#pragma once
// Object kind 60: the player's character, data id 1. Its attributes come
// from the live player record (and its class row of "player\init.txt")
// instead of the level row; standing idle it fidgets now and then, then it
// runs the AI update, which leaves a kind-60 role to its commands.
#include <cstdint>

#include "roles/ai/ai_role.h"

class CRole60 : public CAiRole {
public:
    CRole60();
    void Update() override;
    int SetupAppearance(const char* spriteSet) override;
    int32_t GetAP() override;
    int32_t GetDP() override;
    int32_t GetMaxHP() override;
    int32_t GetMaxQi() override;
    int32_t GetMaxST() override;
    int32_t GetMaxNu() override;
    int32_t GetHR() override;
    int32_t GetDodgeFactor(int32_t facingDiff) override;
    float GetHPRegen() override;
    float GetQiRegen() override;
    float GetSTRegen() override;
    float GetSTDrain() override;
    float GetNuFactor() override;
    int32_t GetSH() override;
    int32_t GetRunSpeed() override;
    int32_t GetIceDP() override;
    int32_t GetFireDP() override;
    int32_t GetPoisonDP() override;

    int32_t m_Spare60[2] = {0, 0};
    int32_t m_Spare60Id = -1;
    int32_t m_FidgetCountdown = 0;  // ticks to the next idle fidget
};
