// The object manager's building pieces: the factory, the init file and the
// go-target search.
#include <cstring>
#include <vector>

#include "core/pack_file.h"
#include "core/log.h"
#include "platform/debug.h"
#include "platform/text.h"
#include "world/buildings/bld.h"
#include "world/buildings/bld_init.h"
#include "world/buildings/bld_mdl.h"
#include "world/objects/obj_desc.h"
#include "world/objects/obj_mng.h"
#include "world/scene/world_globals.h"
#include "world/scene/world_hooks.h"

CGameObj* CObjMng::CreateBld(CObjDesc* desc) {
    // An unknown model id, or no model at all, makes no building; nor does
    // a cell so far out that its centre pixel would not fit an i32 (maps
    // are at most 65535 cells wide).
    const CBldPart* part = desc && m_pBldMdl ? m_pBldMdl->GetPart(desc->m_ModelId) : nullptr;
    constexpr int32_t kFarCell = 1 << 24;
    if (!part || desc->m_X < -kFarCell || desc->m_X > kFarCell || desc->m_Y < -kFarCell || desc->m_Y > kFarCell) {
        plat::OutputDebugString("CObjMng::AddObj Error");
        delete desc;
        return nullptr;
    }
    CBld* b = nullptr;
    if (part->m_PartKind >= 128 && part->m_PartKind <= 256)
        b = desc->m_ModelId != 0 ? static_cast<CBld*>(new CMechBld) : new CPortalBld;
    else
        b = new CPlainBld;
    if (!b->Register(0)) {
        // The upper range is full: refused, not left unfiled.
        plat::OutputDebugString("CObjMng::AddObj Error: no free handle");
        delete b;
        delete desc;
        return nullptr;
    }
    if (!b->Init(desc)) {
        plat::OutputDebugString("CObjMng::AddObj Error");
        delete b;
        return nullptr;
    }
    b->InitModel(part);
    Register(b->m_Handle);
    return b;
}

CGameObj* CObjMng::AddBld(int x, int y, uint16_t modelId, const char* text) {
    CBldRec* rec = nullptr;
    if (text) {
        auto* t = new CBldTextRec;
        t->SetText(text);
        rec = t;
    } else {
        rec = new CBldRec;
    }
    rec->m_ModelId = modelId;
    rec->m_X = x;
    rec->m_Y = y;
    return CreateBld(rec);
}

CGameObj* CObjMng::AddBldAt(int x, int y) { return AddBld(x, y, 0, nullptr); }

CGameObj* CObjMng::FindFirstByGoTarget(const char* text) {
    m_GoTargetText = text ? text : "";
    m_GoTargetCursor = m_MechPool.First();
    return FindNextByGoTarget();
}

CGameObj* CObjMng::FindNextByGoTarget() {
    while (m_GoTargetCursor != -1) {
        CGameObj* obj = m_MechPool.GetAt(m_GoTargetCursor);
        m_GoTargetCursor = m_MechPool.Next(m_GoTargetCursor);
        const auto* b = dynamic_cast<const CBld*>(obj);
        const char* target = b ? b->GetGoTarget() : nullptr;
        if (target && plat::EqualsNoCase(target, m_GoTargetText)) return obj;
    }
    return nullptr;
}

CBldRec* MakeBldRec(uint16_t modelId, int type, int32_t x, int32_t y) {
    CBldRec* rec = nullptr;
    if (type == 3)
        rec = new CBldRec;
    else if (type == 4)
        rec = new CBldTextRec;
    else
        return nullptr;
    rec->m_ModelId = modelId;
    rec->m_X = x;
    rec->m_Y = y;
    return rec;
}

int LoadInt(const char* name) {
    if (g_SharedFile.Open(name, "rb") == -2) {
        ErrorBox(nullptr, 1, "LoadInt\xce\xc4\xbc\xfe:", name);  // "LoadInt文件:"
        return 0;
    }
    std::vector<uint8_t> bytes;
    const int len = g_SharedFile.GetLength();
    bool read = len >= 0;
    if (read && len > 0) {
        bytes.resize(static_cast<size_t>(len));
        read = g_SharedFile.Read(bytes.data(), len, 1) == 1;
    }
    g_SharedFile.Close();
    BldInitFile file;
    if (!read || !ParseBldInit(bytes.data(), bytes.size(), &file)) return 0;
    CObjMng* mng = g_CurObjMng;
    if (!mng) return 0;
    if (g_WorldHooks.logLoading) g_WorldHooks.logLoading(10, "BldMdl", "Begin");
    mng->m_pBldMdl = g_MdlCache.Get(file.modelFile.c_str());
    if (g_WorldHooks.logLoading) g_WorldHooks.logLoading(10, "BldMdl", "End");
    for (const BldInitEntry& e : file.entries) {
        CBldRec* rec = MakeBldRec(e.modelId, e.type, e.x, e.y);
        if (!rec) continue;
        if (e.dataLength > 0)
            rec->SetData(reinterpret_cast<const uint8_t*>(e.data.data()), e.dataLength);
        else
            rec->m_DataLen = e.dataLength;
        if (e.type == 4) static_cast<CBldTextRec*>(rec)->SetText(e.text);
        mng->CreateBld(rec);
    }
    return file.complete ? 1 : 0;
}
