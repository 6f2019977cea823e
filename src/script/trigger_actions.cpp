// The action interpreter: a text of commands joined by '*', each a command
// word and its blank-separated arguments, run left to right for a subject.
#include "script/trigger_actions.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <unordered_map>

#include "core/directories.h"
#include "core/txt_table.h"
#include "gfx/effect3d.h"
#include "platform/debug.h"
#include "platform/msgbox.h"
#include "platform/text.h"
#include "platform/window.h"
#include "roles/items/item_rules.h"
#include "roles/items/merchant_mng.h"
#include "roles/record/role_data.h"
#include "roles/role.h"
#include "roles/role_hooks.h"
#include "script/trigger_mgr.h"
#include "sound/sound_play.h"
#include "world/buildings/bld.h"
#include "world/objects/handle_table.h"
#include "world/objects/obj_mng.h"
#include "world/scene/scene_hooks.h"
#include "world/scene/scn_mng.h"
#include "world/scene/world.h"
#include "world/scene/world_globals.h"
#include "world/scene/world_sound.h"
#include "world/things/anim_map_obj.h"

namespace {

// Actions start buildings' scripts, weighted actions and transition runs,
// which run actions again: a script that names itself would never return.
constexpr int kMaxNesting = 16;
int g_Nesting = 0;

using Tokens = std::vector<std::string>;
using Command = void (*)(const CActionCtx&, const Tokens&);

bool Has(const Tokens& tok, size_t i) { return tok.size() > i; }
int32_t Arg(const Tokens& tok, size_t i) { return ScriptInt(tok, i); }
const char* Name(const Tokens& tok, size_t i) { return Has(tok, i) ? tok[i].c_str() : nullptr; }

const char* UiText(int32_t id) {
    const char* t = g_TextTable.GetCell(id, 1);
    return t ? t : "";
}

CRole* RoleByName(const char* name) {
    if (!name || !g_CurObjMng) return nullptr;
    return dynamic_cast<CRole*>(g_CurObjMng->GetRoleByName(name));
}

// The pool objects of that name, or of that go target, collected before
// any of them acts: an object's state change may run scripts that walk the
// same pool.
std::vector<ObjHandle> ObjectsNamed(const char* name, bool byGoTarget) {
    std::vector<ObjHandle> out;
    if (!name || !g_CurObjMng) return out;
    CObjMng* mng = g_CurObjMng;
    for (CGameObj* o = byGoTarget ? mng->FindFirstByGoTarget(name) : mng->FindFirstObjByName(name); o;
         o = byGoTarget ? mng->FindNextByGoTarget() : mng->FindNextObjByName())
        out.push_back(o->m_Handle);
    return out;
}

template <class F>
void ForBuildings(const char* name, bool byGoTarget, F f) {
    for (ObjHandle h : ObjectsNamed(name, byGoTarget))
        if (auto* bld = dynamic_cast<CBld*>(ResolveHandle(h))) f(bld);
}

void RefreshMarks() {
    if (g_CurObjMng) g_CurObjMng->RefreshRoleMarks();
}

void NoticeText(const std::string& text) { RoleNotice(text.c_str()); }

// The subject passes the role check: its kind is a role's.
bool SubjectIsRole(const CActionCtx& c) { return c.subject && c.subject->IsRole(); }

// ---------------------------------------------------------------- commands

void CmdTrans(const CActionCtx&, const Tokens& tok) {
    CRole* role = RoleByName(Name(tok, 1));
    if (role) role->PlaceNear(Arg(tok, 2), Arg(tok, 3), 0);
}

void CmdTransToPlayer(const CActionCtx& c, const Tokens& tok) {
    CRole* role = RoleByName(Name(tok, 1));
    if (!role) return;
    const CGamePoint cell = ObjectCell(c.subject);
    role->PlaceNear(cell.x, cell.y, Arg(tok, 2));
}

void CmdRemItem(const CActionCtx&, const Tokens& tok) {
    const char* name = Name(tok, 1);
    if (!name || !g_CurObjMng) return;
    // As many turns as roles of that name now: a death that puts a role of
    // the same name in its place must not keep the loop going.
    int turns = 0;
    for (CObjNode* n = g_CurObjMng->m_Roles.Head(); n; n = n->Next()) {
        auto* obj = static_cast<CGameObj*>(n);
        auto* role = dynamic_cast<CRole*>(obj);
        const char* pic = obj->GetPictureName();
        if (role && !obj->m_Removed && !role->m_Dead && pic && plat::EqualsNoCase(pic, name)) ++turns;
    }
    for (int i = 0; i < turns; ++i) {
        CRole* role = RoleByName(name);
        if (!role) break;
        const size_t arg = 2 + size_t(i);
        role->Die(Has(tok, arg) ? Arg(tok, arg) : 1, 0);
    }
}

void CmdSetFlag(const CActionCtx& c, const Tokens& tok) {
    if (c.record && Has(tok, 1)) c.record->SetFlag(tok[1].c_str(), Arg(tok, 2));
    RefreshMarks();
}

void CmdAddExp(const CActionCtx& c, const Tokens& tok) {
    if (!c.role) return;
    const int32_t n = Arg(tok, 1);
    c.role->AddExp(n);
    NoticeText(std::string(UiText(124)) + " " + std::to_string(n));
}

void CmdAcquire(const CActionCtx& c, const Tokens& tok) {
    if (!c.record) return;
    const int32_t id = Arg(tok, 1);
    if (!c.record->AddItem(id, Arg(tok, 2), 0, nullptr, -1, -1)) return;
    const CTxtRow* row = g_PropMdlTable.GetRow(id);
    const char* name = row ? row->GetString(0) : nullptr;
    NoticeText(std::string(UiText(123)) + " " + (name ? name : ""));
}

void CmdMiss(const CActionCtx& c, const Tokens& tok) {
    if (c.record) {
        const int index = c.record->FindItemById(Arg(tok, 1));
        // A count below 1 would add pieces: it takes them all, as a missing one.
        const int32_t n = Has(tok, 2) && Arg(tok, 2) > 0 ? Arg(tok, 2) : -1;
        if (index >= 0) c.record->RemoveItem(index, n);
    }
    RefreshMarks();
}

void CmdOutText(const CActionCtx&, const Tokens& tok) { RoleNotice(UiText(Arg(tok, 1))); }

void CmdGo(const CActionCtx& c, const Tokens& tok) {
    if (!g_LiveScnMng) return;
    CGameObj* player = GetRoleByHandle(c.mgr->m_DefaultSubject);
    if (c.mgr->m_DefaultSubject == 0xFFFFFFFFu || !player) return;
    g_LiveScnMng->EnterScene(Has(tok, 1) ? tok[1].c_str() : "", Has(tok, 2) ? Arg(tok, 2) : 0, -1, c.mgr->m_pScene,
                             player->m_Handle, 0);
}

void CmdTransGo(const CActionCtx& c, const Tokens& tok) {
    if (!g_LiveScnMng) return;
    if (g_WorldSound.playEffect) g_WorldSound.playEffect(112, 0, 100, 0);
    g_LiveScnMng->EnterScene(Has(tok, 1) ? tok[1].c_str() : "", 0, -1, c.mgr->m_pScene, c.subject->m_Handle,
                             uint32_t(Has(tok, 2) ? Arg(tok, 2) : 0));
}

void CmdTalk(const CActionCtx& c, const Tokens& tok) {
    const char* name = Name(tok, 1);
    CRole* role = RoleByName(name);
    if (role && SubjectIsRole(c)) {
        if (g_RoleHooks.talkWithRole) g_RoleHooks.talkWithRole(c.subject, role);
    } else {
        if (g_RoleHooks.setTalkClickBlock) g_RoleHooks.setTalkClickBlock(20);
        if (g_RoleHooks.loadTalkScript) g_RoleHooks.loadTalkScript(name ? name : "");
    }
    RefreshMarks();
}

// SF (state, on, [countdown]) on the subject; SetFlagTable (role, state, on,
// [countdown]) on a named role: the second value switches the state, stored
// as 0 or 1.
void SetRoleState(CRole* role, const Tokens& tok, size_t first) {
    if (!role) return;
    role->SetState(Arg(tok, first), Arg(tok, first + 1) != 0 ? 1 : 0, Has(tok, first + 2) ? Arg(tok, first + 2) : 0,
                   nullptr);
}

void CmdSF(const CActionCtx& c, const Tokens& tok) { SetRoleState(c.role, tok, 1); }
void CmdSetFlagTable(const CActionCtx&, const Tokens& tok) { SetRoleState(RoleByName(Name(tok, 1)), tok, 2); }

void CmdTalkFlag(const CActionCtx&, const Tokens& tok) {
    if (CRole* role = RoleByName(Name(tok, 1))) role->UpdateTalkId();
}

void CmdUseMethod(const CActionCtx& c, const Tokens& tok) {
    CRole* role = RoleByName(Name(tok, 1));
    if (role && SubjectIsRole(c)) role->GiveOrder(10, Arg(tok, 2), c.subject->m_X, c.subject->m_Y, 1, 0);
}

void Cmd3DEffect(const CActionCtx&, const Tokens& tok) { g_Effect3D.Enable(Arg(tok, 1) != 0 ? 1 : 0); }

void CmdSay(const CActionCtx& c, const Tokens& tok) {
    const char* text = Name(tok, 1);
    if (!text) text = "";
    plat::DebugPrintf("%s%s\n", kRoleMessagePrefix, text);
    if (g_RoleHooks.addMessageLine) g_RoleHooks.addMessageLine(text, 0, 0, 1, c.subject->m_Handle, Arg(tok, 2));
}

void CmdSetVSFlag(const CActionCtx& c, const Tokens& tok) {
    if (c.mgr->m_pScene) c.mgr->m_pScene->SetState(Arg(tok, 1));
}

void CmdReSetScn(const CActionCtx& c, const Tokens&) {
    if (c.mgr->m_pScene) c.mgr->m_pScene->ResetObjects();
}

void CmdSetTimer(const CActionCtx& c, const Tokens& tok) { c.mgr->SetTimer(Arg(tok, 1)); }

void CmdSetPortal(const CActionCtx&, const Tokens& tok) {
    if (!Has(tok, 4)) {
        plat::DebugPrintf("SetPortal without a target: no portal\n");
        return;
    }
    if (!g_CurObjMng) return;
    const std::string text = "go " + tok[4];
    g_CurObjMng->AddBld(Arg(tok, 1), Arg(tok, 2), uint16_t(Arg(tok, 3)), text.c_str());
}

void CmdSetPropToObj(const CActionCtx&, const Tokens& tok) {
    CObjMng* mng = g_CurObjMng;
    const char* name = Name(tok, 1);
    if (!mng || !name) return;
    CGameObj* obj = RoleByName(name);
    if (!obj) obj = mng->FindFirstObjByName(name);
    if (!obj) return;
    const char* pic = obj->GetPictureName();
    if (!pic) pic = "";
    if (mng->FindDropByName(pic)) return;
    const int32_t mode = Arg(tok, 2), prop = Arg(tok, 3), count = Arg(tok, 4);
    if (mode == 0) {
        mng->SetPropToObj(obj->m_Handle, prop, count, pic);
        return;
    }
    int32_t n = count;
    if (n > kMaxSpawnPerCommand) {
        plat::DebugPrintf("SetPropToObj %s: %d random items, %d kept\n", pic, n, kMaxSpawnPerCommand);
        n = kMaxSpawnPerCommand;
    }
    for (int32_t i = 0; i < n; ++i) mng->SetPropToObj(obj->m_Handle, RandomItemByQuality(prop, -1), 1, pic);
}

void PlaceEntry(int index) {
    CObjMng* mng = g_CurObjMng;
    if (CObjDesc* d = mng->m_Placement.TakeEntry(1, index)) mng->AddObj(d, 31, 0, 0, index);
}

void CmdResetAllObj(const CActionCtx&, const Tokens&) {
    CObjMng* mng = g_CurObjMng;
    if (!mng) return;
    const CScnObjGroup* group = mng->m_Placement.GetGroup(1);
    for (int i = 0; group && i < group->count; ++i) {
        const CObjDesc* e = mng->m_Placement.GetEntry(i, 1);
        if (!e || mng->m_Placement.IsUsed(1, i) || e->m_Type < 10 || e->m_Type > 17) continue;
        PlaceEntry(i);
    }
}

void CmdResetObj(const CActionCtx&, const Tokens& tok) {
    const char* name = Name(tok, 1);
    if (!g_CurObjMng || !name) return;
    if (!Has(tok, 2) && RoleByName(name)) return;
    const int i = g_CurObjMng->m_Placement.FindByName(name, 1);
    if (i >= 0) PlaceEntry(i);
}

void CmdSetBldStatus(const CActionCtx&, const Tokens& tok) {
    const int32_t status = Arg(tok, 2);
    ForBuildings(Name(tok, 1), false, [&](CBld* b) {
        if (auto* mech = dynamic_cast<CMechBld*>(b)) mech->SetState(status, 1);
    });
}

void CmdSetBldAni(const CActionCtx&, const Tokens& tok) {
    const int32_t n = Arg(tok, 2);
    ForBuildings(Name(tok, 1), false, [&](CBld* b) { b->Activate(0, n); });
}

void CmdSetLockTextID(const CActionCtx&, const Tokens& tok) {
    const int32_t id = Arg(tok, 2);
    ForBuildings(Name(tok, 1), false, [&](CBld* b) { b->m_LockedTextId = id; });
}

void CmdSetExitTextID(const CActionCtx&, const Tokens& tok) {
    const int32_t id = Arg(tok, 2);
    ForBuildings(Name(tok, 1), true, [&](CBld* b) { b->m_LockedTextId = id; });
}

void CmdSetExit(const CActionCtx&, const Tokens& tok) {
    const int32_t a = Arg(tok, 2), b = Has(tok, 3) ? Arg(tok, 3) : 1;
    ForBuildings(Name(tok, 1), true, [&](CBld* bld) { bld->Activate(a, b); });
}

// The counts stop at 6; a step outside +-64 says nothing more and would
// overflow the sum.
int32_t SmallStep(int32_t n) { return std::clamp(n, -64, 64); }

void CmdAddEquipNum(const CActionCtx& c, const Tokens& tok) {
    if (c.record) c.record->AddEquipNum(SmallStep(Arg(tok, 1)));
    RoleNotice(UiText(315));
}

void CmdAddWeaponNum(const CActionCtx& c, const Tokens& tok) {
    if (c.record) c.record->AddWeaponNum(SmallStep(Arg(tok, 1)));
    RoleNotice(UiText(314));
}

void CmdShowJM(const CActionCtx&, const Tokens& tok) {
    int32_t ids[3] = {-1, -1, -1};
    if (Has(tok, 1)) {
        const Tokens list = SplitScript(tok[1], "|");
        for (size_t i = 0; i < list.size() && i < 3; ++i) ids[i] = ScriptInt(list, i);
    }
    for (int32_t id : ids) {
        if (id == -1 || !g_RoleHooks.showJM || !g_RoleHooks.showJM(id)) continue;
        if (g_RoleHooks.setLinkedJM) g_RoleHooks.setLinkedJM(id, ids[0], ids[1], ids[2]);
    }
}

void CmdSetPlayerID(const CActionCtx&, const Tokens& tok) {
    CRole* a = RoleByName(Name(tok, 1));
    CRole* b = RoleByName(Name(tok, 2));
    if (a && b) a->m_DataId = int32_t(b->m_Handle);
}

void CmdSetMerchantItem(const CActionCtx&, const Tokens& tok) {
    CRole* role = RoleByName(Name(tok, 1));
    if (role && g_CurObjMng && g_CurObjMng->m_pMerchants) g_CurObjMng->m_pMerchants->AddMerchant(role);
}

void CmdAddTransPortal(const CActionCtx& c, const Tokens& tok) {
    if (c.record) c.record->OpenReturnPortal(Arg(tok, 2));
}

void CmdChangeAct(const CActionCtx& c, const Tokens& tok) {
    // The record asks the scene manager to delete the scenes on its next
    // tick: this pass runs inside one of them.
    if (c.record) c.record->SetAct(Arg(tok, 1));
}

void CmdShowActForeword(const CActionCtx&, const Tokens& tok) {
    const int32_t row = Arg(tok, 1);
    if (row <= 0) return;
    if (g_RoleHooks.openChoiceText) g_RoleHooks.openChoiceText(row);
    int32_t w = 640, h = 480;
    if (g_RoleHooks.getScreenSize) g_RoleHooks.getScreenSize(&w, &h);
    if (g_RoleHooks.setChoiceArea) g_RoleHooks.setChoiceArea((w - 640) / 2, h - 320, 640, 320, 1);
    const int32_t picture = Arg(tok, 2);
    if (picture >= 0 && g_RoleHooks.setChoicePicture) g_RoleHooks.setChoicePicture(picture, Arg(tok, 3));
}

void CmdPlayMp3(const CActionCtx& c, const Tokens& tok) {
    if (!g_SceneHooks.playMusic) return;
    if (Has(tok, 1)) {
        g_SceneHooks.playMusic(tok[1].c_str(), 1);
        return;
    }
    CScene* scene = c.mgr->m_pScene;
    const CTxtRow* row = scene && scene->m_pWorld ? scene->m_pWorld->m_pScnRow : nullptr;
    const CTxtRow* music = row ? g_ScnSoundMdl.GetRow(row->GetInt(17)) : nullptr;
    if (music && music->HasValue(1)) g_SceneHooks.playMusic(music->GetString(1), music->HasValue(2) ? 0 : 1);
}

void CmdPlayAvi(const CActionCtx&, const Tokens& tok) {
    if (!Has(tok, 1)) return;
    const std::string path = std::string(GetProgramDirectory()) + "dhp\\" + tok[1] + ".dhp";
    if (g_RoleHooks.playMovie) g_RoleHooks.playMovie(path.c_str());
}

void CmdPlaySound(const CActionCtx&, const Tokens& tok) {
    const int32_t id = Arg(tok, 2);
    const int32_t loop = Has(tok, 3) ? Arg(tok, 3) : 1;
    if (!Has(tok, 4)) {
        if (g_WorldSound.playMusicSound) g_WorldSound.playMusicSound(id, 1);
    } else if (Arg(tok, 4) == 0) {
        if (g_WorldSound.playEffect) g_WorldSound.playEffect(id, loop, 100, 0);
    } else if (g_WorldSound.playMusicSound) {
        g_WorldSound.playMusicSound(id, loop);
    }
}

void CmdReLoadSound(const CActionCtx&, const Tokens&) {
    // The folder start-up opened ("sy" to a case-blind file system; the
    // data sets name it "SY").
    const std::string dir = std::string(GetProgramDirectory()) + "SY\\";
    ReleaseSound();
    if (!InitSound(dir.c_str(), plat::GetMainWindow())) plat::MessageBox(dir.c_str(), "", plat::MB_OK);
}

void CmdUseSkill(const CActionCtx& c, const Tokens& tok) {
    CRole* role = Has(tok, 2) ? RoleByName(tok[2].c_str()) : c.role;
    if (!role) return;
    if (Arg(tok, 1) == 4) {
        role->UseSkillAhead();
        return;
    }
    role->UseSkillOnTarget(dynamic_cast<CRole*>(ResolveHandle(role->m_TargetHandle)));
}

void CmdSetGroup(const CActionCtx& c, const Tokens& tok) {
    CRole* role = RoleByName(Name(tok, 1));
    if (!role || !SubjectIsRole(c)) return;
    const int32_t camp = Arg(tok, 2);
    role->SetCamp(camp);
    if (camp < 100) {
        role->SetState(111, 1, 0, nullptr);
        role->SetState(111, 0, 0, nullptr);
    }
}

void CmdChangeObjHp(const CActionCtx& c, const Tokens& tok) {
    CRole* role = RoleByName(Name(tok, 1));
    if (role && SubjectIsRole(c)) role->AddHP(float(role->GetMaxHP()));
}

void CmdAddFellow(const CActionCtx& c, const Tokens& tok) {
    CRole* role = RoleByName(Name(tok, 1));
    if (!c.record || !role) return;
    if (Has(tok, 2) && Arg(tok, 2) == 0) c.record->RemoveFollower(role->m_Handle);
    else c.record->AddFollower(role);
}

void CmdScreenEffect(const CActionCtx&, const Tokens& tok) {
    if (g_RoleHooks.startScreenEffect) g_RoleHooks.startScreenEffect(Arg(tok, 1));
}

void CmdShowHideRole(const CActionCtx&, const Tokens&) {
    if (g_RoleHooks.setProgressValue) g_RoleHooks.setProgressValue(2, 126);
}

void CmdShowHideOption(const CActionCtx&, const Tokens&) {
    if (g_RoleHooks.setProgressValue) g_RoleHooks.setProgressValue(3, 126);
}

void CmdSetTumble(const CActionCtx& c, const Tokens&) {
    if (c.role) c.role->SetPosture(110);
}

void CmdNothing(const CActionCtx&, const Tokens&) {}

const std::unordered_map<std::string, Command>& Commands() {
    static const std::unordered_map<std::string, Command> table = {
        {"pct", CmdNothing},
        {"trans", CmdTrans},
        {"transtoplayer", CmdTransToPlayer},
        {"remitem", CmdRemItem},
        {"setflag", CmdSetFlag},
        {"addexp", CmdAddExp},
        {"acquire", CmdAcquire},
        {"miss", CmdMiss},
        {"outtext", CmdOutText},
        {"go", CmdGo},
        {"transgo", CmdTransGo},
        {"talk", CmdTalk},
        {"additem", RunAddItem},
        {"sf", CmdSF},
        {"talkflag", CmdTalkFlag},
        {"usemethod", CmdUseMethod},
        {"3deffect", Cmd3DEffect},
        {"say", CmdSay},
        {"setvsflag", CmdSetVSFlag},
        {"resetscn", CmdReSetScn},
        {"settimer", CmdSetTimer},
        {"setportal", CmdSetPortal},
        {"setproptoobj", CmdSetPropToObj},
        {"resetallobj", CmdResetAllObj},
        {"resetobj", CmdResetObj},
        {"setbldstatus", CmdSetBldStatus},
        {"setbldani", CmdSetBldAni},
        {"setlocktextid", CmdSetLockTextID},
        {"setexittextid", CmdSetExitTextID},
        {"setexit", CmdSetExit},
        {"addequipnum", CmdAddEquipNum},
        {"addweaponnum", CmdAddWeaponNum},
        {"showjm", CmdShowJM},
        {"setplayerid", CmdSetPlayerID},
        {"setmerchantitem", CmdSetMerchantItem},
        {"addtransportal", CmdAddTransPortal},
        {"changeact", CmdChangeAct},
        {"showactforeword", CmdShowActForeword},
        {"playmp3", CmdPlayMp3},
        {"playavi", CmdPlayAvi},
        {"playsound", CmdPlaySound},
        {"setflagtable", CmdSetFlagTable},
        {"reloadsound", CmdReLoadSound},
        {"useskill", CmdUseSkill},
        {"setgroup", CmdSetGroup},
        {"changeobjhp", CmdChangeObjHp},
        {"atb", RunAtb},
        {"addfellow", CmdAddFellow},
        {"screeneffect", CmdScreenEffect},
        {"showhiderole", CmdShowHideRole},
        {"settumble", CmdSetTumble},
        {"showhideoption", CmdShowHideOption},
    };
    return table;
}

std::string Lower(const std::string& s) {
    std::string out = s;
    for (char& ch : out)
        if (ch >= 'A' && ch <= 'Z') ch = char(ch - 'A' + 'a');
    return out;
}

} // namespace

CGamePoint ObjectCell(const CGameObj* obj) {
    if (const auto* actor = dynamic_cast<const CActor*>(obj)) return actor->GetCell();
    if (obj && obj->m_pDesc) return {obj->m_pDesc->m_X, obj->m_pDesc->m_Y};
    return {0, 0};
}

void RunActionText(CTriggerMgr* mgr, const char* text, CGameObj* subject) {
    if (g_Nesting >= kMaxNesting) {
        plat::DebugPrintf("trigger actions nested %d deep, not run: %s\n", g_Nesting, text ? text : "");
        return;
    }
    ++g_Nesting;
    CActionCtx ctx;
    ctx.mgr = mgr;
    ctx.subject = subject;
    ctx.role = dynamic_cast<CRole*>(subject);
    ctx.record = subject && g_SceneHooks.getRecord ? g_SceneHooks.getRecord(subject->m_DataId) : nullptr;
    for (const std::string& command : SplitScript(text ? text : "", "*")) {
        const Tokens tok = SplitScript(command, " \t\r\n");
        if (tok.empty()) continue;
        const auto& table = Commands();
        const auto it = table.find(Lower(tok[0]));
        if (it != table.end()) it->second(ctx, tok);
    }
    --g_Nesting;
}
