#include "gfx/res_lib.h"

#include <algorithm>
#include <cinttypes>
#include <cstring>
#include <limits>

#include "core/directories.h"
#include "core/ini_file.h"
#include "core/log.h"
#include "core/strings.h"
#include "gfx/image.h"
#include "gfx/image_ref.h"
#include "gfx/raw_image.h"
#include "gfx/rle_image.h"
#include "platform/debug.h"
#include "platform/fs.h"
#include "platform/msgbox.h"
#include "platform/sysinfo.h"

CResList g_ResList;
uint32_t g_LibLoadedBytes = 0;
uint32_t g_LibMemBudget = 0;

uint32_t GetLibLoadedBytes() { return g_LibLoadedBytes; }

namespace {

// Where the reader stands after a short read: no real position equals it,
// so the next Seek repositions.
constexpr uint32_t kPosUnknown = 0xFFFFFFFFu;
// A 32-bit process's address space as a memory status reports it; only
// logged.
constexpr uint32_t kTotalVirtual = 0x7FFE0000u;
// More libraries than any list needs; a larger "num" is a damaged file.
constexpr int32_t kMaxLibraries = 1024;

} // namespace

// ---- CLibEntry ----

CLibEntry::CLibEntry() = default;
CLibEntry::~CLibEntry() = default;

// ---- CLibFile ----

CLibFile::CLibFile() { std::memcpy(m_Header, "quorLib2.0", 11); }

CLibFile::~CLibFile() { Close(); }

int CLibFile::Open(const char* path) {
    Close();
    m_pFile = plat::OpenFile(path, "rb");
    if (!m_pFile) {
        plat::MessageBox(path, plat::kCannotOpenCaption, plat::MB_OK);
        return 0;
    }
    m_FileName = path;
    m_FilePos = 0;
    int64_t length = -1;
    if (fseeko(m_pFile, 0, SEEK_END) == 0) length = ftello(m_pFile);
    fseeko(m_pFile, 0, SEEK_SET);
    const auto fail = [this]() {
        std::fclose(m_pFile);
        m_pFile = nullptr;
        return 0;
    };
    if (length <= 0) return fail();
    if (length > static_cast<int64_t>(std::numeric_limits<uint32_t>::max())) {
        plat::DebugPrintf("CLibFile::Open: <%s> is larger than 4 GiB\n", path);
        return fail();
    }
    m_FileLength = static_cast<uint32_t>(length);
    if (Read(m_Header, 1, kLibHeaderSize) != kLibHeaderSize) return fail();
    const uint32_t n = LeU32(m_Header + kLibCountPos);
    if (kLibHeaderSize + static_cast<uint64_t>(n) * kLibDirRowSize > m_FileLength) {
        plat::DebugPrintf("CLibFile::Open: <%s> names %u entries, more than the file holds\n", path, n);
        return fail();
    }
    m_EntryCount = n;
    m_pEntryTable.reset(new CLibEntry*[n]());
    return 1;
}

int CLibFile::Close() {
    m_PendingCount = 0;
    UnloadAll();
    m_pEntryTable.reset();
    m_EntryCount = 0;
    if (m_pFile) std::fclose(m_pFile);
    m_pFile = nullptr;
    return 1;
}

CLibEntry* CLibFile::FindEntry(uint32_t index) const {
    if (!m_pEntryTable || index >= m_EntryCount) return nullptr;
    return m_pEntryTable[index];
}

CLibEntry* CLibFile::GetEntry(uint32_t index) {
    if (!m_pEntryTable || index >= m_EntryCount) return nullptr;
    if (CLibEntry* e = m_pEntryTable[index]) return e;
    return ReadDirEntry(index);
}

CLibEntry* CLibFile::ReadDirEntry(uint32_t index) {
    if (!m_pEntryTable || index >= m_EntryCount) return nullptr;
    uint8_t row[kLibDirRowSize];
    Seek(kLibHeaderSize + index * kLibDirRowSize);
    if (Read(row, 1, kLibDirRowSize) != kLibDirRowSize) return nullptr;
    auto rec = std::make_unique<CLibEntry>();
    rec->m_Offset = LeU32(row);
    rec->m_Size = LeU32(row + 4);
    rec->m_Index = index;
    CLibEntry* e = rec.get();
    m_pEntryTable[index] = e;
    m_Records.push_back(std::move(rec));
    e->m_Node = std::prev(m_Records.end());
    return e;
}

CLibEntry* CLibFile::LoadEntry(uint32_t index) {
    CLibEntry* e = GetEntry(index);
    if (!e) return nullptr;
    if (e->m_LoadState == kEntryLoaded) return e;
    if (static_cast<uint64_t>(e->m_Offset) + e->m_Size > m_FileLength) {
        plat::DebugPrintf("CLibFile::LoadEntry: entry %u of <%s> lies past the end of the file\n", index,
                          m_FileName.c_str());
        return nullptr;
    }
    std::unique_ptr<uint8_t[]> data(new uint8_t[e->m_Size > 0 ? e->m_Size : 1]);
    Seek(e->m_Offset);
    if (Read(data.get(), 1, e->m_Size) != e->m_Size) {
        plat::DebugPrintf("CLibFile::LoadEntry: short read of entry %u of <%s>\n", index, m_FileName.c_str());
        return nullptr;
    }
    e->m_pData = std::move(data);
    e->m_LoadState = kEntryLoaded;
    g_LibLoadedBytes += e->m_Size;
    return e;
}

std::list<std::unique_ptr<CLibEntry>>::iterator CLibFile::Unload(std::list<std::unique_ptr<CLibEntry>>::iterator it) {
    std::unique_ptr<CLibEntry> rec = std::move(*it);
    const auto next = m_Records.erase(it);
    if (rec->m_LoadState == kEntryLoaded) g_LibLoadedBytes -= rec->m_Size;
    if (m_pEntryTable && rec->m_Index < m_EntryCount) m_pEntryTable[rec->m_Index] = nullptr;
    // Destroying an animation table releases the references of its frames;
    // that only lowers counts and never changes this list.
    rec.reset();
    return next;
}

CLibEntry* CLibFile::UnloadEntry(uint32_t index) {
    CLibEntry* e = FindEntry(index);
    if (!e) return nullptr;
    const auto next = Unload(e->m_Node);
    return next == m_Records.end() ? nullptr : next->get();
}

void CLibFile::Seek(uint32_t pos) {
    if (pos == m_FilePos || !m_pFile) return;
    m_FilePos = pos;
    fseeko(m_pFile, static_cast<off_t>(pos), SEEK_SET);
}

uint32_t CLibFile::Read(void* buffer, uint32_t size, uint32_t count) {
    if (!m_pFile) return 0;
    const size_t n = std::fread(buffer, size, count, m_pFile);
    if (n == count)
        m_FilePos += size * count;
    else
        m_FilePos = kPosUnknown;
    return static_cast<uint32_t>(n);
}

int CLibFile::AddRef(uint32_t entryValue) {
    CLibEntry* e = GetEntry(entryValue & kResEntryMask);
    if (!e) return 0;
    ++e->m_RefCount;
    return 1;
}

void CLibFile::ReleaseRef(uint32_t entryValue) {
    CLibEntry* e = FindEntry(entryValue & kResEntryMask);
    if (e && e->m_RefCount > 0) --e->m_RefCount;
}

void CLibFile::RemoveNoUse() {
    if (g_LibMemBudget == 0) {
        RemoveAllNoUse();
        return;
    }
    for (auto it = m_Records.begin(); it != m_Records.end();) {
        if (g_LibLoadedBytes < g_LibMemBudget) break;
        if ((*it)->m_RefCount > 0)
            ++it;
        else
            it = Unload(it);
    }
}

void CLibFile::RemoveAllNoUse() {
    for (auto it = m_Records.begin(); it != m_Records.end();) {
        if ((*it)->m_RefCount > 0)
            ++it;
        else
            it = Unload(it);
    }
}

void CLibFile::UnloadAll() {
    while (!m_Records.empty()) Unload(m_Records.begin());
}

int CLibFile::LoadOnePending() {
    if (m_PendingCount >= 1) {
        // The most recently queued index sits at count - 1.
        const uint32_t index = m_Pending[m_PendingCount - 1];
        const CLibEntry* e = FindEntry(index);
        if (!e || e->m_LoadState != kEntryLoaded) LoadEntry(index);
        --m_PendingCount;
    }
    return 1;
}

int CLibFile::QueuePending(uint32_t index) {
    if (m_PendingCount >= kLibPendingMax) return 0;
    m_Pending[m_PendingCount++] = index;
    return 1;
}

// ---- CResLib ----

namespace {

// One image for the frame at `frame`, `size` bytes to the end of the entry;
// null when refused.
std::unique_ptr<CImage> MakeFrameImage(uint8_t* frame, uint32_t size) {
    if (size < frame::kHeaderSize) {
        plat::DebugPrintf("Image frame refused: shorter than its header\n");
        return nullptr;
    }
    std::unique_ptr<CImage> img;
    if (frame[frame::kRle])
        img = std::make_unique<CRleImage>();
    else
        img = std::make_unique<CRawImage>();
    if (!img->Attach(frame, size)) return nullptr;
    return img;
}

} // namespace

CImage* CResLib::GetImage(uint32_t entryValue) {
    const uint32_t index = entryValue & kResEntryMask;
    if (!m_pEntryTable || index >= m_EntryCount) return nullptr;
    CLibEntry* e = m_pEntryTable[index];
    if (!e || e->m_LoadState != kEntryLoaded) e = LoadEntry(index);
    if (!e) return nullptr;
    const uint32_t f = entryValue >> 24;
    const auto pick = [e, f]() -> CImage* {
        const uint32_t i = f >= 1 ? f - 1 : 0;
        if (!e->m_pImages || i >= e->m_ObjectCount) return nullptr;
        return e->m_pImages[i].get();
    };
    if (e->m_Kind == kEntryImages) return pick();
    // An animation table's data is gone and its frames are referenced by
    // pointer: an entry serves one kind for as long as it stays loaded.
    if (e->m_Kind == kEntryAnim || !e->m_pData) return nullptr;

    uint8_t* data = e->m_pData.get();
    const uint32_t size = e->m_Size;
    if (f >= 1) {
        if (size < 4) return nullptr;
        const uint32_t n = LeU32(data);
        if (n > (size - 4) / 4) {
            plat::DebugPrintf("CResLib::GetImage: frame table of entry %u names %u frames, past its data\n", index, n);
            return nullptr;
        }
        std::unique_ptr<std::unique_ptr<CImage>[]> images(new std::unique_ptr<CImage>[n > 0 ? n : 1]);
        for (uint32_t j = 0; j < n; ++j) {
            const uint32_t off = LeU32(data + 4 + 4 * j);
            if (off < size) images[j] = MakeFrameImage(data + off, size - off);
        }
        e->m_pImages = std::move(images);
        e->m_ObjectCount = n;
    } else {
        std::unique_ptr<std::unique_ptr<CImage>[]> images(new std::unique_ptr<CImage>[1]);
        images[0] = MakeFrameImage(data, size);
        e->m_pImages = std::move(images);
        e->m_ObjectCount = 1;
    }
    e->m_pAnim.reset();
    e->m_Kind = kEntryImages;
    return pick();
}

AnimTable* CResLib::GetAnim(uint32_t entryIndex) {
    const uint32_t index = entryIndex & kResEntryMask;
    if (!m_pEntryTable || index >= m_EntryCount) return nullptr;
    CLibEntry* e = m_pEntryTable[index];
    if (!e || e->m_LoadState != kEntryLoaded) e = LoadEntry(index);
    if (!e) return nullptr;
    if (e->m_Kind == kEntryAnim) return e->m_pAnim.get();
    // Images of this entry may still be referenced and point into its data.
    if (e->m_Kind == kEntryImages || !e->m_pData) return nullptr;
    std::unique_ptr<AnimTable> table = ParseAnimTable(e->m_pData.get(), e->m_Size);
    if (!table) return nullptr;
    e->m_pImages.reset();
    e->m_pAnim = std::move(table);
    e->m_ObjectCount = 1;
    e->m_Kind = kEntryAnim;
    // The loaded size stays counted until the entry is unloaded.
    e->m_pData.reset();
    return e->m_pAnim.get();
}

// ---- CResList ----

uint32_t ComputeLibMemBudget(uint64_t totalPhys) {
    const uint32_t phys = static_cast<uint32_t>(std::min<uint64_t>(totalPhys, 0xFFFFFFFFu));
    return phys - phys / 2 - 73400320u;
}

CResList::~CResList() { Destroy(); }

int CResList::Init(const char* listPath) {
    Destroy();
    const uint64_t totalPhys = plat::GetMemoryStatus().totalPhys;
    const uint32_t phys = static_cast<uint32_t>(std::min<uint64_t>(totalPhys, 0xFFFFFFFFu));
    g_LibMemBudget = ComputeLibMemBudget(totalPhys);
    // "内存太小了！:-<"
    if (g_LibMemBudget == 0) plat::OutputDebugString("\xC4\xDA\xB4\xE6\xCC\xAB\xD0\xA1\xC1\xCB\xA3\xA1:-<");
    char line[128];
    std::snprintf(line, sizeof line, "TotalPhys %dM,dwTotalVirtual %dM,dBeginMem %dM\n", static_cast<int>(phys >> 20),
                  static_cast<int>(kTotalVirtual >> 20), static_cast<int>(g_LibMemBudget >> 20));
    WriteLog(kLogFile, line);

    CIniFile ini;
    if (!ini.OpenFileRead(listPath)) {
        plat::MessageBox(listPath, plat::kCannotOpenCaption, plat::MB_OK);
        return 0;
    }
    // A list named without a folder leaves GetDirPart's buffer alone: the
    // folder part is then empty, not whatever the stack held.
    char dir[256] = {};
    GetDirPart(listPath, dir, sizeof dir);
    int count = 0;
    ini.ReadInt("num", &count);
    if (count < 0) count = 0;
    if (count > kMaxLibraries) {
        plat::DebugPrintf("CResList::Init: <%s> names %d libraries; only %d are opened\n", listPath, count,
                          kMaxLibraries);
        count = kMaxLibraries;
    }
    m_pLibs.reset(new CResLib[count > 0 ? count : 1]);
    m_Count = count;
    for (int32_t i = 0; i < count; ++i) {
        char name[256] = {};
        if (!ini.ReadLine("name", name, sizeof name)) continue;
        const std::string path = std::string(dir) + name + ".lib";
        m_pLibs[i].Open(path.c_str());
    }
    ini.Close();
    return 1;
}

CResLib* CResList::GetLib(int32_t n) const {
    if (n < 0 || n > m_Count - 1) return nullptr;
    return &m_pLibs[n];
}

CResLib* CResList::SplitId(uint32_t id, uint32_t* entryValue, CResLib** lib) const {
    CResLib* l = GetLib(ResIdLib(id));
    if (entryValue) *entryValue = id & ~kResLibMask;
    if (lib) *lib = l;
    return l;
}

void CResList::RemoveNoUse() {
    for (int32_t i = 0; i < m_Count; ++i) m_pLibs[i].RemoveNoUse();
}

void CResList::RemoveAllNoUse() {
    for (int32_t i = 0; i < m_Count; ++i) m_pLibs[i].RemoveAllNoUse();
}

int CResList::CloseAll() {
    for (int32_t i = 0; i < m_Count; ++i) m_pLibs[i].Close();
    return 1;
}

void CResList::Destroy() {
    // Closing first lets animation tables release into libraries that are
    // all still alive.
    CloseAll();
    m_pLibs.reset();
    m_Count = 0;
}

bool CResList::Owns(const CLibFile* lib) const {
    for (int32_t i = 0; i < m_Count; ++i)
        if (&m_pLibs[i] == lib) return true;
    return false;
}

int InitResourceLibraries() { return g_ResList.Init((std::string(GetZyDirectory()) + "idx.lib").c_str()); }

int CloseResourceLibraries() { return g_ResList.CloseAll(); }
