#pragma once
// Trigger scripts: one input is a scene script and a talk script (split at
// '\f'), "trigger\scene\Fuzz.txt" and "trigger\talk\Fuzz.txt". A manager
// loads the scene script in a small world with two roles (a hero, the
// default subject, and a monster whose picture name is "Fuzz"), ticks a few
// hundred times with its timer running, evaluates every condition of both
// files for the hero, the monster and no subject, runs the weighted
// actions and asks for the monster's talk id.
#include <memory>
#include <string>
#include <vector>

#include "bld_world.h"
#include "core/txt_table.h"
#include "env.h"
#include "script/trigger_mgr.h"
#include "split_files.h"
#include "world/objects/game_obj.h"
#include "world/objects/obj_desc.h"
#include "world/scene/scn_mng.h"

namespace fuzzharness {

inline std::vector<std::string> ColumnOf(const std::string& bytes, int col) {
    std::vector<std::string> out;
    CTxtFile file;
    const fuzzenv::Home& home = fuzzenv::ProgramHome();
    if (!fuzzenv::PutFile(home.native + "cells.txt", bytes)) return out;
    if (!file.Load((home.win + "cells.txt").c_str())) return out;
    for (int r = 0; r < file.GetRowCount(); ++r)
        if (const std::string* c = file.Cell(r, col)) out.push_back(*c);
    return out;
}

inline void RunTriggerScripts(const uint8_t* data, size_t size) {
    const std::vector<std::string> parts = SplitInputFiles(std::string(reinterpret_cast<const char*>(data), size), 2);
    UseProgramFolder();
    const fuzzenv::Home& home = fuzzenv::ProgramHome();
    if (!fuzzenv::PutFile(home.native + "mb/trigger/scene/Fuzz.txt", parts[0]) ||
        !fuzzenv::PutFile(home.native + "mb/trigger/talk/Fuzz.txt", parts[1]))
        return;
    ForgetTalkScripts();
    BldWorld world(nullptr);

    CGameObj hero;
    hero.m_Kind = 30;
    hero.Register(-1);
    hero.m_X = 400;
    hero.m_Y = 300;
    CGameObj monster;
    monster.m_Kind = 50;
    auto* desc = new CObjDesc11;
    desc->m_Type = 13;
    desc->SetText("Fuzz");
    monster.m_pDesc = desc;
    monster.Register(-1);
    monster.m_X = 420;
    monster.m_Y = 310;
    world.Mng().m_Roles.AddTail(&monster);

    CScene* keepScene = g_CurScene;
    CTriggerMgr mgr(nullptr);
    mgr.SetPlayerHandle(hero.m_Handle);
    mgr.LoadSceneTriggers("Fuzz");
    mgr.SetTimer(3);
    for (int t = 0; t < 300; ++t) {
        mgr.Tick();
        if (t == 100) mgr.RunSceneTransitionTriggers("Fuzz", 1);
        if (t == 150) mgr.RunTriggersBlack();
    }
    std::vector<std::string> conditions = ColumnOf(parts[0], 0);
    for (const std::string& c : ColumnOf(parts[1], 1)) conditions.push_back(c);
    for (const std::string& c : conditions) {
        mgr.EvalCondition(c.c_str(), hero.m_Handle);
        mgr.EvalCondition(c.c_str(), monster.m_Handle);
        mgr.EvalCondition(c.c_str(), 0xFFFFFFFFu);
    }
    for (int i = 0; i < 4; ++i) mgr.RunWeightedAction();
    // The talk lookup reads the current scene's manager: none here, so it
    // stops after the file; the manager's own evaluation covered the rows.
    FindTalkId(&monster);
    monster.Unlink();
    g_CurScene = keepScene;
    plat::ClearRecordedMessageBoxes();
}

} // namespace fuzzharness
