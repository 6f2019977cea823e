#include "sound/sound_mng.h"

#include <algorithm>
#include <cstdio>

#include "core/strings.h"
#include "core/txt_table.h"
#include "platform/debug.h"
#include "platform/msgbox.h"
#include "platform/random.h"

CSoundMng g_SoundMng;

namespace {

// The '*'-separated items of a cell with empty items left out ("a**b" is
// two items).
StringList NonEmptyItems(const std::string& text) {
    StringList items;
    SplitFields(text.c_str(), '*', items);
    items.erase(std::remove(items.begin(), items.end(), std::string()), items.end());
    return items;
}

// A cell's text, empty for an absent cell or the single space the table
// gives an empty one.
std::string CellText(const CTxtRow& row, int col) {
    const char* s = row.GetString(col);
    if (!s) return {};
    std::string t = s;
    return t == " " ? std::string() : t;
}

} // namespace

CSoundMng::~CSoundMng() {
    Release();
    m_Device.Close();
}

CSoundRecord* CSoundMng::FindRecord(int id) const { return m_Index.GetAs<CSoundRecord>(id); }

int CSoundMng::Init(plat::Window* window, const char* directory) {
    if (m_Init) Release();
    if (m_Device.Init(window, plat::DSSCL_PRIORITY, 2, 22050, 16) < 0) {
        m_Init = 0;
        return 0;
    }
    m_Dir = directory ? directory : "";
    m_Init = 1;
    CTxtTable table;
    const std::string path = m_Dir + kSoundTableName;
    // No key index: every row becomes a record whatever its id.
    if (!table.Load(path.c_str(), -1, 1, 1)) return 0;
    const int rows = table.GetRowCount();
    m_Index.SetSize(rows + 20);
    for (int i = 0; i < rows; ++i) {
        const CTxtRow* row = table.GetRowAt(i);
        if (!row) continue;
        auto rec = std::make_unique<CSoundRecord>();
        rec->id = row->GetInt(1);
        rec->loadMode = row->GetInt(3);
        rec->names = CellText(*row, 2);
        rec->models = CellText(*row, 4);
        rec->count = static_cast<int32_t>(NonEmptyItems(rec->names).size());
        rec->buffers.resize(static_cast<size_t>(rec->count));
        if (rec->id < 0 || rec->id >= m_Index.GetSize()) {
            plat::DebugPrintf("CSoundMng::Init: sound id %d outside the index (0..%d), row %d skipped\n", rec->id,
                              m_Index.GetSize() - 1, i + 2);
            continue;
        }
        if (m_Index.SetAt(rec->id, rec.get()) < 0) {
            plat::DebugPrintf("CSoundMng::Init: sound id %d listed twice, row %d skipped\n", rec->id, i + 2);
            continue;
        }
        m_Records.push_back(std::move(rec));
    }
    return 1;
}

int CSoundMng::LoadOneSound(int id) {
    CSoundRecord* rec = FindRecord(id);
    if (!rec) {
        char text[32];
        std::snprintf(text, sizeof text, "LoadOneSound%d", id);
        plat::MessageBox(text, "", plat::MB_OK);
        return 0;
    }
    rec->loaded = 1;
    if (rec->count < 1 || rec->buffers[0] || rec->names.empty()) return 1;
    const StringList items = NonEmptyItems(rec->names);
    for (int i = 0; i < rec->count && i < static_cast<int>(items.size()); ++i) {
        auto& slot = rec->buffers[static_cast<size_t>(i)];
        if (slot) continue;
        const std::string file = m_Dir + items[static_cast<size_t>(i)] + ".sy";
        const int32_t hr = m_Device.CreateSoundBuffer(&slot, file.c_str(), kSoundBufferFlags, 0, 1);
        if (hr < 0 || !slot) {
            slot.reset();
            plat::DebugPrintf("CSoundMng::LoadOneSound: %s not loaded (0x%08X)\n", file.c_str(),
                              static_cast<unsigned>(hr));
            continue;
        }
        slot->DropWaveFile();
    }
    return 1;
}

int CSoundMng::LoadResident() {
    if (!m_Init) return 0;
    for (auto& rec : m_Records) {
        if (rec->loadMode == kSoundLoadResident) LoadOneSound(rec->id);
    }
    return 1;
}

int CSoundMng::LoadModelSounds(int modelId) {
    if (std::find(m_Models.begin(), m_Models.end(), modelId) == m_Models.end()) {
        m_Models.push_front(modelId);
        return 1;
    }
    char text[16];
    std::snprintf(text, sizeof text, "%d", modelId);
    for (auto& rec : m_Records) {
        if (rec->loadMode != kSoundLoadWithModel) continue;
        StringList models;
        SplitFields(rec->models.c_str(), '*', models);
        if (std::find(models.begin(), models.end(), std::string(text)) != models.end()) LoadOneSound(rec->id);
    }
    return 1;
}

void CSoundMng::ApplyVolume(CSoundRecord& rec, int volume) {
    if (volume != -1) rec.volume = std::clamp(volume, 0, 100);
    if (rec.current < 0 || rec.current >= rec.count) return;
    CSoundBuffer* sb = rec.buffers[static_cast<size_t>(rec.current)].get();
    if (!sb) return;
    for (int i = 0; i < sb->GetCount(); ++i) sb->GetBuffer(i)->SetVolume(-(100 - rec.volume) * 100);
}

void CSoundMng::ApplyPan(CSoundRecord& rec, int pan) {
    rec.pan = pan;
    if (rec.current < 0 || rec.current >= rec.count) return;
    CSoundBuffer* sb = rec.buffers[static_cast<size_t>(rec.current)].get();
    if (!sb) return;
    for (int i = 0; i < sb->GetCount(); ++i) sb->GetBuffer(i)->SetPan(pan);
}

int CSoundMng::Play(int id, int loop, int volume, int pan) {
    CSoundRecord* rec = FindRecord(id);
    if (!rec || rec->count < 1) return 1;
    if (!rec->buffers[0] && !LoadOneSound(id)) return 0;
    auto isFree = [&](int k) {
        const CSoundBuffer* sb = rec->buffers[static_cast<size_t>(k)].get();
        return sb && !sb->IsPlaying();
    };
    int chosen = -1;
    const int k = rec->count > 1 ? plat::Rand() % rec->count : 0;
    if (isFree(k)) {
        chosen = k;
    } else {
        for (int i = 0; i < rec->count; ++i) {
            if (isFree(i)) {
                chosen = i;
                break;
            }
        }
    }
    rec->current = chosen;
    if (chosen >= 0) {
        CSoundBuffer* sb = rec->buffers[static_cast<size_t>(chosen)].get();
        sb->Reset();
        sb->Play(0, loop ? plat::DSBPLAY_LOOPING : 0);
        ApplyVolume(*rec, volume);
        ApplyPan(*rec, pan);
        return 1;
    }
    if (loop && rec->volume < volume) {
        // A looping sound already sounding on every buffer is made louder and
        // re-panned, on the first buffer that loaded.
        for (int i = 0; i < rec->count; ++i) {
            if (rec->buffers[static_cast<size_t>(i)]) {
                rec->current = i;
                ApplyVolume(*rec, volume);
                ApplyPan(*rec, pan);
                break;
            }
        }
    }
    return 1;
}

int CSoundMng::Stop(int id) {
    CSoundRecord* rec = FindRecord(id);
    if (!rec) return 0;
    for (auto& sb : rec->buffers) {
        if (sb && sb->IsPlaying()) sb->Stop();
    }
    return 1;
}

int CSoundMng::StopAll() {
    for (auto& rec : m_Records) Stop(rec->id);
    return 1;
}

int CSoundMng::SetVolumeAll(int id, int volume) {
    CSoundRecord* rec = FindRecord(id);
    if (!rec) return 0;
    for (int i = 0; i < rec->count; ++i) {
        if (!rec->buffers[static_cast<size_t>(i)]) continue;
        rec->current = i;
        ApplyVolume(*rec, volume);
    }
    return 1;
}

int CSoundMng::Unload(int id) {
    CSoundRecord* rec = FindRecord(id);
    if (!rec || rec->count < 1) return 1;
    Stop(id);
    for (auto& sb : rec->buffers) sb.reset();
    rec->current = -1;
    return 1;
}

int CSoundMng::UnloadSounds(int all) {
    if (!m_Init) return 0;
    for (auto& rec : m_Records) {
        if (all || rec->loadMode != kSoundLoadResident) Unload(rec->id);
    }
    return 1;
}

int CSoundMng::Release() {
    if (!m_Init) return 0;
    m_Index.RemoveAll();
    m_Records.clear();
    m_Objects.RemoveAll();
    m_Models.clear();
    m_Init = 0;
    return 1;
}
