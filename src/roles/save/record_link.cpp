#include "roles/save/record_link.h"

// PLACEHOLDER until the role data record lands: no operations, so saving
// and loading refuse with "no role data record".
CSaveRecordOps RealSaveRecordOps() { return {}; }

CSaveRecordOps g_SaveRecordOps = RealSaveRecordOps();
