#pragma once
// The sound effects manager: the sound table "SoundMdl.sy" lists every sound
// by id with its files, how many copies may sound at once and when to load
// them; playing picks a buffer of the sound that is not busy.
#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <vector>

#include "core/containers.h"
#include "sound/sound_device.h"

namespace plat { class Window; }

constexpr const char* kSoundTableName = "SoundMdl.sy";
constexpr uint32_t kSoundBufferFlags = plat::DSBCAPS_CTRLPAN | plat::DSBCAPS_CTRLVOLUME;  // 0xC0

// Load modes of the table's column 3.
enum : int { kSoundLoadResident = 0, kSoundLoadOnPlay = 1, kSoundLoadWithModel = 2 };

struct CSoundRecord {
    int32_t id = 0;
    int32_t count = 0;     // buffers: the non-empty '*' items of the names
    int32_t volume = 100;  // last applied to the current buffer
    int32_t pan = 0;
    int32_t loadMode = 0;
    int32_t loaded = 0;
    int32_t current = -1;  // buffer last chosen, -1 when none was free
    std::vector<std::unique_ptr<CSoundBuffer>> buffers;
    std::string names;   // column 2, empty for an empty cell
    std::string models;  // column 4
};

class CSoundMng {
public:
    CSoundMng() = default;
    virtual ~CSoundMng();
    CSoundMng(const CSoundMng&) = delete;
    CSoundMng& operator=(const CSoundMng&) = delete;

    // volume 0..100 (clamped), pan -10000..10000. Always 1 except when a
    // needed load fails.
    virtual int Play(int id, int loop, int volume, int pan);
    virtual int Stop(int id);
    virtual int StopAll();

    // Opens the device (2 channels, 22050 Hz, 16 bits) and reads the table
    // `directory` + "SoundMdl.sy". 0 without a device or a table.
    int Init(plat::Window* window, const char* directory);
    int LoadOneSound(int id);
    int LoadResident();
    // The first call for a model only remembers it; later calls load the
    // load-mode-2 sounds listing that model.
    int LoadModelSounds(int modelId);
    int SetVolumeAll(int id, int volume);
    int Unload(int id);
    // all: every sound; otherwise the sounds that load on demand (modes 1
    // and 2), which reload at their next play.
    int UnloadSounds(int all);
    int Release();

    int IsInitialised() const { return m_Init; }
    CSoundRecord* FindRecord(int id) const;
    int GetRecordCount() const { return static_cast<int>(m_Records.size()); }
    CDSoundDevice& GetDevice() { return m_Device; }
    const std::string& GetDirectory() const { return m_Dir; }

private:
    void ApplyVolume(CSoundRecord& rec, int volume);
    void ApplyPan(CSoundRecord& rec, int pan);

    CDSoundDevice m_Device;
    std::vector<std::unique_ptr<CSoundRecord>> m_Records;
    int32_t m_Init = 0;
    CPtrTable m_Index;  // slot = id; record count + 20 slots
    std::string m_Dir;
    CObjList m_Objects;
    std::list<int> m_Models;  // newest first
};

extern CSoundMng g_SoundMng;
