#pragma once
// The record's calls up into the panels and the player controller, which
// sit above the roles and install these at start-up; an unset hook does
// the least (nothing). Tests install recording fakes.
#include <cstdint>

struct CRecordHooks {
    // FindQuestRow (flag, value) of the quest panel, then AnnounceQuest of
    // the head-up display when there is a row.
    void (*announceQuest)(const char* flag, int32_t value) = nullptr;
    // The head-up display's left and right skills (-1 leaves one as it is).
    void (*setHudSkills)(int32_t left, int32_t right) = nullptr;
    // The skill onto the head-up display's first free shortcut unless it is
    // there already.
    void (*addHudShortcut)(int32_t skillId) = nullptr;
    // Every place the interface holds a skill id (left and right skills,
    // hotkey records, the four shortcut lists) takes the new one.
    void (*replaceSkill)(int32_t oldId, int32_t newId) = nullptr;
    // The player controller's gesture trail style.
    void (*setGestureStyle)(int32_t a, int32_t b) = nullptr;
    // The talk panel's class number (1-5) and the act's talk text table.
    void (*setTalkClass)(int32_t number) = nullptr;
    void (*loadTalkTable)(const char* name) = nullptr;
    // The mouse cursor shows picture `index` of the item cursors, -1 none.
    void (*setCursorPicture)(int32_t index) = nullptr;
};

extern CRecordHooks g_RecordHooks;
