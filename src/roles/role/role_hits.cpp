// Hits, death and the bound magic object as far as the role's own code
// needs them until hits and postures are built.
// PLACEHOLDER: a hit goes straight to the hit resolution; the drop roll,
// body-part loss and the skill choice do nothing; death removes the role.
#include "roles/magic/magic.h"
#include "roles/role.h"

#include "world/things/anim_map_obj.h"

int CRole::OnHit(CGameObj* magic) {
    if (CMagic* m = AsMagic(magic)) ResolveHit(m);
    return 1;
}

void CRole::Die(int32_t mode, int32_t) {
    if (m_Removed || m_Dead) return;
    m_Dead = 1;
    m_DeathMode = mode;
    Remove();
}

void CRole::RemoveBoundMagic() {
    if (m_pBoundMagic) m_pBoundMagic->Remove();
    m_pBoundMagic = nullptr;
}

CGameObj* CRole::GetLastAttacker() { return m_LastAttacker ? GetRoleByHandle(m_LastAttacker) : nullptr; }

void CRole::DropRoll(int32_t) {}
int CRole::CanLosePart() { return 0; }
void CRole::LosePart(int32_t) {}
