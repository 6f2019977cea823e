// The load panel's preview: the frame chosen by sprite and mode, applied
// only when the main animation has more frames than that and is elsewhere.
#include <gtest/gtest.h>

#include <memory>

#include "gfx/anim.h"
#include "gfx/role_sprite.h"
#include "roles/save_mgr.h"

namespace test_save_preview {

// A sprite whose main part plays one sequence of `frames` frames, at `at`.
CRoleSprite* PreviewSprite(int32_t frames, int32_t at) {
    auto* sprite = new CRoleSprite();
    auto part = std::make_unique<CRolePart>();
    part->m_Anim.m_pPlayers = std::make_unique<CAnimPlayer[]>(1);
    part->m_Anim.m_SeqCount = 1;
    part->m_Anim.m_pPlayers[0].m_FrameCount = frames;
    part->m_Anim.m_pPlayers[0].m_CurFrame = at;
    part->m_Anim.m_pPlayers[0].m_Tick = 3;
    sprite->m_pMainPart = part.get();
    sprite->m_Parts.push_back(std::move(part));
    return sprite;
}

TEST(SavePreview, TheFrameFollowsSpriteAndModeWhenTheAnimationHasIt) {
    const struct {
        const char* sprite;
        int mode;
        int32_t frames, at, expected;
        bool restarted;
    } cases[] = {
        {"901", 1, 100, 5, 80, true},  {"901", 0, 100, 5, 0, true},   {"901", 2, 100, 5, 0, true},
        {"902", 1, 100, 5, 80, true},  {"902", 0, 100, 5, 16, true},  {"903", 1, 100, 5, 64, true},
        {"903", 0, 100, 5, 16, true},  {"999", 1, 100, 5, 5, false},  {"901", 1, 80, 5, 5, false},
        {"903", 1, 65, 5, 64, true},   {"902", 0, 100, 16, 16, false}, {"901", 0, 1, 0, 0, false},
    };
    for (const auto& c : cases) {
        CSaveMgr m;
        m.m_SpriteName = c.sprite;
        m.m_pPreview = PreviewSprite(c.frames, c.at);
        m.SelectPreviewFrame(c.mode);
        const CAnimPlayer& p = GetRoleSpriteAnim(m.m_pPreview)->m_pPlayers[0];
        EXPECT_EQ(p.m_CurFrame, c.expected) << c.sprite << " mode " << c.mode << " frames " << c.frames;
        EXPECT_EQ(p.m_Tick, c.restarted ? 0 : 3) << c.sprite << " mode " << c.mode << " frames " << c.frames;
    }
    CSaveMgr none;
    none.m_SpriteName = "901";
    none.SelectPreviewFrame(1);  // no sprite: nothing
}

} // namespace test_save_preview
