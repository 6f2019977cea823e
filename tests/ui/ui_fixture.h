#pragma once
// Panels on a headless 5-6-5 display with the demo pictures, a panel table
// written by the test, recording hooks and a cursor the test places.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/directories.h"
#include "core/key_state.h"
#include "core/log.h"
#include "core/txt_table.h"
#include "datagen/demo_data.h"
#include "datagen/demo_ui.h"
#include "datagen/lib_writer.h"
#include "datagen/panel_table_writer.h"
#include "datagen/table_writer.h"
#include "gfx/color_tables.h"
#include "gfx/pixel_format.h"
#include "gfx/res_lib.h"
#include "gfx/surface.h"
#include "platform/debug.h"
#include "platform/display.h"
#include "platform/fs.h"
#include "platform/input.h"
#include "platform/msgbox.h"
#include "platform/window.h"
#include "support/display565.h"
#include "support/test_env.h"
#include "ui/jm_controls.h"
#include "ui/jm_mng.h"

namespace uitest {

// A panel that counts what the manager and the base class call on it.
class RecPanel : public CJMPanel {
public:
    int OnLButtonDown(int, int x, int y) override {
        ++downs;
        lastX = x;
        lastY = y;
        return 1;
    }
    int OnLButtonUp(int, int, int) override { return ++ups; }
    void OnShow() override {
        ++shows;
        CJMPanel::OnShow();
    }
    void OnHide() override {
        ++hides;
        CJMPanel::OnHide();
    }
    void OnMouseLeave() override { ++leaves; }
    int ReceiveMsg(int msg, int a, int b) override {
        msgs.push_back({msg, a, b});
        return CJMPanel::ReceiveMsg(msg, a, b);
    }
    int downs = 0, ups = 0, shows = 0, hides = 0, leaves = 0, lastX = 0, lastY = 0;
    std::vector<std::vector<int>> msgs;
};

// A row with a picture-less rectangle that takes the mouse.
inline datagen::PanelRow Row(int id, int anchor, int x, int y, int w, int h) {
    datagen::PanelRow r;
    r.name = "P" + std::to_string(id);
    r.id = std::to_string(id);
    r.anchor = std::to_string(anchor);
    r.x = std::to_string(x);
    r.y = std::to_string(y);
    r.width = std::to_string(w);
    r.height = std::to_string(h);
    return r;
}

inline std::vector<int> g_Paused;

class UiTest : public vtest::TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        vtest::Start565Display(display_, keeper_);
        plat::ClearDebugCapture();
        plat::ClearRecordedMessageBoxes();
        plat::ResetInput();
        ASSERT_TRUE(datagen::WriteDemoLibraries(Dir()));
        SetProgramDirectory(0);
        ASSERT_EQ(InitResourceLibraries(), 1);
        g_JMHooks = CJMHooks{};
        g_Paused.clear();
        g_JMHooks.setPaused = [](int on) { g_Paused.push_back(on); };
        g_JMMng.m_ScreenW = 640;
        g_JMMng.m_ScreenH = 480;
        g_KeyState = CKeyState{};
    }
    void TearDown() override {
        g_JMMng.ClearUp();
        g_JMMdl.Clear();
        g_JMHooks = CJMHooks{};
        g_ResList.Destroy();
        keeper_.reset();
        display_.reset();
        FreeColorTables();
        TempDirTest::TearDown();
    }

    // The demo set's tables (no libraries, sounds or music) in the test folder.
    bool WriteDemoTables(std::string* error) {
        datagen::DemoOptions o;
        o.libraries = o.sounds = o.music = false;
        return datagen::WriteDemoDataSet(Dir(), o, error);
    }

    // Pads the table with spare rows so every id below 240 is indexed (the
    // table indexes keys below its row count + 20).
    static std::vector<datagen::PanelRow> Padded(std::vector<datagen::PanelRow> rows) {
        std::vector<bool> used(240, false);
        for (const auto& r : rows)
            if (std::stoi(r.id) >= 0 && std::stoi(r.id) < 240) used[std::stoi(r.id)] = true;
        for (int id = 0; id < 240; ++id)
            if (!used[id]) {
                datagen::PanelRow s;
                s.name = "Spare";
                s.id = std::to_string(id);
                s.input = "0";
                rows.push_back(s);
            }
        return rows;
    }
    void WriteTable(const std::vector<datagen::PanelRow>& rows, const char* name = "JMMDL.txt") {
        ASSERT_TRUE(datagen::WritePanelTable(Dir() + "mb/" + name, Padded(rows)));
    }
    // Creates panels of type T (RecPanel by default) for the ids, in order.
    template <class T = RecPanel>
    int Make(const std::vector<int>& ids) {
        std::vector<JMPanelSpec> specs;
        for (int id : ids) specs.push_back({id, [] { return static_cast<CJM*>(new T); }});
        return g_JMMng.CreatePanelsFrom(specs, {});
    }
    template <class T = RecPanel>
    T* Get(int id) {
        return dynamic_cast<T*>(g_JMMng.GetJM(id));
    }
    static void Cursor(int x, int y) { plat::SetCursorPos(x, y); }
    static std::string Captured() {
        std::string all;
        for (const std::string& s : plat::DebugCaptured()) all += s;
        return all;
    }
    std::string Log() { return ReadFile(Dir() + "BugLog.ini"); }

    // 16-bit pixels of a surface without padding.
    static std::vector<uint16_t> Pixels(CSurface& s) {
        std::vector<uint16_t> v(static_cast<size_t>(s.m_Width) * s.m_Height);
        uint8_t* p = s.Lock(nullptr);
        if (!p) return v;
        for (int32_t y = 0; y < s.m_Height; ++y)
            std::memcpy(&v[static_cast<size_t>(y) * s.m_Width], p + static_cast<size_t>(y) * s.m_Pitch,
                        2 * static_cast<size_t>(s.m_Width));
        s.Unlock();
        return v;
    }

    std::unique_ptr<CSurface> display_;
    std::unique_ptr<CSurface> keeper_;
};

} // namespace uitest
