// Orders as the world needs them until orders are carried out: an order is
// kept as the last given and nothing more.
// PLACEHOLDER: GiveOrder and ProcessOrder get their bodies with orders.
#include "roles/role.h"

int CRole::GiveOrder(int32_t code, int32_t a, int32_t b, int32_t c, int, int) {
    ++m_OrderCount;
    m_LastCommand = code;
    m_LastOrder[0] = static_cast<uint32_t>(a);
    m_LastOrder[1] = static_cast<uint32_t>(b);
    m_LastOrder[2] = static_cast<uint32_t>(c);
    return 1;
}

void CRole::ProcessOrder() {}

void CRole::SetCurrentOrder(int32_t code, int32_t a, int32_t b, int32_t c) {
    m_CurrentOrder[0] = code;
    m_CurrentOrder[1] = a;
    m_CurrentOrder[2] = b;
    m_CurrentOrder[3] = c;
}
