// Every complete script of the author's guide, with the sample show's data:
// the checker finds no error in it, it renders to its end without a display,
// and the real player plays one of them through.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "support/capture_run.h"
#include "support/check_run.h"
#include "support/e2e_screen.h"
#include "support/e2e_show.h"
#include "support/player.h"

static bool lit(const Rgb& p) { return p[0] + p[1] + p[2] > 60; }

static std::string where(const GuideExample& example) {
    return "the guide's example at line " + std::to_string(example.line) + ":\n" + example.script;
}

static const GuideExample* findExample(const std::vector<GuideExample>& examples, const std::string& text) {
    for (const GuideExample& example : examples)
        if (example.script.find(text) != std::string::npos) return &example;
    return nullptr;
}

TEST(E2eGuide, HoldsACompleteScriptPerPartOfTheLanguage) {
    const std::vector<GuideExample> examples = guideExamples();
    // The first show, continued lines, definitions, images, models, the tube, sync lists.
    EXPECT_GE(examples.size(), 7u);
    for (const char* part : {"\\\n", "Define ", "type 1", "type 0", "scene 1", "insync"})
        EXPECT_NE(findExample(examples, part), nullptr) << part;
    for (const GuideExample& example : examples) EXPECT_GT(endTime(example.script), 0) << where(example);
}

TEST(E2eGuide, ExamplesHaveNoFindings) {
    for (const GuideExample& example : guideExamples()) {
        SCOPED_TRACE(where(example));
        ShowDir show;
        copyDemoData(show, false);
        show.writeScript(example.script);
        const CheckRun run = runCheck(show.path());
        EXPECT_EQ(run.status, 0) << run.errors;
        EXPECT_TRUE(run.lines.empty()) << ::testing::PrintToString(run.lines);
    }
}

// Rendered without a display: to the "end" (no --to needed), and halfway
// through something is on the screen.
TEST(E2eGuide, ExamplesRenderToTheirEnd) {
    for (const GuideExample& example : guideExamples()) {
        SCOPED_TRACE(where(example));
        ShowDir show;
        copyDemoData(show, false);
        show.writeScript(example.script);
        const ToolRun whole = runCapture({"--dir", show.path(), "--fps", "25", "--size", "160x120", "--null"});
        EXPECT_EQ(whole.status, 0) << whole.errors;

        const std::string shot = show.path() + "/middle.png";
        const std::string middle = std::to_string(endTime(example.script) / 2);
        const ToolRun run = runCapture({"--dir", show.path(), "--fps", "10", "--shot", middle, "--out", shot});
        ASSERT_EQ(run.status, 0) << run.errors;
        Picture picture;
        ASSERT_TRUE(readPicture(shot, picture));
        EXPECT_GT(countPixels(picture, 0, 0, picture.width, picture.height, lit), picture.width * picture.height / 100)
            << "at " << middle << " ms";
    }
}

TEST(E2eGuide, ModelsExamplePlaysToItsEndInThePlayer) {
    REQUIRE_DISPLAY();
    const std::vector<GuideExample> examples = guideExamples();
    const GuideExample* example = findExample(examples, "object torus.3ds");
    ASSERT_NE(example, nullptr);
    SCOPED_TRACE(where(*example));
    ShowDir show;
    copyDemoData(show, false);
    show.writeScript(example->script);
    Player player;
    const auto started = std::chrono::steady_clock::now();
    ASSERT_TRUE(player.start(show.path(), {}, {"SDL_AUDIODRIVER=dummy"}));
    const unsigned long window = player.window();
    ASSERT_NE(window, 0u) << player.errorOutput();

    std::this_thread::sleep_for(std::chrono::seconds(2));
    Picture shot;
    ASSERT_TRUE(grabWindow(window, shot));
    EXPECT_GT(countPixels(shot, 0, 0, shot.width, shot.height, lit), 2000) << "the models";

    EXPECT_EQ(player.wait(30), 0) << player.errorOutput();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    EXPECT_GT(seconds * 1000, endTime(example->script) - 100);
    EXPECT_EQ(player.errorOutput(), "");
}
