#include "core/pack_file.h"
#include "core/packet.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "platform/debug.h"
#include "platform/fs.h"
#include "platform/text.h"

std::string g_PackRoot;
std::string g_PackExt;
std::vector<std::string> g_PackNames;
std::vector<std::unique_ptr<CPackLib>> g_PackList;

CPackFile g_SharedFile;

namespace {

bool ReadAt(FILE* f, int64_t offset, void* out, size_t n) {
    if (fseeko(f, off_t(offset), SEEK_SET) != 0) return false;
    if (n == 0) return true;
    return fread(out, 1, n, f) == n;
}

// Pack folder (root + name, upper-cased) served by a mounted pack.
std::string PackFolder(const CPackLib& pack) {
    std::string folder = pack.path;
    std::string suffix = "." + g_PackExt;
    if (folder.size() >= suffix.size() &&
        plat::EqualsNoCase(std::string_view(folder).substr(folder.size() - suffix.size()), suffix)) {
        folder.resize(folder.size() - suffix.size());
    }
    return plat::UpperGbk(folder);
}

}  // namespace

CPackLib::~CPackLib() {
    if (stream) fclose(stream);
}

void DescrambleIndexEntry(uint8_t* entry, uint32_t key) {
    for (uint32_t j = 0; j < kPackEntrySize / 4; ++j) {
        uint32_t w = GetU32(entry + j * 4);
        PutU32(entry + j * 4, w - key - 9u * j * j * j);
    }
}

void DescrambleEntryData(uint8_t* data, size_t size, uint32_t key) {
    size_t words = size / 4;
    for (size_t i = 0; i < words; ++i) {
        uint32_t j = uint32_t(i);
        uint32_t w = GetU32(data + i * 4);
        PutU32(data + i * 4, w - key - 99u * j * j);
    }
}

int ReadPackIndex(FILE* stream, int* count, int* scrambled, std::vector<CPackEntry>* entries,
                  std::vector<uint32_t>* keys, std::string* why) {
    auto fail = [&](const char* reason) {
        if (why) *why = reason;
        if (entries) entries->clear();
        if (keys) keys->clear();
        return 0;
    };
    if (!stream || !count || !scrambled || !entries || !keys) return fail("no stream");
    const int64_t length = plat::StreamLength(stream);
    if (length < kPackHeaderSize) return fail("shorter than its header");

    uint8_t head[4];
    if (!ReadAt(stream, 0, head, 4)) return fail("header not readable");
    const uint32_t word = GetU32(head);
    const int64_t n = int64_t(word & ~kPackScrambledBit);
    const int isScrambled = (word & kPackScrambledBit) ? 1 : 0;
    if (n == 0) return fail("no entries");

    const int64_t indexEnd = kPackHeaderSize + n * kPackEntrySize;
    if (indexEnd > length) return fail("index runs past the end of the file");

    std::vector<uint32_t> k;
    if (isScrambled) {
        const int64_t keyOffset = length - (kPackTrailWords + n) * 4;
        if (keyOffset < indexEnd) return fail("key block overlaps the index or lies before the file");
        std::vector<uint8_t> kb(size_t(n) * 4);
        if (!ReadAt(stream, keyOffset, kb.data(), kb.size())) return fail("keys not readable");
        k.resize(size_t(n));
        for (int64_t i = 0; i < n; ++i) k[size_t(i)] = GetU32(kb.data() + i * 4);
    }

    // The index is read in chunks, so a large one never needs a second
    // copy of itself in memory.
    constexpr int64_t kChunk = 4096;
    std::unique_ptr<uint8_t[]> raw(new uint8_t[size_t(std::min(n, kChunk)) * kPackEntrySize]);
    std::vector<CPackEntry> out(static_cast<size_t>(n));
    if (fseeko(stream, kPackHeaderSize, SEEK_SET) != 0) return fail("index not readable");
    for (int64_t first = 0; first < n; first += kChunk) {
        const int64_t m = std::min(kChunk, n - first);
        if (fread(raw.get(), kPackEntrySize, size_t(m), stream) != size_t(m)) return fail("index not readable");
        for (int64_t c = 0; c < m; ++c) {
            const int64_t i = first + c;
            uint8_t* e = raw.get() + c * kPackEntrySize;
            if (isScrambled) DescrambleIndexEntry(e, k[size_t(i)]);
            const void* nul = std::memchr(e, 0, kPackNameSize);
            if (!nul) return fail("entry name without NUL");
            CPackEntry& pe = out[size_t(i)];
            pe.name.assign(reinterpret_cast<const char*>(e), static_cast<const uint8_t*>(nul) - e);
            pe.offset = GetU32(e + 128);
            pe.size = GetU32(e + 132);
            if (pe.size > uint32_t(INT_MAX) || pe.offset > uint32_t(INT_MAX))
                return fail("entry offset or size too large");
            if (int64_t(pe.offset) + int64_t(pe.size) > length) return fail("entry data beyond the end of the file");
        }
    }
    *entries = std::move(out);
    *keys = std::move(k);
    *count = int(n);
    *scrambled = isScrambled;
    return 1;
}

int FindPackEntryIndex(const CPackLib& pack, const std::string& relName) {
    if (relName.empty() || pack.count <= 0) return -1;
    auto it = pack.lookup.find(plat::UpperGbk(relName));
    return it == pack.lookup.end() ? -1 : it->second;
}

int ReadPackEntry(FILE* stream, int size, std::vector<uint8_t>* out, uint32_t key, int scrambled) {
    if (!stream || !out || size < 0) return 0;
    out->assign(size_t(size), 0);
    if (size > 0 && fread(out->data(), 1, size_t(size), stream) != size_t(size)) {
        out->clear();
        out->shrink_to_fit();
        return 0;
    }
    if (scrambled && size >= 4) DescrambleEntryData(out->data(), size_t(size), key);
    return 1;
}

int InitGameFileProperty() {
    if (g_PackNames.empty()) return 1;
    if (!g_PackRoot.empty() && g_PackRoot.back() != '\\') g_PackRoot += '\\';
    int result = 1;
    for (const std::string& name : g_PackNames) {
        auto pack = std::make_unique<CPackLib>();
        pack->path = g_PackRoot + name + "." + g_PackExt;
        pack->stream = plat::OpenFile(pack->path, "rb");
        if (!pack->stream) {
            result = 0;
            continue;
        }
        std::string why;
        if (!ReadPackIndex(pack->stream, &pack->count, &pack->scrambled, &pack->entries, &pack->keys, &why)) {
            plat::DebugPrintf("InitGameFileProperty() : pack <%s> cannot be read : %s\n", pack->path.c_str(),
                              why.c_str());
            result = 0;
            continue;
        }
        pack->length = plat::StreamLength(pack->stream);
        pack->folder = PackFolder(*pack);
        pack->lookup.reserve(pack->entries.size());
        for (size_t i = 0; i < pack->entries.size(); ++i)
            pack->lookup.emplace(plat::UpperGbk(pack->entries[i].name), int(i));  // first name wins
        g_PackList.push_back(std::move(pack));
    }
    return result;
}

int UnmountPackLibraries() {
    g_PackList.clear();
    return 1;
}

// ---------------------------------------------------------------------------

CPackFile::~CPackFile() { Reset(); }

void CPackFile::Reset() {
    if (stream_) fclose(stream_);
    stream_ = nullptr;
    std::vector<uint8_t>().swap(memory_);
    entryOffset_ = -1;
    entrySize_ = -1;
    entryKey_ = 0;
    mode_ = 0;
    pos_ = 0;
    fromPack_ = false;
    textWrite_ = false;
    writable_ = false;
}

int CPackFile::Close() {
    Reset();
    return 0;
}

int CPackFile::OpenOnDisk(const char* path, const char* mode) {
    FILE* f = plat::OpenFile(path, mode);
    if (!f) return -2;
    if (plat::StreamLength(f) < 0) {  // a folder, or nothing that can be read
        fclose(f);
        return -2;
    }
    stream_ = f;
    const bool writes = std::strpbrk(mode, "wa+") != nullptr;
    writable_ = writes;
    textWrite_ = writes && std::strchr(mode, 't') != nullptr;
    return -1;
}

int CPackFile::Open(const char* path, const char* mode) {
    Reset();
    if (!path || !mode) return -2;
    // Packs are read-only: a request to write always goes to the disk.
    if (g_PackList.empty() || std::strpbrk(mode, "wa+")) return OpenOnDisk(path, mode);

    const std::string upper = plat::UpperGbk(path);
    CPackLib* pack = nullptr;
    for (auto& p : g_PackList) {
        const std::string& folder = p->folder;
        if (!folder.empty() && !upper.empty() && upper[0] == folder[0] && upper.find(folder) != std::string::npos) {
            pack = p.get();
            break;
        }
    }
    if (!pack) return OpenOnDisk(path, mode);

    std::string rel = upper;
    const std::string cut = pack->folder + "\\";
    for (size_t at = rel.find(cut); at != std::string::npos; at = rel.find(cut, at)) rel.erase(at, cut.size());

    const int idx = FindPackEntryIndex(*pack, rel);
    if (idx < 0) return OpenOnDisk(path, mode);

    const CPackEntry& e = pack->entries[size_t(idx)];
    const uint32_t key = pack->scrambled ? pack->keys[size_t(idx)] : 0;
    if (fseeko(pack->stream, off_t(e.offset), SEEK_SET) != 0 ||
        !ReadPackEntry(pack->stream, int(e.size), &memory_, key, pack->scrambled)) {
        plat::DebugPrintf("CPackFile::Open() : entry <%s> of <%s> cannot be read, trying the disk\n",
                          e.name.c_str(), pack->path.c_str());
        Reset();
        return OpenOnDisk(path, mode);
    }
    fromPack_ = true;
    entryOffset_ = int(e.offset);
    entrySize_ = int(e.size);
    entryKey_ = key;
    mode_ = pack->scrambled;
    pos_ = 0;
    return entrySize_;
}

int CPackFile::Read(void* buffer, int size, int count) {
    if (size <= 0 || count <= 0 || !buffer) return 0;
    if (fromPack_) {
        const int64_t n = int64_t(size) * int64_t(count);
        if (pos_ + n > entrySize_) return 0;
        std::memcpy(buffer, memory_.data() + pos_, size_t(n));
        pos_ += n;
        return count;
    }
    if (!stream_) return 0;
    return int(fread(buffer, size_t(size), size_t(count), stream_));
}

int CPackFile::GetByte() {
    if (fromPack_) {
        if (pos_ >= entrySize_) return -1;
        return memory_[size_t(pos_++)];
    }
    if (!stream_) return -1;
    const int c = getc_unlocked(stream_);
    return c == EOF ? -1 : c;
}

int CPackFile::Write(const void* buffer, int size, int count) {
    if (fromPack_ || !stream_ || !buffer || size <= 0 || count <= 0) return 0;
    if (!textWrite_) return int(fwrite(buffer, size_t(size), size_t(count), stream_));
    // Text mode: every LF goes out as CR LF.
    const char* p = static_cast<const char*>(buffer);
    const size_t total = size_t(size) * size_t(count);
    size_t start = 0;
    for (size_t i = 0; i < total; ++i) {
        if (p[i] != '\n') continue;
        if (i > start && fwrite(p + start, 1, i - start, stream_) != i - start) return 0;
        if (fwrite("\r\n", 1, 2, stream_) != 2) return 0;
        start = i + 1;
    }
    if (total > start && fwrite(p + start, 1, total - start, stream_) != total - start) return 0;
    return count;
}

int CPackFile::Seek(long offset, int origin) {
    if (fromPack_) {
        int64_t base;
        switch (origin) {
            case 0: base = 0; break;
            case 1: base = pos_; break;
            case 2: base = entrySize_; break;
            default: return -1;
        }
        const int64_t target = base + offset;
        if (target < 0 || target > entrySize_) return -1;
        pos_ = target;
        return 0;
    }
    if (!stream_) return -1;
    const int whence = origin == 0 ? SEEK_SET : origin == 1 ? SEEK_CUR : origin == 2 ? SEEK_END : -1;
    if (whence < 0) return -1;
    return fseek(stream_, offset, whence) == 0 ? 0 : -1;
}

int CPackFile::IsEof() {
    if (fromPack_) return pos_ >= entrySize_ ? 1 : 0;
    if (!stream_) return 1;
    return feof(stream_) ? 1 : 0;
}

int CPackFile::GetLength() {
    if (fromPack_) return entrySize_;
    if (!stream_) return -1;
    int64_t len;
    if (writable_) {
        // Buffered writes are not on disk yet: ask the stream.
        const off_t cur = ftello(stream_);
        if (cur < 0 || fseeko(stream_, 0, SEEK_END) != 0) return -1;
        len = int64_t(ftello(stream_));
        fseeko(stream_, cur, SEEK_SET);
    } else {
        len = plat::StreamLength(stream_);
    }
    return (len < 0 || len > INT_MAX) ? -1 : int(len);
}

int CPackFile::Flush() {
    if (fromPack_ || !stream_) return 0;
    return (fflush(stream_) == 0 && !ferror(stream_)) ? 1 : 0;
}

int ReadTxtLine(char* buffer, int size, int* stop) {
    auto done = [&](int reason) {
        if (stop) *stop = reason;
        return reason == kTxtLineOk ? 1 : 0;
    };
    if (!buffer || size < 4) {
        if (buffer && size > 0) buffer[0] = 0;
        return done(kTxtLineTooLong);
    }
    int n = 0;
    for (;;) {
        const int c = g_SharedFile.GetByte();
        if (c < 0) {
            buffer[n] = 0;
            return done(n ? kTxtLinePartial : kTxtLineEnd);
        }
        buffer[n++] = char(c);
        if (c == '\n' && n >= 2 && buffer[n - 2] == '\r') {
            buffer[n - 1] = '\r';
            buffer[n++] = '\n';
            buffer[n] = 0;
            return done(kTxtLineOk);
        }
        if (n >= size - 2) {
            buffer[n] = 0;
            return done(kTxtLineTooLong);
        }
    }
}
