#include "world/scene/scn_desc.h"

#include <cstring>

#include "core/ini_file.h"
#include "platform/msgbox.h"
#include "platform/random.h"
#include "platform/text.h"

namespace {

// "入口点太多了！！！！"
constexpr const char* kTooManyPortals = "\xc8\xeb\xbf\xda\xb5\xe3\xcc\xab\xb6\xe0\xc1\xcb\xa3\xa1\xa3\xa1\xa3\xa1\xa3\xa1";

void TakeSceneName(const char* path, char* out) {
    const char* base = path;
    for (const char* p = path; *p; ++p)
        if (*p == '\\' || *p == '/') base = p + 1;
    size_t n = std::strlen(base);
    const char* dot = std::strrchr(base, '.');
    if (dot) n = static_cast<size_t>(dot - base);
    if (n >= CScnDesc::kNameSize) n = CScnDesc::kNameSize - 1;
    std::memcpy(out, base, n);
    out[n] = 0;
}

} // namespace

CScnDesc::CScnDesc() { Reset(); }

CScnDesc::~CScnDesc() { ClearPortals(); }

void CScnDesc::Reset() {
    m_Word = 0;
    m_ScnName[0] = m_MapFile[0] = m_BldFile[0] = m_ObjFile[0] = 0;
    ClearPortals();
    m_PortalNum = 0;
    m_RadarId = -1;
}

void CScnDesc::ClearPortals() {
    for (int i = m_Portals.Last(); i >= 0;) {
        const int prev = m_Portals.Prev(i);
        delete m_Portals.GetAt(i);
        m_Portals.RemoveAt(i);
        i = prev;
    }
    m_Portals.RemoveAll();
    m_PortalNum = 0;
}

void CScnDesc::AddPortal(const CScnPortal& rec) {
    if (m_PortalNum >= kMaxPortals) {
        plat::MessageBox(kTooManyPortals, "");
        return;
    }
    auto* p = new CScnPortal(rec);
    if (m_Portals.Insert(m_Portals.First(), p) < 0) {
        delete p;
        return;
    }
    ++m_PortalNum;
}

int CScnDesc::Load(const char* path) {
    Reset();
    if (!path) return 0;
    TakeSceneName(path, m_ScnName);
    CIniFile ini;
    if (!ini.OpenFileRead(path)) {
        plat::MessageBox(path, plat::kCannotOpenCaption);
        return 0;
    }
    ini.ReadLine("MapFile", m_MapFile, kNameSize);
    ini.ReadLine("BldFile", m_BldFile, kNameSize);
    ini.ReadLine("ObjFile", m_ObjFile, kNameSize);
    int count = 0;
    ini.ReadInt("PortalNum", &count);
    // A missing key keeps the value of the portal before.
    CScnPortal rec;
    char name[kNameSize] = {};
    bool atEnd = false;
    for (int i = 0; i < count; ++i) {
        // Past the end of the file every further portal is the same copy:
        // once the table is full the rest are refused with one message
        // rather than one per count the file claims.
        if (atEnd && m_PortalNum >= kMaxPortals) {
            plat::MessageBox(kTooManyPortals, "");
            break;
        }
        int ok = ini.ReadLine("PreScn", name, kNameSize);
        ok &= ini.ReadInt("MapX", &rec.m_X);
        ok &= ini.ReadInt("MapY", &rec.m_Y);
        ok &= ini.ReadInt("Dir", &rec.m_Dir);
        if (!ok) atEnd = true;
        rec.m_Name = name;
        AddPortal(rec);
    }
    ini.ReadInt("RadarID", &m_RadarId);
    ini.Close();
    return 1;
}

CScnPortal* CScnDesc::FindPortal(const char* name) const {
    if (!name) return nullptr;
    for (int i = m_Portals.First(); i >= 0; i = m_Portals.Next(i)) {
        CScnPortal* p = m_Portals.GetAt(i);
        if (p && plat::EqualsNoCase(p->m_Name.c_str(), name)) return p;
    }
    return nullptr;
}

CScnPortal* CScnDesc::PickPortal(const char* name) const {
    if (!name) return nullptr;
    CScnPortal* chosen = nullptr;
    int k = 0;
    for (int i = m_Portals.First(); i >= 0; i = m_Portals.Next(i)) {
        CScnPortal* p = m_Portals.GetAt(i);
        if (!p || !plat::EqualsNoCase(p->m_Name.c_str(), name)) continue;
        ++k;
        if (k == 1 || plat::Rand() % k == 0) chosen = p;
    }
    return chosen;
}

CScnPortal* CScnDesc::GetLastPortal() const { return m_Portals.First() >= 0 ? m_Portals.GetAt(m_Portals.First()) : nullptr; }
