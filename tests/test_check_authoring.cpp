// korvane-check on mistakes real authors made that the player plays without
// a word: music it passes over, objects of the wrong kind, templates that
// are gone, misspelt clauses, indented comments, lines continued into a
// comment or the end marker, start times from definitions, models and
// pictures that load only in part, sync lists longer than the show, scenes
// of one track at once and times a little off the beat; and the lists of
// models and of beats.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "arguments.h"
#include "shapes3ds.h"
#include "support/capture_run.h"
#include "support/check_show.h"

namespace {

class CheckAuthoring : public CheckShowTest {};

// The lines that hold text (a finding's file may be written with its directory).
std::vector<std::string> linesHolding(const CheckRun& run, const std::string& text) {
    std::vector<std::string> found;
    for (const std::string& line : run.lines)
        if (line.find(text) != std::string::npos) found.push_back(line);
    return found;
}

TEST_F(CheckAuthoring, MusicThePlayerPassesOver) {
    for (const char* name : {"theme.s3m", "loop.mod", "voice.wav", "song.flac", "intro.Mp3"})
        show.write(name, std::string(64, 'x'));
    show.write("notes.txt", "not music\n");
    const CheckRun r = run("@sync\n1.0 end\n");
    EXPECT_EQ(r.status, 0);
    for (const char* name : {"theme.s3m", "loop.mod", "voice.wav", "song.flac", "intro.Mp3"}) {
        const auto found = linesStartingWith(r, "data/" + std::string(name) + ": warning: music the player does not play");
        ASSERT_EQ(found.size(), 1u) << name << ::testing::PrintToString(r.lines);
        EXPECT_NE(found[0].find("mp3, ogg, .xm or .it"), std::string::npos) << found[0];
    }
    EXPECT_EQ(r.lines.size(), 5u) << ::testing::PrintToString(r.lines);
}

TEST_F(CheckAuthoring, ModelInAnImageSceneAndImageInAModelScene) {
    ASSERT_TRUE(writeCheckModel(show.data() + "/ship.3ds"));
    const CheckRun r = run(
        "@sync\n"
        "0 track 1 type 1 object ship.3ds duration 1.0\n"
        "0 track 2 type 0 object a.jpg translate 0 0 -5 duration 1.0\n"
        "0 track 3 type 0 object ship.3ds translate 0 0 -5 duration 1.0\n"
        "1.0 end\n");
    EXPECT_EQ(r.status, 1);
    ASSERT_EQ(r.lines.size(), 2u) << ::testing::PrintToString(r.lines);
    EXPECT_EQ(r.lines[0].rfind("data/script.txt:2: error: 'ship.3ds' is a model, but this is an image scene", 0), 0u)
        << r.lines[0];
    EXPECT_NE(r.lines[0].find("in the corner"), std::string::npos);
    EXPECT_EQ(r.lines[1].rfind("data/script.txt:3: error: 'a.jpg' is an image, but this is a model scene", 0), 0u)
        << r.lines[1];
}

TEST_F(CheckAuthoring, TemplateWithoutInsyncIsGoneBeforeItsMark) {
    ASSERT_TRUE(writeCheckJpeg(show.data() + "/b.jpg"));
    const CheckRun r = run(
        "Sync 21 0.5 22 0.5\n"
        "@sync\n"
        "0 track 21 type 1 object a.jpg duration 0.8\n"
        "0 track 22 type 1 object b.jpg insync\n"
        "0 track 5 type 1 object a.jpg sync 0 duration 3.0\n"
        "1.0 track 21 type 1 object b.jpg duration 0.5\n"
        "3.0 end\n");
    EXPECT_EQ(r.status, 0);
    ASSERT_EQ(r.lines.size(), 2u) << ::testing::PrintToString(r.lines);
    EXPECT_EQ(r.lines[0],
              "data/script.txt:3: warning: this scene of track 21 has no 'insync', so it is gone at 0.8 s; mark 1 of sync "
              "list 0 (line 1) needs track 21 at 1.0 s for the sync scene on line 5 and takes the scene on line 6 "
              "instead (give this scene 'insync')");
    EXPECT_EQ(r.lines[1],
              "data/script.txt:6: warning: this scene of track 21 has no 'insync', so it is gone at 1.5 s; mark 1 of sync "
              "list 0 (line 1) needs track 21 at 2.0 s for the sync scene on line 5 and finds no template (give this "
              "scene 'insync')");
}

TEST_F(CheckAuthoring, MisspeltClauseKeepsItsOperandsAndIndentedCommentsGetOneFinding) {
    const CheckRun r = run(
        "Define FADE opacity 0 to 1\n"
        "   # Sync 1 0.5 comes later\n"
        "@sync\n"
        "0 track 1 type 1 object a.jpg FADE colour 1 0 0 duration 1.0\n"
        "\t# fade in the sky at 0.5\n"
        "1.0 end\n");
    EXPECT_EQ(r.status, 1);
    ASSERT_EQ(r.lines.size(), 3u) << ::testing::PrintToString(r.lines);
    // The operands are not looked for in FADE, which holds a 1 and a 0 too.
    EXPECT_EQ(r.lines[0],
              "data/script.txt:2: error: a comment starts in the first column: after blanks, '#' starts none and the line "
              "is read as script: 'Sync' makes a sync list of the words after it");
    EXPECT_EQ(r.lines[1],
              "data/script.txt:4: warning: 'colour' is not a keyword and is ignored, and so are its operands '1 0 0'; did "
              "you mean 'color'?");
    EXPECT_EQ(r.lines[2],
              "data/script.txt:5: error: a comment starts in the first column: after blanks, '#' starts none and the line "
              "is read as script: a statement");
}

// The player drops a line continued into "@end", 'end' and all, and reads a
// comment joined to a statement as words of it: each is named once, at its
// backslash, and so is the lost end by the capture that cannot find one.
TEST_F(CheckAuthoring, LinesContinuedIntoACommentOrTheEndMarker) {
    const CheckRun r = run(
        "@sync\n"
        "0 track 1 type 1 object a.jpg duration 48.0 \\\n"
        "# fades in: opacity 0 to 1, then blends #1 and #2 over 2 s\n"
        "2.0 track 2 type 1 object a.jpg duration 1.0\n"
        "48.0 end \\\n"
        "@end\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.lines, (std::vector<std::string>{
                           "data/script.txt: warning: no statement with 'end': the show never ends by itself (line 5 is "
                           "continued into \"@end\")",
                           "data/script.txt:2: error: the '\\' at the end of this line joins the comment on line 3 to "
                           "it, and its words are read as script, as words of this statement (take the '\\' away to "
                           "keep the comment a comment)",
                           "data/script.txt:5: error: the '\\' at the end of this line joins the end marker \"@end\" "
                           "(line 6) to it: the script ends there, and the player drops this line with its 'end', so the "
                           "show never ends by itself (take the '\\' away)"}));

    const ToolRun capture = runCapture({"--dir", show.path(), "--null"});
    EXPECT_EQ(capture.status, 1);
    EXPECT_EQ(capture.errors.rfind("data/script.txt:5: the '\\' at the end of this line joins the end marker", 0), 0u)
        << capture.errors;
}

// 'DROP track 1' starts at 2 ms when DROP stands for 2.0: the loader
// converts seconds in the first word before it replaces names.
TEST_F(CheckAuthoring, StartTimeFromADefinition) {
    const CheckRun r = run(
        "Define DROP 2.0\n"
        "@sync\n"
        "DROP track 1 type 1 object a.jpg duration 2.0\n"
        "4.0 end\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.lines, (std::vector<std::string>{
                           "data/script.txt:3: warning: the start time '2.0' comes from the definition of DROP, and a "
                           "time a definition supplies as the first word is not converted from seconds: it is read as "
                           "2 ms; start the line with the time itself, or define it in milliseconds ('Define DROP "
                           "2000')"}));
}

// A model drawn with a mask does not need its own texture.
TEST_F(CheckAuthoring, ModelWhoseOwnTextureIsMissingNeedsItOnlyWithoutAMask) {
    ASSERT_TRUE(writeBytes(show.data() + "/masked.3ds", file3DS({boxMesh("masked")}, "HULL.JPG")));
    ASSERT_TRUE(writeBytes(show.data() + "/plain.3ds", file3DS({boxMesh("plain")}, "HULL.JPG")));
    const CheckRun r = run(
        "@sync\n"
        "0 track 1 type 0 object masked.3ds mask a.jpg translate 0 0 -5 duration 1.0\n"
        "0 track 2 type 0 object plain.3ds mask a.jpg translate 0 0 -5 duration 1.0\n"
        "1.0 track 1 type 0 object masked.3ds to masked.3ds mask a.jpg to a.jpg translate 0 0 -5 duration 1.0\n"
        "1.0 track 2 type 0 object plain.3ds translate 0 0 -5 duration 1.0\n"
        "2.0 end\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.lines, (std::vector<std::string>{
                           "data/plain.3ds: warning: its texture 'HULL.JPG' is not an image in data; without a 'mask' "
                           "it is drawn untextured, as the scene on line 5 draws it"}));
}

// Notes on what the player does without fault: marks it never reaches, and
// two scenes of one track drawn in the order it took them.
TEST_F(CheckAuthoring, SyncMarksPastTheEndAndScenesOfOneTrackAtOnce) {
    const CheckRun r = run(
        "Sync 21 1.0 21 1.0 21 1.0 21 1.0\n"
        "@sync\n"
        "0 track 21 type 1 object a.jpg insync\n"
        "0 track 5 type 1 object a.jpg sync 0 duration 3.0\n"
        "0 track 2 type 1 object a.jpg duration 2.0\n"
        "1.5 track 2 type 1 object a.jpg duration 1.0\n"
        "2.5 track 2 type 1 object a.jpg duration 0.5\n"
        "3.0 end\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.lines, (std::vector<std::string>{
                           "data/script.txt:1: note: the marks of sync list 0 run to 4.0 s from the sync scene on line 4 "
                           "(at 0.0 s), past the end of the show at 3.0 s: mark 4 is never shown",
                           "data/script.txt:6: note: this scene of track 2 runs at the same time as the one on line 5, "
                           "from 1.5 s to 2.0 s: both are drawn, that one first and this one after it"}));
}

TEST_F(CheckAuthoring, ModelsAndPicturesThatLoadInPart) {
    show.write("fleet.3ds", file3DS({boxMesh("one"), boxMesh("two", 2.0f), boxMesh("three", 3.0f)}, "a.jpg"));
    // An exporter that left the main chunk's length 0.
    std::string unsized = file3DS({boxMesh("box")});
    unsized.replace(2, 4, 4, '\0');
    show.write("unsized.3ds", unsized);
    ASSERT_EQ(runCommand("convert -size 256x256 plasma:fractal -seed 7 '" + show.data() + "/cut.jpg' 2>/dev/null"), 0);
    const std::string picture = readFile(show.data() + "/cut.jpg");
    show.write("cut.jpg", picture.substr(0, picture.size() / 2));
    const CheckRun r = run("@sync\n1.0 end\n");
    EXPECT_EQ(r.status, 0);
    ASSERT_EQ(r.lines.size(), 3u) << ::testing::PrintToString(r.lines);
    EXPECT_EQ(r.lines[0], "data/cut.jpg: warning: libjpeg reads it only in part (Premature end of JPEG file); the player "
                          "shows what is missing in grey");
    EXPECT_EQ(r.lines[1], "data/fleet.3ds: note: 3 meshes: the player draws them all as one model, with the texture the "
                          "file names last ('a.jpg')");
    EXPECT_EQ(r.lines[2].rfind("data/unsized.3ds: warning: a chunk that holds others claims more bytes than the file has", 0),
              0u)
        << r.lines[2];
}

// Times worked out by hand from the tempo: a start or a sync length a frame
// or two off the beat gets a note naming the beat; one on the beat, or on
// an off-beat, none.
TEST_F(CheckAuthoring, TimesALittleOffTheBeatGetANoteNamingTheBeat) {
    show.writeScript("Sync 1 0.48 1 0.5 1 1.03 1 0.26\n"
                     "@sync\n"
                     "0 track 1 type 1 object a.jpg insync\n"
                     "0.5 track 2 type 1 object a.jpg sync 0 duration 8.0\n"
                     "24.48 track 3 type 1 object a.jpg duration 1.0\n"
                     "24.53 track 4 type 1 object a.jpg duration 1.0\n"
                     "24.75 track 5 type 1 object a.jpg duration 1.0\n"
                     "25.003 track 6 type 1 object a.jpg duration 1.0\n"
                     "30.0 end\n");
    const CheckRun r = runCheck(show.path(), "--bpm 120");
    EXPECT_EQ(r.status, 0) << r.errors;
    const std::vector<std::string> notes = linesHolding(r, ": note: ");
    ASSERT_EQ(notes.size(), 4u) << ::testing::PrintToString(r.lines);
    const char* const expected[] = {
        "script.txt:1: note: mark 1 of sync list 0 lasts 0.480 s, 20 ms short of 1 beat (0.500 s)",
        "script.txt:1: note: mark 3 of sync list 0 lasts 1.030 s, 30 ms longer than 2 beats (1.000 s)",
        "script.txt:5: note: starts at 24.480 s, 20 ms before the beat at 24.500 s",
        "script.txt:6: note: starts at 24.530 s, 30 ms after the beat at 24.500 s"};
    for (const char* note : expected) EXPECT_EQ(linesHolding(r, note).size(), 1u) << note;
    // Without a tempo there is nothing to be off.
    EXPECT_TRUE(linesHolding(run(readFile(show.data() + "/script.txt")), ": note: ").empty());
}

// --beats on clicks at 128 BPM from 0.37 s: the tempo, the first beat, and
// each beat as a time the script reads back within 15 ms of its click; then
// the check, against those beats.
TEST_F(CheckAuthoring, BeatListOfTheMusicAndNotesAgainstIt) {
    ASSERT_EQ(runCommand("sox -r 44100 -n -c 2 '" + show.data() + "/clicks.ogg' synth 0.015 sine 2000 "
                         "fade 0 0.015 0.01 pad 0 0.45375 repeat 83 pad 0.37 2 2>/dev/null"), 0);
    show.writeScript("@sync\n24.25 track 1 type 1 object a.jpg duration 1.0\n30.0 end\n");
    const CheckRun r = runCheck(show.path(), "--beats");
    EXPECT_EQ(r.status, 0) << r.errors;
    ASSERT_GE(r.lines.size(), 2u + 84u) << r.errors;
    double bpm = 0;
    EXPECT_EQ(std::sscanf(r.lines[0].c_str(), "tempo: %lf BPM", &bpm), 1) << r.lines[0];
    EXPECT_NEAR(bpm, 128, 0.5);
    EXPECT_EQ(r.lines[1].rfind("first beat: ", 0), 0u) << r.lines[1];
    EXPECT_EQ(r.lines[1].substr(12), r.lines[2]);
    for (int k = 0; k < 84; k++) {
        int32_t ms = -1;
        ASSERT_TRUE(parseShowTime(r.lines[size_t(k) + 2], ms)) << r.lines[size_t(k) + 2];
        EXPECT_NEAR(ms, 370 + k * 468.75, 15) << "beat " << k;
    }
    // Beat 51 is at 24.276 s.
    const std::vector<std::string> notes = linesHolding(r, ": note: ");
    ASSERT_EQ(notes.size(), 1u) << ::testing::PrintToString(r.lines);
    EXPECT_NE(notes[0].find("script.txt:2: note: starts at 24.250 s, 2"), std::string::npos) << notes[0];
    EXPECT_NE(notes[0].find(" ms before the beat at 24.2"), std::string::npos) << notes[0];
}

TEST_F(CheckAuthoring, ModelListSaysWhatToPlace) {
    Mesh3DS low = boxMesh("low", 2.0f);
    Mesh3DS high = boxMesh("high", 1.0f);
    for (VECTOR& v : high.vertices) v.y += 4.0f;
    show.write("tower.3ds", file3DS({low, high}, "a.jpg"));
    show.write("crate.3ds", file3DS({boxMesh("crate")}, "CRATE.JPG"));
    show.write("ignored.3DS", file3DS({boxMesh("x")}));
    const CheckRun r = runCheck(show.path(), "--models");  // needs no script
    EXPECT_EQ(r.status, 0) << r.errors;
    EXPECT_EQ(r.lines, (std::vector<std::string>{
                           "crate.3ds: 1 mesh, 8 vertices, 12 triangles, texture 'CRATE.JPG' (not an image in data), "
                           "x -0.5 to 0.5, y -0.5 to 0.5, z -0.5 to 0.5",
                           "tower.3ds: 2 meshes, 16 vertices, 24 triangles, texture 'a.jpg' (loaded), x -1 to 1, "
                           "y -1 to 4.5, z -1 to 1"}));
}

}  // namespace
