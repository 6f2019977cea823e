#pragma once
// The free functions through which the game makes sound: the two volume
// settings, effects at a volume percentage, effects at a world point with
// distance fall-off and stereo pan relative to the listener, music tracks
// from the sound table, and the looping sounds placed in the current scene.
#include <functional>

#include "core/containers.h"
#include "core/geometry.h"

namespace plat { class Window; }

// Start-up and shutdown. InitSound opens the device, reads
// `directory` + "SoundMdl.sy" and loads the resident sounds; 0 on failure
// (the game goes on silently).
int InitSound(const char* directory, plat::Window* window);
void ReleaseSound();
void StopAllSounds();
void StopEffect(int id);

// Listener point in screen pixels (the view's focus).
void SetSoundListener(const CGamePoint& point);
CGamePoint GetSoundListener();

// World point -> screen pixel for positional sounds. The world layer
// installs the isometric conversion; until then points are taken as they
// are. An empty function restores that.
using SoundPointToScreen = std::function<CGamePoint(const CGamePoint& world)>;
void SetSoundPointToScreen(SoundPointToScreen convert);

int GetMusicVolume();
int GetEffectVolume();
// Stores 0..100 and hands the music player its attenuation.
void SetMusicVolume(int volume, int apply);
void SetEffectVolume(int volume);
// Attenuation in hundredths of a decibel for a music volume: 20 x v - 2000,
// -10000 for 0, clamped like SetMusicVolume.
int MusicAttenuation(int volume);

void PlayMusicSound(int id, int loop);
int GetCurrentMusicSound();
// Plays at effect volume x percent / 100; nothing below 1.
void PlayEffect(int id, int loop, int percent, int pan);
void PlayEffectAt(int id, const CGamePoint& world, int loop);
// The same for a point already on the screen.
void PlayEffectAtScreen(int id, const CGamePoint& screen, int loop);

// Positional parts, for callers that show or test them.
int SoundPercentForDistance(int distance);
// Pan for a sound at screen x heard at listener x: positive to the right.
int SoundPanFor(int soundX, int listenerX);

class CSoundEmitter : public CObjNode {
public:
    CSoundEmitter(int id, int x, int y) : m_Id(id), m_X(x), m_Y(y) {}
    int32_t m_Id;
    int32_t m_X;  // world position
    int32_t m_Y;
};

// Looping sounds placed in the current scene.
class CSoundEmitters : public CObjList {
public:
    ~CSoundEmitters() override { RemoveAll(); }
    void Add(int id, int x, int y);
    // Stops every emitter's sound, then plays each again, looping, at its
    // position; where emitters share a sound the nearest sets its volume.
    void Restart();
};

extern CSoundEmitters g_SoundEmitters;
