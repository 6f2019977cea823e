#include "roles/save_mgr.h"

CSaveMgr g_SaveMgr;

int CSaveMgr::SetMonthDay(int month, int day) {
    if (month < 1 || month > 12 || day < 1 || day > 31) return 0;
    int limit = 32;
    if (month == 2) limit = 30;
    else if (month == 4 || month == 6 || month == 9 || month == 11) limit = 31;
    if (day >= limit) return 0;
    m_BirthMonth = month;
    m_BirthDay = day;
    return 1;
}
