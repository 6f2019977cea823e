#pragma once
// Sequential key=value files. No sections and no index: every request scans
// forward from where the previous one stopped, so keys must be requested in
// file order. A file may be scrambled: marker byte 0x80, then every byte of
// the plain form XORed with kIniScrambleKey.
#include <cstdint>
#include <memory>
#include <string>

class CPackFile;

constexpr uint8_t kIniScrambleMarker = 0x80;
// Shared by reader and writer (tools/datagen/ini_writer.h carries the same
// value).
constexpr uint8_t kIniScrambleKey = 0xA5;

constexpr int kIniNameMax = 1024;

class CIniFile {
public:
    CIniFile();
    ~CIniFile();
    CIniFile(const CIniFile&) = delete;
    CIniFile& operator=(const CIniFile&) = delete;

    // The file's own marker byte decides the form; the second argument is
    // accepted for callers that pass one and is not used.
    int OpenFileRead(const char* name, int scrambled = 0);
    // Plain files are written in text mode (LF goes out as CR LF). With
    // `atomic` the bytes go to "<name>.tmp", renamed over `name` by Close,
    // so a crash mid-write never destroys the old file.
    int OpenFileWrite(const char* name, int scrambled = 0, int atomic = 0);
    // 1, or 0 when an atomic write could not be put in place (the old file
    // is then untouched).
    int Close();

    // 1 with the value copied (at most size - 1 bytes, NUL-terminated), or
    // 0 at the end of the file.
    int ReadLine(const char* key, char* buffer, int size);
    int ReadInt(const char* key, int* out);
    int ReadFloat(const char* key, float* out);
    int ReadShort(const char* key, uint16_t* out);

    // Writes the text unchanged; in scrambled mode a scrambled copy (the
    // caller's text is never touched). The count of written items.
    int WriteLine(const char* text);
    int WriteInt(const char* key, int value);
    int WriteString(const char* key, const char* text);

    int IsScrambled() const { return scrambled_; }
    int GetState() const { return state_; }

private:
    std::unique_ptr<CPackFile> file_;
    int32_t state_ = -1;  // -1 closed, 1 reading, 0 writing
    int32_t scrambled_ = 0;
    std::string atomicTarget_;  // set while an atomic write is open
    bool writeFailed_ = false;
};

void ScrambleByte(uint8_t* byte);
void ScrambleBuffer(uint8_t* bytes, int length);
// 1 when the first byte is the marker, 0 for another byte, -1 when the file
// cannot be opened or is empty.
int IsScrambledFile(const char* name);

// atoi with saturation instead of overflow.
int IniAtoi(const char* text);
