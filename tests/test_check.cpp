// korvane-check on small shows, one class of fault each: the exact lines it
// prints, and its exit status.
#include <gtest/gtest.h>
#include <sys/stat.h>  // Required for: mkfifo

#include <algorithm>

#include "shapes3ds.h"
#include "support/check_show.h"

namespace {

class Check : public CheckShowTest {};

// The one finding that starts with prefix, checked to hold text.
void expectFinding(const CheckRun& run, const std::string& prefix, const std::string& text) {
    const std::vector<std::string> found = linesStartingWith(run, prefix);
    ASSERT_EQ(found.size(), 1u) << "no single finding '" << prefix << "' in:\n" << ::testing::PrintToString(run.lines);
    EXPECT_NE(found[0].find(text), std::string::npos) << found[0];
}

TEST_F(Check, CleanShowOfEveryKindHasNoFinding) {
    ASSERT_TRUE(writeCheckJpeg(show.data() + "/b.jpg"));
    ASSERT_TRUE(writeCheckModel(show.data() + "/box.3ds"));
    ASSERT_TRUE(writeCheckOgg(show.data() + "/music.ogg"));
    const CheckRun r = run(
        "# Pictures, a model, music, a sync pulse and the end.\n"
        "Define FADEIN opacity 0 to 1\n"
        "Default !fullscreen 800x600\n"
        "Sync 21 0.5 22 0.5\n"
        "@sync\n"
        "0 track 21 type 1 object a.jpg center insync\n"
        "0 track 22 type 1 object b.jpg center blendFunc GL_SRC_ALPHA GL_ONE insync\n"
        "0 track 5 type 1 object a.jpg to b.jpg center FADEIN \\\n"
        "    duration 2.0\n"
        "0.5 track 3 type 0 object box.3ds mask b.jpg translate 0 0 -5 angle 0 to 90 rotate 0 1 0 duration 1.5\n"
        "1.0 track 1 type 1 object a.jpg sync 0 duration 1.0\n"
        "1.0 scene 1 track 2 color 1 0.5 0.2 duration 1.0 wireframe\n"
        "2.0 end\n"
        "@end\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.lines.empty()) << ::testing::PrintToString(r.lines);
}

TEST(CheckExamples, MinimalShowIsClean) {
    const CheckRun r = runCheck(std::string(KORVANE_SOURCE_DIR) + "/examples/minimal");
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.lines.empty()) << ::testing::PrintToString(r.lines);
}

// The sample show uses every part of the language and every kind of asset.
TEST(CheckExamples, SampleShowIsClean) {
    const CheckRun r = runCheck(std::string(KORVANE_SOURCE_DIR) + "/examples/demo");
    EXPECT_EQ(r.status, 0) << r.errors;
    EXPECT_TRUE(r.lines.empty()) << ::testing::PrintToString(r.lines);
    EXPECT_EQ(r.errors, "");
}

TEST_F(Check, ScriptThatCannotBeReadGivesStatusTwo) {
    const CheckRun r = runCheck(show.path());  // data/ holds no script.txt
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.errors.find("script.txt"), std::string::npos) << r.errors;
    EXPECT_EQ(runCheck(show.path() + "/nowhere").status, 2);
    // A pipe would block the open until something writes to it.
    ASSERT_EQ(mkfifo((show.data() + "/script.txt").c_str(), 0644), 0);
    const CheckRun pipe = runCheck(show.path());
    EXPECT_EQ(pipe.status, 2);
    EXPECT_NE(pipe.errors.find("/data/script.txt: not a plain file (a named pipe)"), std::string::npos) << pipe.errors;
}

TEST_F(Check, NoTimelineMarker) {
    const CheckRun r = run("Default !fullscreen\n0 track 1 type 1 object a.jpg duration 1.0\n1.0 end\n");
    EXPECT_EQ(r.status, 1);
    ASSERT_EQ(r.lines.size(), 1u) << ::testing::PrintToString(r.lines);
    expectFinding(r, "data/script.txt: error: ", "\"@sync\"");
}

TEST_F(Check, StatementWithoutStartTime) {
    const CheckRun r = run(
        "@sync\n"
        "0 track 1 type 1 object a.jpg duration 1.0\n"
        "track 2 type 1 object a.jpg duration 1.0\n"
        "1.0 end\n");
    EXPECT_EQ(r.status, 1);
    ASSERT_EQ(r.lines.size(), 3u) << ::testing::PrintToString(r.lines);
    expectFinding(r, "data/script.txt:3: error: ", "starts with 'track', not a time");
    // The parser took 'track' for the time, so its operand stands alone, and
    // the scene keeps the track of the one before.
    expectFinding(r, "data/script.txt:3: warning: ", "'2' is not a keyword");
    expectFinding(r, "data/script.txt:3: note: ", "runs at the same time as the one on line 2");
}

TEST_F(Check, SyncClauseNamingNoListOrAnEmptyOne) {
    const CheckRun r = run(
        "Sync\n"
        "@sync\n"
        "0 track 1 type 1 object a.jpg insync\n"
        "0.5 track 2 type 1 object a.jpg sync 0 duration 0.5\n"
        "0.5 track 3 type 1 object a.jpg \\\n"
        "  sync 3 duration 0.5\n"
        "1.0 end\n");
    EXPECT_EQ(r.status, 1);
    ASSERT_EQ(r.lines.size(), 2u) << ::testing::PrintToString(r.lines);
    expectFinding(r, "data/script.txt:4: error: ", "'sync 0' names an empty sync list (line 1)");
    expectFinding(r, "data/script.txt:6: error: ", "'sync 3' names no sync list (the script has 1");
}

TEST_F(Check, SyncMarkOfATrackNoSceneHas) {
    const CheckRun r = run(
        "Sync 1 0.5 7 0.5\n"
        "@sync\n"
        "0 track 1 type 1 object a.jpg insync\n"
        "0 track 2 type 1 object a.jpg sync 0 duration 1.0\n"
        "1.0 end\n");
    EXPECT_EQ(r.status, 1);
    ASSERT_EQ(r.lines.size(), 1u) << ::testing::PrintToString(r.lines);
    expectFinding(r, "data/script.txt:1: error: ", "mark 2 of sync list 0 shows track 7, which no scene has");
}

TEST_F(Check, MissingNamesWithHints) {
    ASSERT_TRUE(writeCheckJpeg(show.data() + "/Sky.jpg"));
    ASSERT_TRUE(writeCheckJpeg(show.data() + "/photo.jpeg"));
    ASSERT_TRUE(writeCheckModel(show.data() + "/ship.3DS"));
    ASSERT_TRUE(writeCheckModel(show.data() + "/box.3ds"));
    const CheckRun r = run(
        "@sync\n"
        "0 track 1 type 1 object sky.jpg duration 1.0\n"
        "0 track 2 type 1 object photo.jpeg duration 1.0\n"
        "0 track 3 type 0 object ship.3DS duration 1.0\n"
        "0 track 4 type 0 object bx.3ds mask a.jpg duration 1.0\n"
        "0 track 5 type 0 object box.3ds mask A.JPG duration 1.0\n"
        "1.0 end\n");
    EXPECT_EQ(r.status, 1);
    expectFinding(r, "data/script.txt:2: error: ", "no image 'sky.jpg' in data; data has 'Sky.jpg' (names are case-sensitive)");
    expectFinding(r, "data/script.txt:3: error: ", "'photo.jpeg' is no image or model name");
    expectFinding(r, "data/script.txt:3: error: ", "data has 'photo.jpeg' but the player does not load it");
    expectFinding(r, "data/script.txt:4: error: ", "no model 'ship.3DS' in data; data has 'ship.3DS' but the player does not load it");
    expectFinding(r, "data/script.txt:5: error: ", "did you mean 'box.3ds'?");
    expectFinding(r, "data/script.txt:6: error: ", "no image 'A.JPG' in data; data has 'a.jpg'");
    // The files the scan passes over are named too.
    expectFinding(r, "data/photo.jpeg: warning: ", "not loaded");
    expectFinding(r, "data/ship.3DS: warning: ", "not loaded");
    EXPECT_EQ(r.lines.size(), 7u) << ::testing::PrintToString(r.lines);
}

TEST_F(Check, FilesThePlayerCannotDecode) {
    show.write("bad.jpg", "this is no JPEG\n");
    std::string cut = file3DS({boxMesh("box")});
    cut.resize(cut.size() - 10);
    show.write("cut.3ds", cut);
    Mesh3DS holes = boxMesh("holes");
    holes.faces.push_back({0, 1, 200});
    show.write("holes.3ds", file3DS({holes}));
    show.write("noise.ogg", std::string(4000, '\x5a'));
    const CheckRun r = run("@sync\n1.0 end\n");
    EXPECT_EQ(r.status, 1);
    expectFinding(r, "data/bad.jpg: error: ", "cannot be decoded");
    expectFinding(r, "data/cut.3ds: error: ", "the chunk walk stops early");
    expectFinding(r, "data/holes.3ds: error: ", "1 triangles name vertices the file does not have");
    expectFinding(r, "data/noise.ogg: error: ", "SDL_mixer cannot open it");
    EXPECT_EQ(r.lines.size(), 4u) << ::testing::PrintToString(r.lines);
}

TEST_F(Check, MusicOfWhichOnlyTheLastPlaysAndAnMp3WithoutFrames) {
    ASSERT_TRUE(writeCheckOgg(show.data() + "/a.ogg"));
    ASSERT_TRUE(writeCheckOgg(show.data() + "/b.ogg"));
    show.write("junk.mp3", std::string(3000, '\x11'));
    ASSERT_EQ(runCommand("sox -n -r 22050 -c 1 '" + show.data() + "/tone.mp3' synth 0.2 sine 440 2>/dev/null"), 0);
    const CheckRun r = run("@sync\n1.0 end\n");
    EXPECT_EQ(r.status, 0);  // warnings only
    for (const char* early : {"a.ogg", "b.ogg", "junk.mp3"})
        EXPECT_EQ(linesStartingWith(r, "data/" + std::string(early) + ": warning: several music files: only 'tone.mp3'").size(), 1u)
            << early << ::testing::PrintToString(r.lines);
    expectFinding(r, "data/junk.mp3: warning: no MPEG", "may play as silence or noise");
    EXPECT_TRUE(linesStartingWith(r, "data/tone.mp3:").empty()) << ::testing::PrintToString(r.lines);
    EXPECT_EQ(r.lines.size(), 4u) << ::testing::PrintToString(r.lines);
}

TEST_F(Check, DefinitionThatNeverStopsExpanding) {
    const CheckRun r = run(
        "Define LOOP LOOP LOOP\n"
        "@sync\n"
        "0 track 1 type 1 object a.jpg duration 1.0 LOOP\n"
        "1.0 end\n");
    EXPECT_EQ(r.status, 1);
    const auto errors = linesStartingWith(r, "data/script.txt:");
    ASSERT_FALSE(errors.empty());
    expectFinding(r, "data/script.txt:1: error: ", "never stops expanding");
    // Every word LOOP left in the statement is one finding, not one per copy.
    EXPECT_LE(r.lines.size(), 3u) << ::testing::PrintToString(r.lines);
}

// Definitions that double at every level: 2^24 words pass the player's
// bound, which is said as it is; the text names nothing of itself.
TEST_F(Check, ExpansionPastTheBoundIsNotCalledSelfNaming) {
    std::string script;
    for (int i = 24; i > 0; i--)
        script += "Define L" + std::to_string(i) + " L" + std::to_string(i - 1) + " L" + std::to_string(i - 1) + "\n";
    script += "Define L0 ab\n@sync\n0 track 1 type 1 object a.jpg duration 1.0 L24\n1.0 end\n";
    const CheckRun r = run(script);
    EXPECT_EQ(r.status, 1);
    expectFinding(r, "data/script.txt:27: error: ", "past the player's bound (16 MiB a line");
    expectFinding(r, "data/script.txt:27: warning: ", "'L24' is not a keyword and is ignored: its expansion passed");
    for (const std::string& line : r.lines) {
        EXPECT_EQ(line.find("names itself"), std::string::npos) << line;
        EXPECT_EQ(line.find("never stop"), std::string::npos) << line;
    }
}

TEST_F(Check, WordsThatAreNoKeywordsAndOperandsThatAreNoNumbers) {
    const CheckRun r = run(
        "Default !fulscreen 1280x1024\n"
        "@sync\n"
        "0 track 1 type 1 object a.jpg opacty 0.5 duration 1.0\n"
        "0 track 2 type 1 object a.jpg Center opacity x duration 1.0\n"
        "0 track 3 type 1 object a.jpg duration 1.0 blendFunc GL_SRC_ALPA GL_ONE\n"
        "0 track 4 type 1 object a.jpg move 12abc 0 duration 1.0 opacity\n"
        "1.0 end\n");
    EXPECT_EQ(r.status, 0);
    expectFinding(r, "data/script.txt:1: warning: option '!fulscreen'", "did you mean '!fullscreen'?");
    expectFinding(r, "data/script.txt:1: warning: option '1280x1024'", "the sizes are 640x480, 800x600 and 1024x768");
    // 'opacty' is ignored, and its operand 0.5 with it: one finding.
    expectFinding(r, "data/script.txt:3: warning: 'opacty'", "and so is its operand '0.5'; did you mean 'opacity'?");
    expectFinding(r, "data/script.txt:4: warning: 'Center'", "did you mean 'center'?");
    expectFinding(r, "data/script.txt:4: warning: 'x'", "is not a number (operand of 'opacity')");
    expectFinding(r, "data/script.txt:5: warning: 'GL_SRC_ALPA'", "did you mean 'GL_SRC_ALPHA'?");
    expectFinding(r, "data/script.txt:6: warning: '12abc'", "is read as 12");
    expectFinding(r, "data/script.txt:6: warning: 'opacity'", "lacks its operands");
    EXPECT_EQ(r.lines.size(), 8u) << ::testing::PrintToString(r.lines);
}

TEST_F(Check, FindingOnTheContinuedPartOfALine) {
    const CheckRun r = run(
        "@sync\n"
        "0 track 1 type 1 object a.jpg \\\n"
        "    opacty 1 \\\n"
        "    duration 1.0\n"
        "1.0 end\n");
    ASSERT_EQ(r.lines.size(), 1u) << ::testing::PrintToString(r.lines);
    expectFinding(r, "data/script.txt:3: warning: 'opacty'", "and so is its operand '1'; did you mean 'opacity'?");
}

TEST_F(Check, FindingInsideADefinitionsText) {
    const CheckRun r = run(
        "# A typo in a definition shows where it is used.\n"
        "Define FADE opacty 0 to 1\n"
        "@sync\n"
        "0 track 1 type 1 object a.jpg \\\n"
        "  duration 1.0 FADE\n"
        "1.0 end\n");
    expectFinding(r, "data/script.txt:5: warning: 'opacty'", "in the text of FADE (line 2)");
}

TEST_F(Check, SpansThatVanishRunPastTheEndOrComeOutOfOrder) {
    const CheckRun r = run(
        "@sync\n"
        "0.5 track 1 type 1 object a.jpg duration 1.0\n"
        "0.2 track 2 type 1 object a.jpg duration 0.1\n"
        "0.5 track 3 type 1 object a.jpg\n"
        "0.6 track 4 type 1 object a.jpg duration 5.0\n"
        "0.7 track 5 type 1 object a.jpg duration 2\n"
        "0.8 track 6 type 1 object a.jpg duration 3000000.0\n"
        "1.5 end\n"
        "1.6 track 7 type 1 object a.jpg duration 0.1\n");
    EXPECT_EQ(r.status, 0);
    expectFinding(r, "data/script.txt:3: warning: ", "after the statement on line 2, at 0.5 s");
    EXPECT_NE(linesStartingWith(r, "data/script.txt:3: warning: ")[0].find("never shown"), std::string::npos);
    expectFinding(r, "data/script.txt:4: warning: ", "no 'duration' and no 'insync'");
    expectFinding(r, "data/script.txt:5: warning: ", "runs until 5.6 s, past the end of the show at 1.5 s (line 8)");
    expectFinding(r, "data/script.txt:6: warning: ", "lasts 2 ms");
    EXPECT_EQ(linesStartingWith(r, "data/script.txt:7: warning: a time beyond the range").size(), 1u)
        << ::testing::PrintToString(r.lines);
    EXPECT_EQ(linesStartingWith(r, "data/script.txt:7: warning: runs until 2147483.647 s").size(), 1u)
        << ::testing::PrintToString(r.lines);
    expectFinding(r, "data/script.txt:9: warning: ", "never played: the show ends before it, on line 8");
    EXPECT_EQ(r.lines.size(), 7u) << ::testing::PrintToString(r.lines);
}

TEST_F(Check, RotationHalvesTypesAndAMissingEnd) {
    ASSERT_TRUE(writeCheckModel(show.data() + "/box.3ds"));
    const CheckRun r = run(
        "@sync\n"
        "0 track 1 type 0 object box.3ds rotate 0 1 0 duration 1.0\n"
        "0 track 2 type 0 object box.3ds angle 45 duration 1.0\n"
        "0 track 3 object a.jpg duration 1.0\n");
    EXPECT_EQ(r.status, 0);
    expectFinding(r, "data/script.txt:2: warning: ", "'rotate' without 'angle'");
    expectFinding(r, "data/script.txt:3: warning: ", "'angle' without 'rotate'");
    expectFinding(r, "data/script.txt:4: warning: ", "no 'type'");
    expectFinding(r, "data/script.txt: warning: ", "no statement with 'end'");
    EXPECT_EQ(r.lines.size(), 4u) << ::testing::PrintToString(r.lines);
}

TEST_F(Check, FindingsArePrintedInLineOrder) {
    const CheckRun r = run(
        "@sync\n"
        "0 track 1 type 1 object a.jpg durtion 1.0\n"
        "0 track 2 type 1 object nothere.jpg duration 1.0\n"
        "0 track 3 type 1 object a.jpg opacity q duration 1.0\n");
    std::vector<int> lines;
    for (const std::string& line : linesStartingWith(r, "data/script.txt:"))
        if (line.compare(0, 17, "data/script.txt: ") != 0) lines.push_back(std::stoi(line.substr(16)));
    ASSERT_GE(lines.size(), 3u) << ::testing::PrintToString(r.lines);
    EXPECT_TRUE(std::is_sorted(lines.begin(), lines.end())) << ::testing::PrintToString(r.lines);
    EXPECT_EQ(r.status, 1);  // the missing image
}

TEST_F(Check, ModelNamingATextureDataLacks) {
    ASSERT_TRUE(writeCheckJpeg(show.data() + "/box.jpg"));
    ASSERT_TRUE(writeBytes(show.data() + "/box.3ds", file3DS({boxMesh("box")}, "BOX.JPG")));
    ASSERT_TRUE(writeBytes(show.data() + "/own.3ds", file3DS({boxMesh("own")}, "box.jpg")));
    const CheckRun r = run("@sync\n1.0 end\n");
    EXPECT_EQ(r.status, 0);
    ASSERT_EQ(r.lines.size(), 1u) << ::testing::PrintToString(r.lines);
    expectFinding(r, "data/box.3ds: warning: its texture 'BOX.JPG' is not an image in data", "data has 'box.jpg'");
}

TEST_F(Check, SyncLineValuesAndStatementsTheEndCutsOff) {
    const CheckRun r = run(
        "Sync 1 0.5 2 3000000.0 \\\n"
        "  1 half 2\n"
        "@sync\n"
        "0 track 1 type 1 object a.jpg insync\n"
        "0 track 2 type 1 object a.jpg insync\n"
        "1.0 end\n"
        "1.0 track 3 type 1 object a.jpg duration 0.5\n");
    EXPECT_EQ(r.status, 0);
    expectFinding(r, "data/script.txt:1: warning: ", "a time beyond the range of show time");
    expectFinding(r, "data/script.txt:2: warning: sync value 'half'", "is not a number; it is read as 0");
    expectFinding(r, "data/script.txt:2: warning: sync value '2'", "has no length and is dropped");
    // In the same group as the end, but after it: the parser never gets there.
    expectFinding(r, "data/script.txt:7: warning: ", "never played: the show ends before it, on line 6");
    EXPECT_EQ(r.lines.size(), 4u) << ::testing::PrintToString(r.lines);
}

// A name of two bytes ending in a point once threw out of the checker.
TEST_F(Check, ShortNamesEndingInAPoint) {
    const CheckRun r = run(
        "@sync\n"
        "0 track 1 type 1 object 1. duration 1.0\n"
        "0 track 2 type 1 object a.jpg mask 2. duration 1.0\n"
        "1.0 end\n");
    EXPECT_EQ(r.status, 1) << r.errors;
    expectFinding(r, "data/script.txt:2: error: '1.'", "is no image or model name");
    expectFinding(r, "data/script.txt:3: error: '2.'", "is no image or model name");
    EXPECT_EQ(r.errors, "");
}

// Thousands of faults on one line give the first 20 of each kind and a
// count of the rest; a fault of another kind is not crowded out.
TEST_F(Check, RepeatedFindingsOnOneLineAreCounted) {
    std::string options, words;
    for (int i = 0; i < 30; i++) options += " opt" + std::to_string(i);
    for (int i = 0; i < 25; i++) words += " w" + std::to_string(i);
    const CheckRun r = run("Default" + options + "\n@sync\n0 track 1 type 1 object a.jpg" + words +
                           " mask nothere.jpg duration 1.0\n1.0 end\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(linesStartingWith(r, "data/script.txt:1: warning: option 'opt").size(), 20u) << ::testing::PrintToString(r.lines);
    expectFinding(r, "data/script.txt:1: warning: and ",
                  "and 10 more options the player does not know on this line (the first 20 are listed)");
    EXPECT_EQ(linesStartingWith(r, "data/script.txt:3: warning: 'w").size(), 20u) << ::testing::PrintToString(r.lines);
    expectFinding(r, "data/script.txt:3: warning: and ", "and 5 more ignored words in this statement (the first 20 are listed)");
    expectFinding(r, "data/script.txt:3: error: ", "no image 'nothere.jpg' in data");
    EXPECT_EQ(r.lines.size(), 43u) << ::testing::PrintToString(r.lines);
}

// Bytes that would act on the author's terminal, or that form no UTF-8
// character, are written out as \xNN in every message.
TEST_F(Check, NamesWithControlBytesAndBytesThatAreNotUtf8AreWrittenOut) {
    const CheckRun r = run(
        "@sync\n"
        "0 track 1 type 1 object a\x1b]0;hi\x07.jpg duration 1.0\n"
        "0 track 2 type 1 object b\xff.jpg duration 1.0\n"
        "0 track 3 type 1 object c\xc2\x9b" "2J\xc3\xa9.jpg duration 1.0\n"
        "1.0 end\n");
    EXPECT_EQ(r.status, 1);
    expectFinding(r, "data/script.txt:2: error: ", "no image 'a\\x1B]0;hi\\x07.jpg' in data");
    expectFinding(r, "data/script.txt:3: error: ", "no image 'b\\xFF.jpg' in data");
    // C1 controls are written out; other characters stay as they are.
    expectFinding(r, "data/script.txt:4: error: ", "no image 'c\\xC2\\x9B2J\xc3\xa9.jpg' in data");
    for (const std::string& line : r.lines)
        for (const char c : line)
            EXPECT_TRUE(static_cast<unsigned char>(c) >= 0x20 && c != 0x7F) << line;
}

}  // namespace

// GL refuses a pair of numbers that are no blend factors, and the scene
// then blends with factors an earlier scene left.
TEST_F(Check, BlendFactorsGLRefuses) {
    const CheckRun r = run(
        "@sync\n"
        "0 track 1 type 1 object a.jpg blend blendFunc GL_ONE GL_ONE_MINUS_SRC_ALPHA duration 1.0\n"
        "0 track 2 type 1 object a.jpg blend blendFunc 5 GL_ONE duration 1.0\n"
        "0 track 3 type 1 object a.jpg blendFunc 770 772 duration 1.0\n"
        "1.0 end\n");
    EXPECT_EQ(r.status, 0);
    expectFinding(r, "data/script.txt:3: warning: ", "GL refuses 'blendFunc 5 1' ('5' is no blend factor)");
    EXPECT_EQ(r.lines.size(), 1u) << ::testing::PrintToString(r.lines);
}
