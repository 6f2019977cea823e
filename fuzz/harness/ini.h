#pragma once
// Key=value files: read the keys the way a settings file is read (in file
// order, as text, integers, floats and shorts, into small and null
// buffers), then write what was read back out, plain or scrambled like the
// source, and read it again: every value must come back unchanged.
#include <cstring>
#include <string>
#include <vector>

#include "core/ini_file.h"
#include "env.h"

namespace fuzzharness {

// The keys the seeds use, in their file order.
inline const std::vector<std::string>& IniKeys() {
    static const std::vector<std::string> keys = {"Version", "num", "name", "x", "y", "speed", "value"};
    return keys;
}

inline int RunIni(const uint8_t* data, size_t size) {
    fuzzenv::ResetProcessState();
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    fuzzenv::PlacedFiles files("cfg", {{"Setting.ini", bytes}}, fuzzenv::PlaceFor(data, size));
    if (!files.Ready()) return -1;
    const std::string path = files.Path();
    IsScrambledFile(path.c_str());

    struct Value {
        std::string key;
        std::string text;
    };
    std::vector<Value> values;
    int scrambled = 0;
    {
        CIniFile ini;
        if (!ini.OpenFileRead(path.c_str())) return 0;
        scrambled = ini.IsScrambled();
        char buf[1024];
        for (const std::string& key : IniKeys())
            if (ini.ReadLine(key.c_str(), buf, sizeof buf)) values.push_back({key, buf});
    }
    {
        CIniFile ini;
        if (!ini.OpenFileRead(path.c_str())) fuzzenv::Fail("a file that opened once does not open again");
        int i = 0;
        float f = 0;
        uint16_t s = 0;
        char tiny[4];
        for (size_t k = 0; k < IniKeys().size(); ++k) {
            const char* key = IniKeys()[k].c_str();
            switch (k % 5) {
                case 0: ini.ReadInt(key, &i); break;
                case 1: ini.ReadFloat(key, &f); break;
                case 2: ini.ReadShort(key, &s); break;
                case 3: ini.ReadLine(key, tiny, sizeof tiny); break;
                default: ini.ReadLine(key, nullptr, 0); break;
            }
        }
    }

    // Write back and read again.
    const std::string outPath = fuzzenv::ProgramHome().win + "cfg_out.ini";
    const char* out = outPath.c_str();
    {
        CIniFile ini;
        if (!ini.OpenFileWrite(out, scrambled, 1)) fuzzenv::Fail("cannot write the copy");
        for (const Value& v : values) ini.WriteString(v.key.c_str(), v.text.c_str());
        if (!ini.Close()) fuzzenv::Fail("cannot put the copy in place");
    }
    {
        CIniFile ini;
        if (!ini.OpenFileRead(out)) fuzzenv::Fail("the copy does not open");
        char buf[1024];
        for (const Value& v : values) {
            if (!ini.ReadLine(v.key.c_str(), buf, sizeof buf)) fuzzenv::Fail("a written key is not found again");
            // A value ending in CR loses it when a scrambled file (LF line
            // ends) is read back; the game never writes such values.
            const bool endsInCr = !v.text.empty() && v.text.back() == '\r';
            if (!(scrambled && endsInCr) && v.text != buf) fuzzenv::Fail("a written value reads back changed");
        }
    }
    fuzzenv::RemoveFile(fuzzenv::ProgramHome().native + "cfg_out.ini");
    return 1;
}

} // namespace fuzzharness
