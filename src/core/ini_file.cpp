#include "core/ini_file.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "core/pack_file.h"
#include "platform/debug.h"
#include "platform/fs.h"
#include "platform/text.h"

void ScrambleByte(uint8_t* byte) {
    if (byte) *byte ^= kIniScrambleKey;
}

void ScrambleBuffer(uint8_t* bytes, int length) {
    if (!bytes) return;
    for (int i = 0; i < length; ++i) bytes[i] ^= kIniScrambleKey;
}

int IsScrambledFile(const char* name) {
    CPackFile f;
    if (f.Open(name, "rb") == -2) return -1;
    const int c = f.GetByte();
    f.Close();
    if (c < 0) return -1;
    return c == kIniScrambleMarker ? 1 : 0;
}

int IniAtoi(const char* text) {
    if (!text) return 0;
    errno = 0;
    const long long v = std::strtoll(text, nullptr, 10);
    if (v > INT_MAX) return INT_MAX;
    if (v < INT_MIN) return INT_MIN;
    return int(v);
}

CIniFile::CIniFile() : file_(std::make_unique<CPackFile>()) {}

CIniFile::~CIniFile() { Close(); }

int CIniFile::OpenFileRead(const char* name, int /*scrambled*/) {
    Close();
    if (!name) name = "";
    const int form = IsScrambledFile(name);
    if (file_->Open(name, form == 0 ? "rt" : "rb") == -2) {
        plat::DebugPrintf("CIniFile::OpenFileRead() Error (0) : Could not open file for read : <%s>\n", name);
        return 0;
    }
    scrambled_ = form == 1 ? 1 : 0;
    if (scrambled_) file_->GetByte();  // the marker
    state_ = 1;
    return 1;
}

int CIniFile::OpenFileWrite(const char* name, int scrambled, int atomic) {
    Close();
    if (!name) name = "";
    const std::string target = atomic ? std::string(name) + ".tmp" : std::string(name);
    if (file_->Open(target.c_str(), scrambled ? "wb" : "wt") == -2) {
        plat::DebugPrintf("CIniFile::OpenFileWrite() Error (0) : Could not open file for write : <%s>\n", name);
        return 0;
    }
    state_ = 0;
    scrambled_ = scrambled ? 1 : 0;
    writeFailed_ = false;
    if (atomic) atomicTarget_ = name;
    if (scrambled_) {
        const uint8_t marker = kIniScrambleMarker;
        if (file_->Write(&marker, 1, 1) != 1) writeFailed_ = true;
    }
    return 1;
}

int CIniFile::Close() {
    int ok = 1;
    if (!atomicTarget_.empty()) {
        const std::string tmp = atomicTarget_ + ".tmp";
        const bool flushed = file_->Flush() == 1;
        file_->Close();
        if (writeFailed_ || !flushed || !plat::RenameFile(tmp, atomicTarget_)) {
            plat::DebugPrintf("CIniFile::Close() Error (0) : Could not replace file : <%s>\n",
                              atomicTarget_.c_str());
            plat::DeleteFile(tmp);
            ok = 0;
        }
        atomicTarget_.clear();
    }
    file_->Close();
    state_ = -1;
    scrambled_ = 0;
    writeFailed_ = false;
    return ok;
}

int CIniFile::ReadLine(const char* key, char* buffer, int size) {
    if (!key) key = "";
    auto next = [&]() {
        int c = state_ == 1 ? file_->GetByte() : -1;
        if (c >= 0 && scrambled_) c ^= kIniScrambleKey;
        return c;
    };

    // Name phase: a candidate name is the bytes since the last LF or '='.
    // On the stack: a scene's object list reads thousands of keys.
    char name[kIniNameMax];
    size_t len = 0;
    for (;;) {
        const int c = next();
        if (c < 0) {
            plat::DebugPrintf("CIniFile::ReadLine() Error(0) : Reach the end of the file in reading named <%s>\n",
                              key);
            return 0;
        }
        if (c == '=') {
            if (plat::EqualsNoCase(std::string_view(name, len), key)) break;
            len = 0;
        } else if (c == '\n') {
            len = 0;
        } else if (len < sizeof name) {
            name[len++] = char(c);
        }
    }

    // Value phase: up to LF, a 0xFF byte or the end of the file.
    int n = 0;
    for (;;) {
        const int c = next();
        if (c < 0 || c == '\n' || c == 0xFF) break;
        if (buffer && n < size - 1) buffer[n++] = char(c);
    }
    if (buffer && size > 0) {
        buffer[n] = 0;
        if (n > 0 && buffer[n - 1] == '\r') buffer[n - 1] = 0;
    }
    return 1;
}

int CIniFile::ReadInt(const char* key, int* out) {
    char buf[1024];
    if (!ReadLine(key, buf, sizeof buf)) return 0;
    if (out) *out = IniAtoi(buf);
    return 1;
}

int CIniFile::ReadFloat(const char* key, float* out) {
    char buf[1024];
    if (!ReadLine(key, buf, sizeof buf)) return 0;
    if (out) *out = float(std::atof(buf));
    return 1;
}

int CIniFile::ReadShort(const char* key, uint16_t* out) {
    char buf[1024];
    if (!ReadLine(key, buf, sizeof buf)) return 0;
    if (out) *out = uint16_t(uint32_t(IniAtoi(buf)) & 0xFFFFu);
    return 1;
}

int CIniFile::WriteLine(const char* text) {
    if (state_ != 0 || !text) return 0;
    const size_t len = std::strlen(text);
    if (len == 0) return 1;
    int r;
    if (scrambled_) {
        std::string copy(text, len);
        ScrambleBuffer(reinterpret_cast<uint8_t*>(copy.data()), int(len));
        r = file_->Write(copy.data(), int(len), 1);
    } else {
        r = file_->Write(text, int(len), 1);
    }
    if (r != 1) writeFailed_ = true;
    return r;
}

int CIniFile::WriteInt(const char* key, int value) {
    std::string line = key ? key : "";
    line += '=';
    line += std::to_string(value);
    line += '\n';
    return WriteLine(line.c_str());
}

int CIniFile::WriteString(const char* key, const char* text) {
    std::string line = key ? key : "";
    line += '=';
    line += text ? text : "";
    line += '\n';
    return WriteLine(line.c_str());
}
