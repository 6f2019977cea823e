#pragma once
// Pack files: one file per data folder ("mb.fol", "slr.fol", "cj.fol") with
// an index of names, optionally scrambled. CPackFile is the one file object
// through which data files are read; it serves a request from a mounted pack
// when the pack's folder holds the file, and from the disk otherwise.
//
// Pack layout (u32 little-endian):
//   0        header: bit 31 scrambled, bits 0-30 entry count N
//   4        N entries of 136 bytes: name[128] (NUL-terminated, relative to
//            the pack's folder), u32 offset, u32 size
//   ...      entry data at their offsets
//   scrambled packs only: N u32 entry keys at (length - (97 + N) * 4),
//            followed by 97 unused u32 words up to the end.
// Scrambling (mod 2^32): index word j (0..33) of entry i is stored as
// plain + K[i] + 9*j^3; data word j as plain + K[i] + 99*j^2; the last
// size % 4 bytes of an entry are stored plain.
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

constexpr int kPackHeaderSize = 4;
constexpr int kPackEntrySize = 136;
constexpr int kPackNameSize = 128;
constexpr int kPackTrailWords = 97;
constexpr uint32_t kPackScrambledBit = 0x80000000u;

struct CPackEntry {
    std::string name;  // as stored, without the NUL padding
    uint32_t offset = 0;
    uint32_t size = 0;
};

// One mounted pack.
struct CPackLib {
    std::string path;
    FILE* stream = nullptr;  // open while mounted
    std::vector<CPackEntry> entries;
    std::vector<uint32_t> keys;  // scrambled packs only
    int scrambled = 0;
    int count = 0;
    int64_t length = 0;  // file length, every index field is checked against it
    std::string folder;  // the folder it serves: root + name, upper-cased
    // Upper-cased name -> first index position with that name, so an open
    // costs a hash look-up rather than a walk of a large index.
    std::unordered_map<std::string, int> lookup;

    ~CPackLib();
};

// Mount configuration, set before InitGameFileProperty.
extern std::string g_PackRoot;
extern std::string g_PackExt;
extern std::vector<std::string> g_PackNames;
extern std::vector<std::unique_ptr<CPackLib>> g_PackList;

// Mounts every pack named in g_PackNames (root + name + "." + ext). Each
// name is tried even when an earlier one failed; the result is 1 when all
// mounted, 0 when any did not (the caller logs it either way).
int InitGameFileProperty();
int UnmountPackLibraries();

// Reads and checks the index of an open pack. Every count, name, offset,
// size and the key block are validated against the file length; anything
// out of range makes the whole index unreadable (0). `why` receives the
// reason on failure when non-null.
int ReadPackIndex(FILE* stream, int* count, int* scrambled, std::vector<CPackEntry>* entries,
                  std::vector<uint32_t>* keys, std::string* why = nullptr);

// Index position of the first entry whose name equals `relName` ignoring
// case, or -1.
int FindPackEntryIndex(const CPackLib& pack, const std::string& relName);

// Reads `size` bytes from the current stream position into `out`,
// descrambling whole words when `scrambled` and size >= 4. 1 or 0.
int ReadPackEntry(FILE* stream, int size, std::vector<uint8_t>* out, uint32_t key, int scrambled);

void DescrambleIndexEntry(uint8_t* entry136, uint32_t key);
void DescrambleEntryData(uint8_t* data, size_t size, uint32_t key);

class CPackFile {
public:
    CPackFile() = default;
    virtual ~CPackFile();
    CPackFile(const CPackFile&) = delete;
    CPackFile& operator=(const CPackFile&) = delete;

    // Entry size (>= 0) when served from a pack, -1 for a plain file on
    // disk, -2 when nothing opened. Modes that write ('w', 'a', '+') always
    // open on disk, packs being read-only. A 't' in the mode makes writes
    // turn LF into CR LF.
    int Open(const char* path, const char* mode);
    // fread semantics for a disk file; for a pack entry all or nothing
    // (count or 0). 0 when nothing is open.
    int Read(void* buffer, int size, int count);
    // Disk files only (a pack entry cannot be written): count or less.
    int Write(const void* buffer, int size, int count);
    // origin 0 start, 1 current, 2 end. For a pack entry the target must
    // lie within the entry, its end included. 0 on success, -1 otherwise.
    int Seek(long offset, int origin);
    int IsEof();
    int GetLength();
    int Close();
    void Reset();
    // 1 when buffered writes reached the file.
    int Flush();
    // The next byte (0-255), or -1 at the end or when nothing is open. The
    // fast path of the byte-wise readers; same position as Read.
    int GetByte();

    bool IsOpen() const { return stream_ != nullptr || fromPack_; }
    bool IsPackEntry() const { return fromPack_; }

private:
    int OpenOnDisk(const char* path, const char* mode);

    int entryOffset_ = -1;
    int entrySize_ = -1;
    uint32_t entryKey_ = 0;
    int mode_ = 0;  // pack's scrambled flag of the open entry
    std::vector<uint8_t> memory_;  // the whole entry, descrambled
    int64_t pos_ = 0;              // position within the entry
    bool fromPack_ = false;
    FILE* stream_ = nullptr;  // disk files only; owned
    bool textWrite_ = false;
    bool writable_ = false;
};

extern CPackFile g_SharedFile;

enum TxtLineStop {
    kTxtLineOk = 0,
    kTxtLineEnd = 1,      // end of file, nothing pending
    kTxtLinePartial = 2,  // bytes after the last CR LF were dropped
    kTxtLineTooLong = 3,  // the line did not fit the buffer
};

// Reads one CR LF line from g_SharedFile. The stored text ends with
// CR, CR, LF and a NUL. 1 for a line; 0 at the end of the file (a partial
// last line is dropped) or when the stored bytes reach size - 2. `stop`
// tells which when non-null.
int ReadTxtLine(char* buffer, int size, int* stop = nullptr);
