// korvane-check --timeline: a well-formed SVG with a bar per scene, sync
// segments as the compositor will take the marks, and the end marked.
#include <gtest/gtest.h>

#include <regex>
#include <set>

#include "support/check_run.h"
#include "support/showdir.h"

namespace {

size_t count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size())) n++;
    return n;
}

class Timeline : public ::testing::Test {
protected:
    ShowDir show;
    std::string svg;

    void SetUp() override {
        ASSERT_TRUE(writeCheckJpeg(show.data() + "/a.jpg"));
        ASSERT_TRUE(writeCheckJpeg(show.data() + "/b.jpg"));
        ASSERT_TRUE(writeCheckModel(show.data() + "/box.3ds"));
        show.writeScript(
            "Sync 21 0.5 22 0.5\n"
            "@sync\n"
            "0 track 21 type 1 object a.jpg insync\n"
            "0 track 22 type 1 object b.jpg insync\n"
            "0 track 3 type 1 object a.jpg duration 1.0\n"
            "0.5 track 2 type 0 object box.3ds duration 2.0\n"
            "1.0 track 1 type 1 object a.jpg sync 0 duration 2.0\n"
            "1.5 scene 1 track 4 duration 0.5\n"
            "2.0 track 5 type 1 object x<&>\".jpg duration 0.5\n"
            "3.0 end\n"
            "@end\n");
        const std::string path = show.path() + "/timeline.svg";
        const CheckRun r = runCheck(show.path(), "--timeline '" + path + "'");
        ASSERT_EQ(r.status, 1) << ::testing::PrintToString(r.lines);  // the odd image name is missing
        svg = readFile(path);
        ASSERT_FALSE(svg.empty());
    }
};

TEST_F(Timeline, IsWellFormedXml) {
    EXPECT_EQ(runCommand("xmllint --noout '" + show.path() + "/timeline.svg'"), 0);
    EXPECT_NE(svg.find("x&lt;&amp;&gt;&quot;.jpg"), std::string::npos);
}

TEST_F(Timeline, HoldsOneBarPerScene) {
    std::set<int> lines;
    const std::regex bar("<g class=\"scene\" data-line=\"([0-9]+)\">");
    for (auto it = std::sregex_iterator(svg.begin(), svg.end(), bar); it != std::sregex_iterator(); ++it)
        lines.insert(std::stoi((*it)[1]));
    EXPECT_EQ(count(svg, "<g class=\"scene\""), 7u);
    EXPECT_EQ(lines, (std::set<int>{3, 4, 5, 6, 7, 8, 9}));
    EXPECT_NE(svg.find(">box.3ds<"), std::string::npos);
    EXPECT_NE(svg.find(">tube<"), std::string::npos);
}

TEST_F(Timeline, SyncSegmentsFollowTheMarks) {
    // Two marks of 0.5 s over the sync scene's two seconds: four segments.
    for (const char* segment : {"track 21: a.jpg, 1.0 s to 1.5 s", "track 22: b.jpg, 1.5 s to 2.0 s",
                                "track 21: a.jpg, 2.0 s to 2.5 s", "track 22: b.jpg, 2.5 s to 3.0 s"})
        EXPECT_EQ(count(svg, std::string("<title>") + segment + "</title>"), 1u) << segment;
    EXPECT_EQ(count(svg, "<title>track 2"), 4u);
}

TEST_F(Timeline, MarksTheEndAndTheTimeAxis) {
    EXPECT_EQ(count(svg, ">end 3.0 s<"), 1u);
    for (const char* tick : {">0.0 s<", ">1.0 s<", ">2.0 s<", ">3.0 s<"}) EXPECT_NE(svg.find(tick), std::string::npos) << tick;
    for (int track : {1, 2, 3, 4, 5, 21, 22}) EXPECT_NE(svg.find(">track " + std::to_string(track) + "<"), std::string::npos);
}

// The compositor passes over a mark whose track no scene has, and a sync
// scene whose first mark finds nothing keeps its own look.
TEST(TimelineMarks, SkippedMarksAndAMissingFirstTemplate) {
    ShowDir show;
    ASSERT_TRUE(writeCheckJpeg(show.data() + "/a.jpg"));
    ASSERT_TRUE(writeCheckJpeg(show.data() + "/b.jpg"));
    show.writeScript(
        "Sync 21 0.5 9 0.5 22 0.5\n"
        "Sync 23 1.0\n"
        "@sync\n"
        "0 track 21 type 1 object a.jpg insync\n"
        "0 track 22 type 1 object b.jpg insync\n"
        "1.0 track 1 type 1 object a.jpg sync 0 duration 1.5\n"
        "1.0 track 2 type 1 object b.jpg sync 1 duration 1.0\n"
        "1.5 track 23 type 1 object a.jpg insync\n"
        "3.0 end\n");
    const std::string path = show.path() + "/t.svg";
    const CheckRun r = runCheck(show.path(), "--timeline '" + path + "'");
    EXPECT_EQ(r.status, 1);  // track 9
    EXPECT_EQ(linesStartingWith(r, "data/script.txt:1: error: mark 2 of sync list 0 shows track 9").size(), 1u)
        << ::testing::PrintToString(r.lines);
    const std::string svg = readFile(path);
    for (const char* segment : {"track 21: a.jpg, 1.0 s to 1.5 s", "track 22: b.jpg, 1.5 s to 2.0 s",
                                "track 21: a.jpg, 2.0 s to 2.5 s"})
        EXPECT_EQ(count(svg, std::string("<title>") + segment + "</title>"), 1u) << segment;
    EXPECT_EQ(count(svg, "<title>track 9"), 0u);
    EXPECT_EQ(count(svg, "<title>track 23"), 0u);  // its template comes half a second late
    EXPECT_NE(svg.find("b.jpg (no template found)"), std::string::npos);
}

// Names holding control bytes or bytes that form no UTF-8 character are
// written out, so the picture stays well-formed XML.
TEST(TimelineNames, BytesThatAreNotTextAreWrittenOut) {
    ShowDir show;
    show.writeScript(
        "@sync\n"
        "0 track 1 type 1 object bad\xff\xfe.jpg duration 1.0\n"
        "0 track 2 type 1 object ctl\x01\x1b.jpg duration 1.0\n"
        "0 track 3 type 1 object cut\xe2\x82.jpg duration 1.0\n"
        "1.0 end\n");
    const std::string path = show.path() + "/t.svg";
    ASSERT_EQ(runCheck(show.path(), "--timeline '" + path + "'").status, 1);
    EXPECT_EQ(runCommand("xmllint --noout '" + path + "'"), 0);
    const std::string svg = readFile(path);
    EXPECT_NE(svg.find("bad\\xFF\\xFE.jpg"), std::string::npos);
    EXPECT_NE(svg.find("ctl\\x01\\x1B.jpg"), std::string::npos);
    EXPECT_NE(svg.find("cut\\xE2\\x82.jpg"), std::string::npos);
}

}  // namespace
