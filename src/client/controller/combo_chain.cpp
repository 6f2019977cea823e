#include "client/controller/combo_chain.h"

#include <algorithm>
#include <cstdlib>

#include "core/txt_table.h"
#include "roles/role.h"
#include "roles/tables/skill_table.h"

int32_t RoleSkillCount(const CRole* role) {
    if (!role || !role->m_pSkillRow || !role->m_pSkillRow->HasValue(1)) return 0;
    return std::clamp(role->m_pSkillRow->GetInt(1), 0, 200);
}

int32_t RoleSkillAt(const CRole* role, int32_t i) {
    if (i < 0 || i >= RoleSkillCount(role) || !role->m_pSkillRow->HasValue(2 + i)) return -1;
    return role->m_pSkillRow->GetInt(2 + i);
}

int32_t ComboChildCount(int32_t skill) {
    const CSkillGopDef* gop = skill >= 0 ? g_SkillGopTable.GetAt(skill) : nullptr;
    return gop ? std::min(gop->count, static_cast<int32_t>(gop->values.size())) : 0;
}

ComboChild ComboChildAt(int32_t skill, int32_t i) {
    ComboChild c;
    c.skill = g_SkillGopTable.GetValue(skill, i);
    const CSkillDef* def = c.skill >= 0 ? g_SkillTable.GetAt(c.skill) : nullptr;
    if (!def) return c;
    c.trigger = def->col31;
    c.timing = def->col32;
    c.windowEnd = def->col33 == 65535 ? 0 : def->col33;
    c.dirMode = def->col7;
    c.target = def->col8;
    return c;
}

int32_t SkillGestureField(int32_t skill) {
    const CSkillDef* def = skill >= 0 ? g_SkillTable.GetAt(skill) : nullptr;
    return def ? def->col36 : 0;
}

int ComboTimingCheck(const ComboChild& child, const LastAction& last, int32_t now, int32_t dir8) {
    if (child.timing < 1000) {
        if (last.end == -1) return 0;
        if (now - last.end >= child.timing) return -1;
    } else {
        const int32_t d = now - last.start;
        if (!(child.timing - 1000 < d && d < child.windowEnd - 1000)) return -1;
    }
    if (child.dirMode == 2) {
        int32_t steps = std::abs(dir8 - last.a) % 8;
        steps = std::min(steps, 8 - steps);
        return steps > 2 ? 1 : 0;
    }
    return 1;
}
