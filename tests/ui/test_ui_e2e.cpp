// The real executable, headless, on the demo data: the panels at start-up,
// damaged panel tables and absurd fonts.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "datagen/demo_data.h"
#include "datagen/demo_ui.h"
#include "datagen/panel_table_writer.h"
#include "gfx/pixel_format.h"
#include "platform/png.h"
#include "support/run_program.h"
#include "support/test_env.h"

namespace {

class UiRun : public vtest::TempDirTest {
protected:
    void Demo() {
        std::string error;
        ASSERT_TRUE(datagen::WriteDemoDataSet(Dir(), datagen::DemoOptions{}, &error)) << error;
    }
    int Run(const std::string& script) {
        WriteFile(Dir() + "script.txt", script);
        const std::string errPath = Dir() + "stderr.txt";
        const int rc = vtest::RunProgram(VANTREL_EXE,
                                         {"VANTREL_HOME=" + Dir(), "VANTREL_SCRIPT=" + Dir() + "script.txt",
                                          "VANTREL_HEADLESS=1", "SDL_AUDIODRIVER=dummy", "VANTREL_DEBUG=1",
                                          "VANTREL_FRAME_PNG=" + Dir() + "frame.png"},
                                         errPath);
        stderr_ = ReadFile(errPath);
        log_ = ReadFile(Dir() + "BugLog.ini");
        return rc;
    }
    std::string log_, stderr_;
};

const char* kTitleThenClose = "step 2\nlimit 600000\nat 2000 move 5 5\nat 3000 close\n";

TEST_F(UiRun, DemoMakesThePanelsAndTheTitleShowsItsPicture) {
    Demo();
    ASSERT_EQ(Run(kTitleThenClose), 0) << stderr_;
    const size_t begin = log_.find("Begin InitJM()\n");
    ASSERT_NE(begin, std::string::npos) << log_;
    EXPECT_NE(log_.find("End InitJM()\n", begin), std::string::npos);
    EXPECT_NE(stderr_.find("JM panels 35\n"), std::string::npos) << stderr_;
    EXPECT_NE(stderr_.find("JM show 25\n"), std::string::npos);
    int32_t w = 0, h = 0;
    std::vector<uint8_t> rgb;
    ASSERT_TRUE(plat::ReadPngRgb(Dir() + "frame.png", &w, &h, &rgb));
    ASSERT_EQ(w, 640);
    // The title picture covers the screen.
    const auto at = [&](int x, int y) {
        const uint8_t* p = &rgb[(static_cast<size_t>(y) * w + x) * 3];
        return std::vector<int>{p[0] >> 3, p[1] >> 2, p[2] >> 3};
    };
    const auto& c = datagen::kDemoTitleRgb;
    EXPECT_EQ(at(100, 240), (std::vector<int>{c[0] >> 3, c[1] >> 2, c[2] >> 3}));
    EXPECT_EQ(at(600, 400), (std::vector<int>{c[0] >> 3, c[1] >> 2, c[2] >> 3}));
    EXPECT_EQ(log_.substr(log_.size() - 11), "tamiro end\n");
}

TEST_F(UiRun, DamagedPanelTablesEndTheStartWithExitCodeTwo) {
    const std::vector<datagen::PanelRow> good = datagen::DemoPanelRows(640);
    std::vector<datagen::PanelRow> short91, short173;
    for (const auto& r : good) {
        if (r.id != "91") short91.push_back(r);
        if (r.id != "173") short173.push_back(r);
    }
    const std::string table = datagen::BuildTable(datagen::BuildPanelTable(good));
    struct Case {
        const char* name;
        std::function<void(const std::string&)> write;
        const char* message;
    } cases[] = {
        {"missing", [&](const std::string& p) { WriteFile(p, ""); std::remove(p.c_str()); }, "JMMDL.txt: no row 0"},
        {"short of a row", [&](const std::string& p) { datagen::WritePanelTable(p, short91); }, "JMMDL.txt: no row 91"},
        // Without it the settings window would open without its brightness slider.
        {"short of a settings slider", [&](const std::string& p) { datagen::WritePanelTable(p, short173); },
         "JMMDL.txt: no row 173"},
        {"truncated", [&](const std::string& p) { WriteFile(p, table.substr(0, 700)); }, "JMMDL.txt: no row"},
        {"garbage", [&](const std::string& p) { WriteFile(p, std::string(3000, '\xB7') + "\t\x01*\r\n"); },
         "JMMDL.txt: no row 0"},
    };
    Demo();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.write(Dir() + "mb/JMMDL.txt");
        ASSERT_EQ(Run(kTitleThenClose), 2) << stderr_;
        EXPECT_NE(stderr_.find(c.message), std::string::npos) << stderr_;
        EXPECT_NE(log_.find(c.message), std::string::npos) << log_;
        EXPECT_EQ(log_.find("JM_BeginOut"), std::string::npos) << "no title screen";
        EXPECT_NE(log_.find("  Other.ClearUp\n"), std::string::npos) << "shut down in order";
        EXPECT_EQ(log_.substr(log_.size() - 11), "tamiro end\n");
    }
}

TEST_F(UiRun, AbsurdFontSizesStartWithClampedFonts) {
    Demo();
    ASSERT_TRUE(datagen::WriteFontTable(Dir() + "mb/Font.txt", {{"100000", "0", "\xCB\xCE\xCC\xE5"},
                                                                 {"0", "0", "x"},
                                                                 {"-5", "3", ""},
                                                                 {"9", "0", "\xBA\xDA\xCC\xE5"}}));
    ASSERT_EQ(Run(kTitleThenClose), 0) << stderr_;
    EXPECT_NE(log_.find("Font.txt row 1: size 133333 pixels, using 72\n"), std::string::npos) << log_;
    EXPECT_NE(log_.find("Font.txt row 2: size 0 pixels, using 6\n"), std::string::npos);
    EXPECT_NE(log_.find("Font.txt row 3: size -7 pixels, using 6\n"), std::string::npos);
    EXPECT_NE(log_.find("End InitJM()\n"), std::string::npos);
}

} // namespace
