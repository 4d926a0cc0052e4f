// Preprocessing of script text: comments, definitions, continuations,
// built-in names, seconds to milliseconds, the end marker, raw bytes.
#include <gtest/gtest.h>

#include <algorithm>

#include "support/script_text.h"

using Lines = std::vector<std::string>;

static Lines lines(const std::string& text) { return preprocessText(text).lines; }

// The one line made from text, without the end marker.
static std::string line(const std::string& text) {
    const Lines out = lines(text + "\n@end\n");
    EXPECT_EQ(out.size(), 2u) << text;
    return out.empty() ? std::string() : out.front();
}

TEST(Preprocess, WorkedExample) {
    const PreprocessedScript out = preprocessText(
        "#intro\n"
        "Define FADE opacity 0 to 1\n"
        "Default !fullscreen 800x600\n"
        "Sync 1 0.5 2 1.25\n"
        "@sync\n"
        "0 track 1 object a.jpg duration 2.5 FADE\n"
        "1.5 track 2 duration 2 blendFunc GL_SRC_ALPHA GL_ONE\n"
        "4.5 end\n"
        "@end\n"
        "anything here is never read\n");
    EXPECT_EQ(out.lines, (Lines{"Default !fullscreen 800x600", "Sync 1 500 2 1250", "@sync",
                                "0 track 1 object a.jpg duration 2500 opacity 0 to 1",
                                "1500 track 2 duration 2 blendFunc 770 1", "4500 end", "@end"}));
    EXPECT_EQ(out.lineNumbers, (std::vector<int>{3, 4, 5, 6, 7, 8, 9}));
    EXPECT_TRUE(out.runawayLines.empty());
}

TEST(Preprocess, SecondsInTimePositions) {
    EXPECT_EQ(line("1.5 track 1"), "1500 track 1");
    EXPECT_EQ(line("2 track 1"), "2 track 1");
    EXPECT_EQ(line("0 duration 0.25 opacity 0.25"), "0 duration 250 opacity 0.25");
    EXPECT_EQ(line("0 duration 3"), "0 duration 3");
    EXPECT_EQ(line("-0.5 duration -0.5"), "-0.5 duration -0.5");
    EXPECT_EQ(line("0.5 scale 0.5 0.5 0.5 duration 0.5"), "500 scale 0.5 0.5 0.5 duration 500");
    EXPECT_EQ(line("Sync 1.0 0.5 2 1.25"), "Sync 1000 500 2 1250");
    // Only digits and points, at least one of each; the leading number is read.
    EXPECT_EQ(line(".5"), "500");
    EXPECT_EQ(line("2."), "2000");
    EXPECT_EQ(line("1.2.3"), "1200");
    EXPECT_EQ(line("1.5s"), "1.5s");
    EXPECT_EQ(line("."), ".");
    // Blanks stay as they were, leading and trailing ones included.
    EXPECT_EQ(line("\t 1.5  track\t"), "\t 1500  track\t");
}

TEST(Preprocess, SecondsAreRoundedAtDoublePrecisionAndSaturate) {
    EXPECT_EQ(line("0.3"), "300");
    EXPECT_EQ(line("0.7"), "700");
    EXPECT_EQ(line("0.0015"), "1");
    EXPECT_EQ(line("2147483.6469"), "2147483646");
    EXPECT_EQ(line("2147483.647"), "2147483647");
    EXPECT_EQ(line("2147483.648"), "2147483647");
    EXPECT_EQ(line("0 duration 99999999999.0"), "0 duration 2147483647");
    EXPECT_EQ(line(std::string(400, '9') + ".5"), "2147483647");
}

TEST(Preprocess, Continuations) {
    EXPECT_EQ(lines("Sync 1 0.5 \\\n2 0.5\n"), (Lines{"Sync 1 500 2 500", "@end"}));
    // The joined line is taken whatever it holds.
    EXPECT_EQ(lines("a \\\n\nb\n"), (Lines{"a ", "b", "@end"}));
    EXPECT_EQ(lines("a \\\n# not a comment\n"), (Lines{"a # not a comment", "@end"}));
    EXPECT_EQ(lines("a \\\n1.5\n"), (Lines{"a 1.5", "@end"}));  // P is 'a': no time position
    // A backslash on the last line joins an empty line.
    EXPECT_EQ(lines("a \\"), (Lines{"a ", "@end"}));
    EXPECT_EQ(lines("a \\\r\nb\r\n"), (Lines{"a b", "@end"}));
    // A backslash inside a word, or not alone, is just a character.
    EXPECT_EQ(lines("a\\\nb\n"), (Lines{"a\\", "b", "@end"}));
    EXPECT_EQ(lines("a \\\\\nb\n"), (Lines{"a \\\\", "b", "@end"}));
    // The end marker on a joined line ends the load; the pending text is dropped.
    EXPECT_EQ(lines("a \\\n@end\nb\n"), (Lines{"@end"}));
    const PreprocessedScript out = preprocessText("x\na \\\nb \\\nc\nd\n");
    EXPECT_EQ(out.lines, (Lines{"x", "a b c", "d", "@end"}));
    EXPECT_EQ(out.lineNumbers, (std::vector<int>{1, 2, 5, 6}));
}

TEST(Preprocess, DefinitionsApplyToLaterLinesOnly) {
    EXPECT_EQ(lines("FADE\nDefine FADE opacity 0 to 1\nFADE FADEIN\n"),
              (Lines{"FADE", "opacity 0 to 1 FADEIN", "@end"}));
    EXPECT_EQ(lines("Define C red\nC\nDefine C blue\nC\n"), (Lines{"red", "blue", "@end"}));
    // Texts are stored with names and times resolved.
    EXPECT_EQ(lines("Define ADD GL_SRC_ALPHA GL_ONE\nDefine D duration 0.5\nADD D\n"),
              (Lines{"770 1 duration 500", "@end"}));
    EXPECT_EQ(lines("Define B GL_ONE\nDefine AB B B\nAB\n"), (Lines{"1 1", "@end"}));
    // The replaced name becomes P, so a defined time is not converted.
    EXPECT_EQ(lines("Define T 1.5\nT track 1\n"), (Lines{"1.5 track 1", "@end"}));
    // A built-in name wins over a definition.
    EXPECT_EQ(lines("Define GL_ONE 5\nGL_ONE\n"), (Lines{"1", "@end"}));
    // "Define" need not be the first word; the line is not passed on.
    EXPECT_EQ(lines("x Define Y z\nY\n"), (Lines{"z", "@end"}));
}

TEST(Preprocess, EmptyDefinitions) {
    EXPECT_EQ(lines("Define X \na X b\n"), (Lines{"a  b", "@end"}));
    EXPECT_EQ(lines("Define X\na X b\n"), (Lines{"a  b", "@end"}));
    EXPECT_EQ(lines("Define X\r\nX\r\n"), (Lines{"", "@end"}));
    // "Define" without a name defines nothing and is not passed on.
    EXPECT_EQ(lines("Define\nDefine\n"), (Lines{"@end"}));
}

TEST(Preprocess, ContinuedDefinitionTakesTheJoinedText) {
    EXPECT_EQ(lines("Define F a \\\nb\nF\nnext\n"), (Lines{"a b", "next", "@end"}));
}

TEST(Preprocess, BuiltInNames) {
    struct Row {
        const char* name;
        int value;
    };
    const Row table[] = {
        {"GL_TRUE", 1}, {"GL_FALSE", 0}, {"GL_NEVER", 512}, {"GL_LESS", 513}, {"GL_EQUAL", 514},
        {"GL_LEQUAL", 515}, {"GL_GREATER", 516}, {"GL_NOTEQUAL", 517}, {"GL_GEQUAL", 518},
        {"GL_ALWAYS", 519}, {"GL_LIGHT0", 0}, {"GL_LIGHT1", 1}, {"GL_LIGHT2", 2}, {"GL_LIGHT3", 3},
        {"GL_LIGHT4", 4}, {"GL_LIGHT5", 5}, {"GL_LIGHT6", 6}, {"GL_LIGHT7", 7}, {"GL_AMBIENT", 0},
        {"GL_DIFFUSE", 1}, {"GL_SPECULAR", 2}, {"GL_SHININESS", 3}, {"GL_EMISSION", 4},
        {"GL_POSITION", 5}, {"GL_ONE", 1}, {"GL_ZERO", 0}, {"GL_SRC_COLOR", 768},
        {"GL_ONE_MINUS_SRC_COLOR", 769}, {"GL_SRC_ALPHA", 770}, {"GL_ONE_MINUS_SRC_ALPHA", 771},
        {"GL_DST_ALPHA", 772}, {"GL_ONE_MINUS_DST_ALPHA", 773}, {"GL_DST_COLOR", 774},
        {"GL_ONE_MINUS_DST_COLOR", 775}, {"GL_SRC_ALPHA_SATURATE", 776},
    };
    CScript s;
    s.defines["stale"] = "x";
    s.defineInit();
    EXPECT_TRUE(s.defines.empty());
    EXPECT_EQ(s.glConstants.size(), std::size(table));
    std::string names, values;
    for (const Row& row : table) {
        EXPECT_EQ(s.glConstants[row.name], row.value) << row.name;
        names += std::string(" ") + row.name;
        values += " " + std::to_string(row.value);
    }
    EXPECT_EQ(line("0" + names), "0" + values);
    EXPECT_EQ(line("GL_LIGHT3 GL_SHININESS"), "3 3");
    EXPECT_EQ(line("gl_one GL_ONE, GL_ONEX GL_BLEND"), "gl_one GL_ONE, GL_ONEX GL_BLEND");
}

TEST(Preprocess, CommentsAndEmptyLines) {
    const PreprocessedScript out = preprocessText("# note\n\n #x\n   \n#\nend\n");
    EXPECT_EQ(out.lines, (Lines{" #x", "   ", "end", "@end"}));
    EXPECT_EQ(out.lineNumbers, (std::vector<int>{3, 4, 6, 7}));
}

TEST(Preprocess, EndMarker) {
    EXPECT_EQ(lines("a\n@end \nb\n@end\nc\n"), (Lines{"a", "@end ", "b", "@end"}));
    EXPECT_EQ(lines("@end\nDefine X y\nX\n"), (Lines{"@end"}));
    EXPECT_EQ(lines("#c\n@end\n"), (Lines{"@end"}));
    EXPECT_EQ(lines(""), (Lines{"@end"}));
    EXPECT_EQ(lines("a\nb"), (Lines{"a", "b", "@end"}));
    // The supplied marker belongs to the line after the last.
    EXPECT_EQ(preprocessText("a\nb\n").lineNumbers, (std::vector<int>{1, 2, 3}));
    // A name can stand for the marker: it is the text after replacement that counts.
    EXPECT_EQ(lines("Define E @end\nE\nb\n"), (Lines{"@end"}));
}

TEST(Preprocess, LineEndings) {
    EXPECT_EQ(lines("a b\r\nc\r\n@end\r\n"), (Lines{"a b", "c", "@end"}));
    // One CR before the LF is dropped; others stay (and separate words).
    EXPECT_EQ(lines("a\r\r\nb\rc\n"), (Lines{"a\r", "b\rc", "@end"}));
    EXPECT_EQ(lines("x\r\n\r\ny\n"), (Lines{"x", "y", "@end"}));
}

TEST(Preprocess, NulBytesStayInTheirLine) {
    const std::string text("a\0b 1.5\n\0\n", 10);
    EXPECT_EQ(lines(text), (Lines{std::string("a\0b 1.5", 7), std::string(1, '\0'), "@end"}));
}

TEST(Preprocess, MegabyteLine) {
    std::string big;
    const std::string unit = "duration 1.5 GL_ONE x ";
    while (big.size() < (1u << 20)) big += unit;
    std::string expected;
    for (size_t i = 0; i < big.size() / unit.size(); i++) expected += "duration 1500 1 x ";
    const PreprocessedScript out = preprocessText("0 " + big + "\nnext\n");
    ASSERT_EQ(out.lines.size(), 3u);
    EXPECT_EQ(out.lines[0], "0 " + expected);
    EXPECT_EQ(out.lines[1], "next");
    EXPECT_TRUE(out.runawayLines.empty());
}

static std::vector<RunawayLine> cycles(std::vector<int> numbers) {
    std::vector<RunawayLine> out;
    for (int n : numbers) out.push_back({n, Runaway::Cycle});
    return out;
}

// A name whose text names itself is left as written where it would expand
// again; the rest of its line is expanded as usual.
TEST(Preprocess, SelfReferenceStops) {
    const PreprocessedScript direct = preprocessText("Define A A\nA x\nGL_ONE\n");
    ASSERT_EQ(direct.lines.size(), 3u);
    EXPECT_EQ(direct.lines[0], "A x");
    EXPECT_EQ(direct.lines[1], "1");
    EXPECT_EQ(direct.runawayLines, cycles({1, 2}));

    const PreprocessedScript mutual = preprocessText("Define A B\nDefine B A\nA\nB GL_ZERO\n");
    ASSERT_EQ(mutual.lines.size(), 3u);
    EXPECT_EQ(mutual.lines[0], "B");
    EXPECT_EQ(mutual.lines[1], "B 0");
    EXPECT_EQ(mutual.runawayLines, cycles({2, 3, 4}));
}

TEST(Preprocess, GrowingSelfReferenceStaysSmall) {
    const PreprocessedScript out = preprocessText("Define A A A\nA\nDefine G A x\nG\nok GL_ONE\n");
    ASSERT_EQ(out.lines.size(), 4u);
    EXPECT_EQ(out.lines[0], "A");
    EXPECT_EQ(out.lines[1], "A x");  // G itself settles
    EXPECT_EQ(out.lines[2], "ok 1");
    EXPECT_EQ(out.runawayLines, cycles({1, 2, 3, 4}));
}

// Definitions that double their text at every level, written so that each
// use expands them anew: 2^20 words come out whole.
static std::string doubling(int levels) {
    std::string text;
    for (int i = levels; i > 0; i--)
        text += "Define L" + std::to_string(i) + " L" + std::to_string(i - 1) + " L" + std::to_string(i - 1) + "\n";
    return text + "Define L0 ab\n";
}

TEST(Preprocess, LargeFiniteExpansionComesOutWhole) {
    const PreprocessedScript out = preprocessText(doubling(20) + "L20\nnext GL_ONE\n");
    ASSERT_EQ(out.lines.size(), 3u);
    ASSERT_EQ(out.lines[0].size(), (size_t(3) << 20) - 1);
    EXPECT_EQ(out.lines[0].substr(0, 9), "ab ab ab ");
    EXPECT_EQ(std::count(out.lines[0].begin(), out.lines[0].end(), ' '), (1 << 20) - 1);
    EXPECT_EQ(out.lines[1], "next 1");
    EXPECT_TRUE(out.runawayLines.empty());
}

// Past 16 MiB a line is cut off and said to be too large, not to name itself.
TEST(Preprocess, ExpansionPastTheBoundIsCutAndSaidSo) {
    const PreprocessedScript out = preprocessText(doubling(24) + "0 L24\nnext GL_ONE\n");
    ASSERT_EQ(out.lines.size(), 3u);
    EXPECT_EQ(out.lines[0], "0 L24");
    EXPECT_EQ(out.lines[1], "next 1");
    EXPECT_EQ(out.runawayLines, (std::vector<RunawayLine>{{26, Runaway::Size}}));
}
