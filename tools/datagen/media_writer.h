#pragma once
// Music and movie files made at run time with FFmpeg's encoders: a tone or a
// short melody as MP3 (MP2 when no MP3 encoder is built in; players probe
// the content, so the ".mp3" name still works), and a short MPEG-1 clip
// with optional MP2 sound in an MPEG program stream.
#include <string>
#include <vector>

namespace datagen {

struct ToneSpec {
    double seconds = 1.0;
    int frequency = 440;  // Hz
    int sampleRate = 44100;
    int channels = 2;
    double amplitude = 0.5;  // of full scale
};

struct Note {
    int frequency;  // Hz, 0 for a rest
    int ms;
};

struct ClipSpec {
    int width = 160;
    int height = 120;
    int fps = 25;
    double seconds = 1.0;
    bool withAudio = true;
};

// Native paths; folders are created. False (with a line on stderr) when an
// encoder or the file fails.
bool WriteToneMusic(const std::string& nativePath, const ToneSpec& tone);
bool WriteMelody(const std::string& nativePath, const std::vector<Note>& notes, int sampleRate = 44100);
bool WriteTestClip(const std::string& nativePath, const ClipSpec& clip);

// The title tune under the name the title screen plays: "yy/25_HERO.mp3"
// in the program folder.
bool WriteDemoMusic(const std::string& nativeProgramFolder);

} // namespace datagen
