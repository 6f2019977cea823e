#pragma once
// Resource libraries: every picture and animation of the game lives in a
// ".lib" file, opened once at start-up through the list "idx.lib" and kept
// open for the run. Entries are read on first use, shared by reference
// count, counted against a memory budget and unloaded only by the explicit
// purges.
//
// Library file (little-endian):
//   0              magic "quorLib2.0" + NUL (never compared)
//   16             u32 entry count N
//   256 + 8 i      u32 offset, u32 size of entry i's data
//   offset         the data, stored as is
// An entry holds image frames (one bare frame, or u32 frame count + that
// many u32 frame offsets within the entry) or one animation table; which
// one is known only to the caller that asks.
//
// ResId: entry bits 0-19, library bits 20-23, frame bits 24-31 (0 = the
// entry is one bare frame, n = frame n-1 of its frame table).
#include <cstdint>
#include <cstdio>
#include <list>
#include <memory>
#include <string>

class CImage;
struct AnimTable;

constexpr uint32_t kResEntryMask = 0xFFFFF;
constexpr uint32_t kResLibMask = 0xF00000;
inline uint32_t ResIdEntry(uint32_t id) { return id & kResEntryMask; }
inline int32_t ResIdLib(uint32_t id) { return static_cast<int32_t>((id >> 20) & 0xF); }
inline uint32_t ResIdFrame(uint32_t id) { return id >> 24; }
inline uint32_t MakeResId(uint32_t lib, uint32_t entry, uint32_t frame) {
    return (entry & kResEntryMask) | (lib & 0xF) << 20 | (frame & 0xFF) << 24;
}

constexpr uint32_t kLibHeaderSize = 256;
constexpr uint32_t kLibCountPos = 16;
constexpr uint32_t kLibDirRowSize = 8;
constexpr int32_t kLibPendingMax = 500;
// Library 1 entries bigger than this are loaded as soon as an image
// reference is set on them.
inline constexpr uint32_t g_LibKeepThreshold = 10240;

// Decoded kinds and load state of an entry.
enum : uint8_t { kEntryNotDecoded = 0, kEntryImages = 3, kEntryAnim = 5 };
enum : uint8_t { kEntryNotLoaded = 0, kEntryLoaded = 8 };

class CLibEntry {
public:
    CLibEntry();
    ~CLibEntry();
    CLibEntry(const CLibEntry&) = delete;
    CLibEntry& operator=(const CLibEntry&) = delete;
    // Number of decoded objects (1 before decoding, the frame count after a
    // frame table was decoded).
    uint32_t ObjectCount() const { return m_ObjectCount; }

    uint32_t m_Offset = 0;
    uint32_t m_Size = 0;
    uint8_t m_Kind = kEntryNotDecoded;
    uint8_t m_LoadState = kEntryNotLoaded;
    uint32_t m_Index = 0;
    // Wider than 16 bits on purpose: a count that wrapped to 0 would let a
    // purge unload an entry in use.
    int32_t m_RefCount = 0;
    std::unique_ptr<uint8_t[]> m_pData;  // null when not loaded or after an animation table was parsed
    std::unique_ptr<std::unique_ptr<CImage>[]> m_pImages;  // kind 3; null slots are refused frames
    std::unique_ptr<AnimTable> m_pAnim;                      // kind 5
    uint32_t m_ObjectCount = 1;

private:
    friend class CLibFile;
    std::list<std::unique_ptr<CLibEntry>>::iterator m_Node;
};

class CLibFile {
public:
    CLibFile();
    virtual ~CLibFile();
    CLibFile(const CLibFile&) = delete;
    CLibFile& operator=(const CLibFile&) = delete;

    // Close; open "rb"; the length (0 fails); the 256-byte header (a short
    // read fails); the entry table, which must fit in the file. 1 or 0; a
    // file that does not open also shows a message box with its path.
    int Open(const char* path);
    // Pending count 0, every record unloaded, the entry table freed, the
    // file closed. 1.
    int Close();
    bool IsOpen() const { return m_pEntryTable != nullptr; }
    uint32_t EntryCount() const { return m_EntryCount; }

    // The record in the entry table, without touching the file; null when
    // there is none (or the library is closed, or the index is out of range).
    CLibEntry* FindEntry(uint32_t index) const;
    // The existing record, else ReadDirEntry. Null when the library is
    // closed, the index is at or past the entry count, or the row can't be read.
    CLibEntry* GetEntry(uint32_t index);
    CLibEntry* ReadDirEntry(uint32_t index);
    // Reads the entry's data once; a loaded record is returned as it is.
    // Null (nothing counted) when the data lies past the end of the file or
    // the read falls short.
    CLibEntry* LoadEntry(uint32_t index);
    // Unloads and destroys the record; the record that followed it, or null.
    CLibEntry* UnloadEntry(uint32_t index);
    void Seek(uint32_t pos);
    uint32_t Read(void* buffer, uint32_t size, uint32_t count);

    // Reference counting (CImageRef, CAnimRes): entry bits 0-19 are used.
    // AddRef creates the record from the directory when missing; 0 when it
    // cannot. ReleaseRef never creates a record and never goes below 0.
    int AddRef(uint32_t entryValue);
    void ReleaseRef(uint32_t entryValue);

    // Unreferenced records, oldest first, until the loaded bytes fall below
    // the budget (budget 0: all of them).
    void RemoveNoUse();
    void RemoveAllNoUse();
    // Every record, referenced or not (shutdown only).
    void UnloadAll();
    // Loads the most recently queued entry, if any. Always 1.
    int LoadOnePending();
    // Queues an entry for LoadOnePending; 0 when the queue is full.
    int QueuePending(uint32_t index);
    int32_t PendingCount() const { return m_PendingCount; }
    // Records in creation order, oldest first.
    const std::list<std::unique_ptr<CLibEntry>>& Records() const { return m_Records; }
    const std::string& FileName() const { return m_FileName; }

protected:
    std::list<std::unique_ptr<CLibEntry>>::iterator Unload(std::list<std::unique_ptr<CLibEntry>>::iterator it);

    std::unique_ptr<CLibEntry*[]> m_pEntryTable;  // null while closed
    uint32_t m_EntryCount = 0;
    std::list<std::unique_ptr<CLibEntry>> m_Records;
    uint32_t m_FilePos = 0;
    FILE* m_pFile = nullptr;
    uint32_t m_FileLength = 0;
    uint8_t m_Header[kLibHeaderSize] = {};
    uint32_t m_Pending[kLibPendingMax] = {};
    int32_t m_PendingCount = 0;
    std::string m_FileName;
};

class CResLib : public CLibFile {
public:
    // The image of a frame: entry index in bits 0-19, frame number in bits
    // 24-31. Loads and decodes the entry on first use; the first request
    // decides whether it is a bare frame (frame 0) or a frame table. Null for
    // a closed library, an index or frame outside the entry, a refused frame,
    // or an entry already decoded as an animation table.
    CImage* GetImage(uint32_t entryValue);
    // What GetImage gives when the entry is already loaded and decoded as
    // images; null otherwise. Never loads or decodes anything, so it may be
    // asked ahead of drawing (to fetch the picture into the cache early).
    CImage* LoadedImage(uint32_t entryValue) const {
        const uint32_t index = entryValue & kResEntryMask;
        if (!m_pEntryTable || index >= m_EntryCount) return nullptr;
        const CLibEntry* e = m_pEntryTable[index];
        if (!e || e->m_LoadState != kEntryLoaded || e->m_Kind != kEntryImages || !e->m_pImages) return nullptr;
        const uint32_t f = entryValue >> 24, i = f >= 1 ? f - 1 : 0;
        return i < e->m_ObjectCount ? e->m_pImages[i].get() : nullptr;
    }
    // The animation table of the entry (the frame bits of a ResId are
    // ignored). Null for a closed library, an index outside the library, a
    // malformed table, or an entry already decoded as images.
    AnimTable* GetAnim(uint32_t entryIndex);
};

class CResList {
public:
    CResList() = default;
    ~CResList();
    CResList(const CResList&) = delete;
    CResList& operator=(const CResList&) = delete;

    // Budget from the physical memory, the memory log line, then every
    // library named in the list file ("num", then "num" times "name"; path:
    // the list's directory + name + ".lib"). 1, or 0 when the list does not
    // open (message box with its path). A previous set of libraries is
    // closed and freed first.
    int Init(const char* listPath);
    // Null when n < 0 or n > count - 1.
    CResLib* GetLib(int32_t n) const;
    // Entry value = the id with the library bits cleared; the library of
    // bits 20-23 (may be null), also returned.
    CResLib* SplitId(uint32_t id, uint32_t* entryValue, CResLib** lib) const;
    void RemoveNoUse();
    void RemoveAllNoUse();
    // Closes every library (shutdown). 1.
    int CloseAll();
    // CloseAll, then frees the libraries (exit).
    void Destroy();
    int32_t Count() const { return m_Count; }
    // True when lib is one of this list's libraries.
    bool Owns(const CLibFile* lib) const;

private:
    std::unique_ptr<CResLib[]> m_pLibs;
    int32_t m_Count = 0;
};

extern CResList g_ResList;
// Bytes of all entries whose data is in memory, in all libraries.
extern uint32_t g_LibLoadedBytes;
// Purge target in bytes; 0 = purge every unreferenced entry.
extern uint32_t g_LibMemBudget;
uint32_t GetLibLoadedBytes();
// The budget for a machine: the larger half of the physical memory minus
// 70 MiB, in unsigned 32-bit arithmetic (wraps on machines below 140 MiB,
// which then purges nothing). Memory above 4 GiB reads as 4 GiB - 1, as a
// 32-bit memory status reports it.
uint32_t ComputeLibMemBudget(uint64_t totalPhys);

// Start-up and shutdown of the libraries.
// Start-up: g_ResList.Init(<GetZyDirectory()>"idx.lib"); returns Init's result.
int InitResourceLibraries();
// Shutdown: g_ResList.CloseAll().
int CloseResourceLibraries();
