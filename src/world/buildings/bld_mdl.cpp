#include "world/buildings/bld_mdl.h"

#include <cstddef>
#include <cstring>

#include "core/directories.h"
#include "core/log.h"
#include "core/pack_file.h"
#include "platform/text.h"

CMdlCache g_MdlCache;

namespace {

// Little-endian reads from a buffer; every read checks the bytes left.
class Cursor {
public:
    Cursor(const uint8_t* d, size_t n, size_t pos) : d_(d), n_(n), p_(pos) {}
    size_t Left() const { return n_ - p_; }
    size_t Pos() const { return p_; }
    bool Bytes(void* out, size_t k) {
        if (Left() < k) return ok_ = false;
        std::memcpy(out, d_ + p_, k);
        p_ += k;
        return true;
    }
    uint8_t U8() {
        uint8_t v = 0;
        Bytes(&v, 1);
        return v;
    }
    uint16_t U16() {
        uint8_t b[2] = {};
        Bytes(b, 2);
        return static_cast<uint16_t>(b[0] | b[1] << 8);
    }
    uint32_t U32() {
        uint8_t b[4] = {};
        Bytes(b, 4);
        return b[0] | b[1] << 8 | b[2] << 16 | static_cast<uint32_t>(b[3]) << 24;
    }
    int32_t I32() { return static_cast<int32_t>(U32()); }
    bool Ok() const { return ok_; }

private:
    const uint8_t* d_;
    size_t n_;
    size_t p_;
    bool ok_ = true;
};

// The whole of the open shared file; false on a short read.
bool ReadWholeSharedFile(std::vector<uint8_t>* out) {
    const int len = g_SharedFile.GetLength();
    if (len < 0) return false;
    out->assign(static_cast<size_t>(len), 0);
    if (len == 0) return true;
    return g_SharedFile.Read(out->data(), len, 1) == 1;
}

} // namespace

CBldPart::CBldPart() { std::memcpy(m_Name, "????", 5); }

// The record from its byte at offset 2 on: the name, itself a text field
// {u16 tag, text}.
const uint8_t* CBldPart::ShapeField() const { return reinterpret_cast<const uint8_t*>(m_Name); }

uint16_t CBldPart::MaskAt(int32_t x, int32_t y) const {
    if (x < 0 || y < 0 || x >= m_GridW || y >= m_GridH) return 0;
    const size_t i = static_cast<size_t>(y) * m_GridW + static_cast<size_t>(x);
    return i < m_Mask.size() ? m_Mask[i] : 0;
}

int ReadBldPart(const uint8_t* data, size_t size, size_t* pos, CBldPart* p) {
    Cursor c(data, size, *pos);
    if (c.Left() < kBldPartFixedSize - 2) return 0;
    c.Bytes(p->m_Name, sizeof p->m_Name);
    p->m_Name[sizeof p->m_Name - 1] = 0;
    p->m_PartKind = c.U16();
    p->m_PartId = c.U16();
    p->m_Unused38 = c.U32();
    p->m_SubCount = c.U16();
    p->m_MiddleStart = c.U16();
    p->m_Word46 = c.U16();
    p->m_TopCount = c.U16();
    p->m_LabelEnable = c.U8();
    c.Bytes(p->m_Bytes51, sizeof p->m_Bytes51);
    c.Bytes(p->m_Bytes71, sizeof p->m_Bytes71);
    p->m_GridW = c.U16();
    p->m_GridH = c.U16();
    p->m_NameTextId = c.U16();
    for (int32_t* v : {&p->m_AnchorX, &p->m_AnchorY, &p->m_LineDx, &p->m_LineDy, &p->m_OriginX, &p->m_OriginY,
                       &p->m_RectX, &p->m_RectY, &p->m_RectW, &p->m_RectH, &p->m_LightX, &p->m_LightY,
                       &p->m_UseSound, &p->m_AmbientSound})
        *v = c.I32();
    for (int32_t& v : p->m_Rest) v = c.I32();
    // The mask, the four trailing bytes and the sub-records must all fit in
    // what is left before any of them is allocated.
    const size_t cells = static_cast<size_t>(p->m_GridW) * p->m_GridH;
    const size_t need = cells * 2 + 4 + static_cast<size_t>(p->m_SubCount) * kBldPartItemSize;
    if (!c.Ok() || c.Left() < need) return 0;
    p->m_Mask.resize(cells);
    for (uint16_t& m : p->m_Mask) m = c.U16();
    p->m_Trailing = c.U16();
    p->m_LightKind = c.U8();
    p->m_LabelColour = c.U8();
    p->m_Items.resize(p->m_SubCount);
    for (CBldPartItem& it : p->m_Items) {
        c.Bytes(it.m_Name, sizeof it.m_Name);
        it.m_Name[sizeof it.m_Name - 1] = 0;
        it.m_pObj = nullptr;
        it.m_Animated = c.U8();
        it.m_ResId = c.U32();
        it.m_X = c.I32();
        it.m_Y = c.I32();
    }
    if (!c.Ok()) return 0;
    *pos = c.Pos();
    return 1;
}

CBldMdl::CBldMdl() { std::memcpy(m_Header, "quorbld1.50", 12); }

CBldMdl::~CBldMdl() { ReleaseParts(); }

int32_t CBldMdl::GetRecordCount() const {
    return static_cast<int32_t>(m_Header[32] | m_Header[33] << 8 | m_Header[34] << 16 |
                                static_cast<uint32_t>(m_Header[35]) << 24);
}

void CBldMdl::ReleaseParts() {
    for (CBldPart*& p : m_Parts) {
        delete p;
        p = nullptr;
    }
    m_PartTable.RemoveAll();
    std::memset(m_Header + 32, 0, 4);
}

CBldPart* CBldMdl::GetPart(int partId) const { return m_PartTable.GetAs<CBldPart>(partId); }

int CBldMdl::Load(const char* name) {
    ReleaseParts();
    m_PartTable.SetSize(kBldMdlMaxRecords);
    const std::string path = std::string(GetMbDirectory()) + name;
    if (g_SharedFile.Open(path.c_str(), "rb") == -2) {
        ErrorBox(nullptr, 1, "Mdl\xce\xc4\xbc\xfe\xb2\xbb\xb4\xe6\xd4\xda:", name);  // "Mdl文件不存在:"
        return 0;
    }
    const char* tail = name;
    for (const char* s = name; *s; ++s)
        if (*s == '\\' || *s == '/') tail = s + 1;
    std::snprintf(m_FileName, sizeof m_FileName, "%s", tail);

    std::vector<uint8_t> bytes;
    const bool read = ReadWholeSharedFile(&bytes);
    g_SharedFile.Close();
    if (!read || bytes.size() < kBldMdlHeaderSize) return 0;
    std::memcpy(m_Header, bytes.data(), kBldMdlHeaderSize);
    const int32_t count = GetRecordCount();
    const int32_t n = count < 0 ? 0 : count > kBldMdlMaxRecords ? kBldMdlMaxRecords : count;
    size_t pos = kBldMdlHeaderSize;
    for (int32_t i = 0; i < n; ++i) {
        if (bytes.size() - pos < 2) {
            ReleaseParts();
            return 0;
        }
        const uint16_t kind = static_cast<uint16_t>(bytes[pos] | bytes[pos + 1] << 8);
        pos += 2;
        if (kind != 3) continue;
        auto part = std::make_unique<CBldPart>();
        if (!ReadBldPart(bytes.data(), bytes.size(), &pos, part.get())) {
            ReleaseParts();
            return 0;
        }
        // An id already taken, or outside the table, leaves the part
        // unreachable by id.
        if (m_PartTable.SetAt(part->m_PartId, part.get()) < 0) part->m_PartId = 65535;
        m_Parts[static_cast<size_t>(i)] = part.release();
    }
    return 1;
}

CMdlCache::~CMdlCache() { Clear(); }

void CMdlCache::Clear() {
    for (Entry& e : m_Entries)
        if (e.mdl) e.mdl->ReleaseParts();
    m_Entries.clear();
}

CBldMdl* CMdlCache::Get(const char* name) {
    for (Entry& e : m_Entries)
        if (plat::EqualsNoCase(e.name, name)) return e.mdl.get();
    auto mdl = std::make_unique<CBldMdl>();
    if (!mdl->Load(name)) {
        ErrorBox(nullptr, 1, "Load Mdl\xce\xc4\xbc\xfe:", name);  // "Load Mdl文件:"
        return nullptr;
    }
    m_Entries.push_back({std::move(mdl), name});
    return m_Entries.back().mdl.get();
}
