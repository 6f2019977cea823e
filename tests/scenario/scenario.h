#pragma once
// The scenario runner: a small game on the fixture data (tools/datagen
// fixture_game.h), started through the game's real start-up sequence on
// the headless backend and a fake clock, with a new game in its host, then
// ticked frame step by frame step as the running game ticks it: the server
// step (calendar, commands, scene manager, each scene's tick), then the
// client pass (its scene's world made current, the second pass over its
// objects, its view placed over its role).
//
// A scenario checks state, the packets the client received and the number
// of random draws the run made; the packet log and the draw count hash to
// one value, so a run can be proven unchanged by later work. Draws are
// fixed by Seed or Script; a scripted draw past the list's end fails the
// test. Sounds are recorded, not played.
//
// Reset puts back every process-wide value the run touched (current scene
// and world, calendar and tick count, random generator, hook tables, game
// host and object, message lists, recorded message boxes, tables, the
// scratch folder), so scenarios run in any order with the same results.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "datagen/fixture_game.h"

class CScene;
class CGameObj;
class CRecordingClient;

namespace scenario {

// A sound the run asked for: kind "effect" (id, loop, percent, pan),
// "at" (id, world x, y, loop), "stop" (id) or "music" (id, loop).
struct SoundCall {
    std::string kind;
    int id = 0;
    int a = 0;
    int b = 0;
    int c = 0;
    bool operator==(const SoundCall&) const = default;
};

class CScenario {
public:
    CScenario();
    ~CScenario();
    CScenario(const CScenario&) = delete;
    CScenario& operator=(const CScenario&) = delete;

    // Writes the game into a fresh scratch folder, starts it and starts a
    // new game in the host (the first Tick builds "Start" and places the
    // hero). False, with a test failure, when any of it fails or start-up
    // raised a message box.
    bool Start(const datagen::FixtureGame& game = datagen::DefaultFixtureGame());
    // The same on the demo data set (tools/mkdemo's), without its music; the
    // new game's hero of that class (the title's first is 30).
    bool StartDemo(int classId = 30);
    // A copy of the program folder `folder` (a finished run's, its saves
    // with it), the game resumed from the save `saveName` as the game object
    // does when its save to load is set (g_GameMain.m_SaveName, read by
    // BeforeStrategy).
    bool StartSaved(const std::string& folder, const std::string& saveName);
    // The generator seeded, the script dropped, the draw count back to 0.
    void Seed(uint32_t seed);
    // The next draws are these values; the draw count back to 0.
    void Script(const std::vector<int>& draws);
    // n frame steps of the game host.
    void Tick(int n = 1);
    // The command packet 240 for a role of the client's scene (code, a, b,
    // c), handed to the scene's ReceiveMsg with that scene current, as the
    // client's update hands it over.
    void SendOrder(const CGameObj* role, int code, int32_t a, int32_t b = 0, int32_t c = 0);

    // The client's scene (null before the first Tick) and its hero.
    CScene* Scene() const;
    CGameObj* Hero() const;
    CRecordingClient* Client() const;
    const std::string& Folder() const { return m_Folder; }

    // Every packet the client received but text, in order, and the text
    // lines that came before each.
    std::vector<std::vector<uint8_t>> Packets() const;
    std::vector<std::string> DecodedPackets() const;
    uint64_t Draws() const;
    // FNV-1a over the packet log (text lines and bytes) and the draw count.
    uint64_t RunHash() const;
    const std::vector<SoundCall>& Sounds() const { return m_Sounds; }
    // Debugger-output lines of the run that start with the prefix.
    std::vector<std::string> DebugLines(const std::string& prefix) const;

    // Ends the run and restores everything (also done by the destructor).
    void Reset();

private:
    bool StartWith(const std::function<bool(const std::string& folder, std::string* error)>& write, int classId = -1,
                   const std::string& saveName = "");
    struct Saved;
    std::unique_ptr<Saved> m_pSaved;
    std::string m_Folder;
    std::string m_OldCwd;
    std::vector<SoundCall> m_Sounds;
};

// A test with a scenario run, reset at the end of each test.
class ScenarioTest : public ::testing::Test {
protected:
    void TearDown() override { run.Reset(); }
    CScenario run;
};

} // namespace scenario
