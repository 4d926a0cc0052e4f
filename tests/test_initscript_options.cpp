// The whole load of a script file: options into einit, sync lists and the
// timeline with start times and the physical lines they came from.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>

#include "shell/init.h"
#include "support/script_text.h"
#include "support/showdir.h"

using Texts = std::vector<std::string>;
using Times = std::vector<int32_t>;

static std::vector<std::pair<int32_t, int32_t>> marks(const std::vector<SYNC>& list) {
    std::vector<std::pair<int32_t, int32_t>> out;
    for (const SYNC& mark : list) out.emplace_back(mark.track, mark.length);
    return out;
}
using Marks = std::vector<std::pair<int32_t, int32_t>>;

TEST(ScriptLoad, WorkedExample) {
    CScript s;
    ASSERT_TRUE(loadScriptText(s,
        "#intro\n"
        "Define FADE opacity 0 to 1\n"
        "Default !fullscreen 800x600\n"
        "Sync 1 0.5 2 1.25\n"
        "@sync\n"
        "0 track 1 object a.jpg duration 2.5 FADE\n"
        "1.5 track 2 duration 2 blendFunc GL_SRC_ALPHA GL_ONE\n"
        "4.5 end\n"
        "@end\n"
        "anything here is never read\n"));
    EXPECT_EQ(s.statements, (Texts{"0 track 1 object a.jpg duration 2500 opacity 0 to 1",
                                   "1500 track 2 duration 2 blendFunc 770 1", "4500 end"}));
    EXPECT_EQ(s.startTimes, (Times{0, 1500, 4500}));
    EXPECT_EQ(s.statementLines, (std::vector<int>{6, 7, 8}));
    ASSERT_EQ(s.syncLists.size(), 1u);
    EXPECT_EQ(marks(s.syncLists[0]), (Marks{{1, 500}, {2, 1250}}));
    EXPECT_EQ(s.nextStatement, 0);
    EXPECT_TRUE(einit.windowed);
    EXPECT_EQ(einit.width, 800);
    EXPECT_EQ(einit.modeHeight, 600);
    EXPECT_TRUE(einit.soundOn);
    // The load-time tables and the line list are gone.
    EXPECT_TRUE(s.lines.empty());
    EXPECT_TRUE(s.lineNumbers.empty());
    EXPECT_TRUE(s.defines.empty());
    EXPECT_TRUE(s.glConstants.empty());
}

TEST(ScriptLoad, OptionsAccumulate) {
    CScript s;
    ASSERT_TRUE(loadScriptText(s, "Default !fullscreen 1024x768 !sound\nOptions Default !gui anaglyphic\n"
                                  "Default 1280x1024 Fullscreen\n@sync\n@end\n"));
    EXPECT_TRUE(einit.windowed);
    EXPECT_FALSE(einit.soundOn);
    EXPECT_FALSE(einit.guiOn);
    EXPECT_TRUE(einit.anaglyphic);
    EXPECT_EQ(einit.width, 1024);
    EXPECT_EQ(einit.height, 768);
    EXPECT_EQ(einit.modeWidth, 1024);
    EXPECT_EQ(einit.modeHeight, 768);

    ASSERT_TRUE(loadScriptText(s, "Default 1024x768\nDefault 640x480\n@sync\n@end\n"));
    EXPECT_EQ(einit.width, 640);
    EXPECT_EQ(einit.modeHeight, 480);
    EXPECT_FALSE(einit.windowed);
    // Options are words of a "Default" line only.
    ASSERT_TRUE(loadScriptText(s, "!fullscreen !sound\n@sync\n@end\n"));
    EXPECT_FALSE(einit.windowed);
    EXPECT_TRUE(einit.soundOn);
}

TEST(ScriptLoad, SyncLists) {
    CScript s;
    ASSERT_TRUE(loadScriptText(s, "Sync 2 500 3 1500 \nSync\nlists: Sync 7 1\nSync 1 2 3\n"
                                  "Sync x 5 -4 +6 Default\n@sync\n@end\n"));
    ASSERT_EQ(s.syncLists.size(), 5u);
    EXPECT_EQ(marks(s.syncLists[0]), (Marks{{2, 500}, {3, 1500}}));
    EXPECT_TRUE(s.syncLists[1].empty());
    EXPECT_EQ(marks(s.syncLists[2]), (Marks{{7, 1}}));
    EXPECT_EQ(marks(s.syncLists[3]), (Marks{{1, 2}}));  // the unpaired value is dropped
    // Values that are not numbers read as 0; "Default" there is a value.
    EXPECT_EQ(marks(s.syncLists[4]), (Marks{{0, 5}, {-4, 6}}));
    EXPECT_TRUE(einit.soundOn);
}

TEST(ScriptLoad, Timeline) {
    CScript s;
    ASSERT_TRUE(loadScriptText(s,
        "Default !sound\n"
        "@sync Default !fullscreen Sync 1 2\n"
        "1500 track 2 duration 2000\n"
        "   \n"
        "1500 track 1\n"
        "Sync 1 2\n"
        "Default 800x600\n"
        "99999999.0 end\n"
        "@end\n"));
    EXPECT_EQ(s.statements, (Texts{"1500 track 2 duration 2000", "   ", "1500 track 1", "Sync 1 2",
                                   "Default 800x600", "2147483647 end"}));
    EXPECT_EQ(s.startTimes, (Times{1500, 1500, 1500, 0, 0, INT32_MAX}));
    EXPECT_EQ(s.statementLines, (std::vector<int>{3, 4, 5, 6, 7, 8}));
    // Nothing after "@sync" is an option or a sync list.
    EXPECT_TRUE(s.syncLists.empty());
    EXPECT_FALSE(einit.windowed);
    EXPECT_EQ(einit.width, 640);
    EXPECT_FALSE(einit.soundOn);
}

TEST(ScriptLoad, BlankFirstStatementStartsAtZero) {
    CScript s;
    ASSERT_TRUE(loadScriptText(s, "@sync\n \\\n\n-5 x\n@end\n"));
    EXPECT_EQ(s.statements, (Texts{" ", "-5 x"}));
    EXPECT_EQ(s.startTimes, (Times{0, -5}));
}

TEST(ScriptLoad, StatementLinesFollowPhysicalLines) {
    CScript s;
    ASSERT_TRUE(loadScriptText(s, "@sync\r\n# c\r\n1 a \\\r\nb\r\n\r\nDefine X y\r\n2 X\r\n"));
    EXPECT_EQ(s.statements, (Texts{"1 a b", "2 y"}));
    EXPECT_EQ(s.statementLines, (std::vector<int>{3, 7}));
}

TEST(ScriptLoad, EmptyTimelines) {
    CScript s;
    ASSERT_TRUE(loadScriptText(s, "@sync\n@end\n1 x\n"));
    EXPECT_TRUE(s.statements.empty());
    EXPECT_TRUE(s.startTimes.empty());
    // Without "@sync" the options still apply and there is no timeline.
    ASSERT_TRUE(loadScriptText(s, "Default !sound\nSync 1 2\n1 track 1\n"));
    EXPECT_FALSE(einit.soundOn);
    EXPECT_EQ(s.syncLists.size(), 1u);
    EXPECT_TRUE(s.statements.empty());
    EXPECT_TRUE(s.lines.empty());
    ASSERT_TRUE(loadScriptText(s, ""));
    EXPECT_TRUE(s.statements.empty());
}

TEST(ScriptLoad, OptionPassWithoutEndMarkerStopsAtTheEnd) {
    CScript s;
    s.lines = {"Default !gui", "@sync", "5 x"};
    einit.defaults();
    s.optionParse();
    EXPECT_FALSE(einit.guiOn);
    EXPECT_EQ(s.statements, (Texts{"5 x"}));
    EXPECT_EQ(s.statementLines, (std::vector<int>{0}));  // no line numbers were given
    s.lines = {"Default !sound"};
    s.optionParse();
    EXPECT_FALSE(einit.soundOn);
    EXPECT_EQ(s.statements.size(), 1u);
}

TEST(ScriptLoad, UnreadableFileChangesNothing) {
    CScript s;
    s.statements = {"kept"};
    ShowDir show;
    errno = 0;
    EXPECT_FALSE(s.init((show.data() + "/missing.txt").c_str()));
    EXPECT_EQ(errno, ENOENT);
    errno = 0;
    EXPECT_FALSE(s.init(show.data().c_str()));  // a directory opens but cannot be read
    EXPECT_EQ(errno, EISDIR);
    EXPECT_EQ(s.statements, (Texts{"kept"}));
    EXPECT_TRUE(s.glConstants.empty());
}

// Files that are not scripts at all, made by other programs.
TEST(ScriptLoad, BinaryFiles) {
    ShowDir show;
    const std::string image = show.data() + "/noise.jpg";
    const std::string packed = show.data() + "/words.gz";
    ASSERT_EQ(runCommand("convert -seed 3 -size 256x256 plasma:fractal " + image), 0);
    ASSERT_EQ(runCommand("printf 'Define A A\\n@sync\\n1.5 GL_ONE\\n' | gzip -9 > " + packed), 0);
    for (const std::string& path : {image, packed}) {
        CScript s;
        ASSERT_TRUE(s.init(path.c_str())) << path;
        EXPECT_TRUE(s.lines.empty());
        EXPECT_EQ(s.statements.size(), s.startTimes.size());
        EXPECT_EQ(s.statements.size(), s.statementLines.size());
        const PreprocessedScript out = preprocessText(readFile(path));
        ASSERT_FALSE(out.lines.empty());
        EXPECT_EQ(out.lines.back(), "@end");
        EXPECT_EQ(out.lines.size(), out.lineNumbers.size());
        EXPECT_TRUE(std::is_sorted(out.lineNumbers.begin(), out.lineNumbers.end()));
    }
}
