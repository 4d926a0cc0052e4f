// korvane-capture --resolution: the show's own layout drawn at another frame
// size, as a bigger picture of the same frame: images where the layout puts
// them, the 3D scene over the same share of the picture, lines as much wider,
// black bars or a crop where the shapes differ.
#include <gtest/gtest.h>

#include "support/capture_run.h"
#include "support/e2e_show.h"
#include "support/showdir.h"

static bool lit(const Rgb& c) { return c[0] + c[1] + c[2] > 60; }
// Nearer the white box than the grey behind it.
static bool white(const Rgb& c) { return c[0] > 172 && c[1] > 172 && c[2] > 172; }

struct Span {
    int first = -1, last = -1;  // -1 when no pixel is
};

template <class Test>
static Span spanOfRow(const Picture& p, int y, Test test) {
    Span s;
    for (int x = 0; x < p.width; x++)
        if (test(p.at(x, y))) {
            if (s.first < 0) s.first = x;
            s.last = x;
        }
    return s;
}

template <class Test>
static Span spanOfColumn(const Picture& p, int x, Test test) {
    Span s;
    for (int y = 0; y < p.height; y++)
        if (test(p.at(x, y))) {
            if (s.first < 0) s.first = y;
            s.last = y;
        }
    return s;
}

static Span litSpanOfRow(const Picture& p, int y) { return spanOfRow(p, y, lit); }
static Span litSpanOfColumn(const Picture& p, int x) { return spanOfColumn(p, x, lit); }
static Span whiteSpanOfRow(const Picture& p, int y) { return spanOfRow(p, y, white); }
static Span whiteSpanOfColumn(const Picture& p, int x) { return spanOfColumn(p, x, white); }

// Share of lit pixels in a w x h rectangle.
static double litShare(const Picture& p, int x0, int y0, int w, int h) {
    long count = 0;
    for (int y = y0; y < y0 + h; y++)
        for (int x = x0; x < x0 + w; x++) count += lit(p.at(x, y));
    return double(count) / (double(w) * h);
}

class CaptureResolution : public ::testing::Test {
protected:
    Picture shot(const std::string& time, const std::vector<std::string>& extra) {
        const std::string out = show.path() + "/shot" + std::to_string(shots++) + ".png";
        std::vector<std::string> args = {"--dir", show.path(), "--fps", "2", "--shot", time, "--out", out};
        args.insert(args.end(), extra.begin(), extra.end());
        const ToolRun run = runCapture(args);
        EXPECT_EQ(run.status, 0) << run.errors;
        Picture p;
        EXPECT_TRUE(readPicture(out, p)) << out;
        return p;
    }
    // A 255 x 101 image centred on 640 x 480: at (193, 190) from the bottom left.
    void writeCentredImageShow(bool withBackground) {
        writeSolidJpeg(show.data() + "/box.jpg", 255, 101, "white");
        writeSolidJpeg(show.data() + "/back.jpg", 640, 480, "rgb(90,90,90)");
        show.writeScript(std::string("Default !fullscreen 640x480\n@sync\n") +
                         (withBackground ? "0 track 2 type 1 object back.jpg move 0 0 duration 1.0\n" : "") +
                         "0 track 1 type 1 object box.jpg center duration 1.0\n"
                         "1.0 end\n@end\n");
    }
    ShowDir show;
    int shots = 0;
};

TEST_F(CaptureResolution, AnImageLandsAtItsScaledPlace) {
    writeCentredImageShow(false);
    const Picture p = shot("0.5", {"--resolution", "1280x960"});
    ASSERT_EQ(p.width, 1280);
    ASSERT_EQ(p.height, 960);
    // x from 193 to 448, y from 190 to 291 above the bottom: doubled, rows from the top.
    const auto row = litSpanOfRow(p, 480);
    EXPECT_NEAR(row.first, 386, 1);
    EXPECT_NEAR(row.last, 895, 1);
    const auto column = litSpanOfColumn(p, 640);
    EXPECT_NEAR(column.first, 960 - 2 * 291, 1);
    EXPECT_NEAR(column.last, 960 - 2 * 190 - 1, 1);
}

TEST_F(CaptureResolution, AnOtherShapeIsCentredBetweenBarsOrCropped) {
    writeCentredImageShow(true);
    // 4:3 in 16:9: 1440 x 1080 in the middle, 240 black columns on each side.
    const Picture bars = shot("0.5", {"--resolution", "1920x1080"});
    ASSERT_EQ(bars.width, 1920);
    ASSERT_EQ(bars.height, 1080);
    const Span grey = litSpanOfRow(bars, 100);
    EXPECT_NEAR(grey.first, 240, 1);
    EXPECT_NEAR(grey.last, 1679, 1);
    EXPECT_TRUE(colorNear(bars.at(120, 540), {0, 0, 0}, 0)) << "left bar";
    EXPECT_TRUE(colorNear(bars.at(1800, 1000), {0, 0, 0}, 0)) << "right bar";
    // The box, x from 193 to 448 of the layout, at 240 + 2.25 x.
    const Span box = whiteSpanOfRow(bars, 540);
    EXPECT_NEAR(box.first, 240 + 2.25 * 193, 1);
    EXPECT_NEAR(box.last, 240 + 2.25 * 448 - 1, 1);

    // --fill: 1920 x 1440 with 180 rows cut above and below, no bars.
    const Picture fill = shot("0.5", {"--resolution", "1920x1080", "--fill"});
    ASSERT_EQ(fill.width, 1920);
    EXPECT_TRUE(colorNear(fill.at(2, 540), {90, 90, 90}, 8)) << "no bars";
    EXPECT_TRUE(colorNear(fill.at(1917, 2), {90, 90, 90}, 8));
    // y from 190 to 291 above the layout's bottom: rows 1080 - (3 y - 180) from the top.
    const Span column = whiteSpanOfColumn(fill, 960);
    EXPECT_NEAR(column.first, 1080 - (3 * 291 - 180), 1);
    EXPECT_NEAR(column.last, 1080 - (3 * 190 - 180) - 1, 1);
    const Span row = whiteSpanOfRow(fill, 540);
    EXPECT_NEAR(row.first, 3 * 193, 1);
    EXPECT_NEAR(row.last, 3 * 448 - 1, 1);
}

// Wide lines and filled triangles alike cover the same share of the
// picture at three times the size: the line width grows with it.
TEST_F(CaptureResolution, TheTubeAndAModelCoverTheSameShare) {
    copyDemoData(show, false);
    show.writeScript(
        "Default !fullscreen 640x480\n"
        "@sync\n"
        "0 scene 1 track 1 translate 0 0 -38 angle 0 to 600 rotate 0 0 1 duration 2.0\n"
        "2.0 track 1 type 0 object torus.3ds translate 0 0 -8 angle 40 rotate 1 0.6 0.2 duration 1.0\n"
        "2.5 track 1 type 0 object ship.3ds wireframe translate 0 0 -9 angle 60 rotate 0 1 0.1 duration 1.0\n"
        "3.0 end\n"
        "@end\n");
    for (const char* time : {"1.0", "2.2", "2.7"}) {
        const Picture small = shot(time, {});
        const Picture big = shot(time, {"--resolution", "1920x1440"});
        ASSERT_EQ(big.width, 1920);
        const double a = litShare(small, 0, 0, 640, 480), b = litShare(big, 0, 0, 1920, 1440);
        EXPECT_GT(a, 0.005) << time;
        EXPECT_NEAR(b / a, 1.0, 0.05) << "at " << time << ": " << a << " of the frame lit, " << b << " at 1920x1440";
    }
}

// The view the engine takes for another resolution changes nothing when
// the resolution is the render size.
TEST_F(CaptureResolution, TheRenderSizeItselfGivesTheSameBytes) {
    copyDemoData(show, false);
    show.writeScript(
        "Default !fullscreen 640x480\n"
        "@sync\n"
        "0 scene 1 track 2 translate 0 0 -38 angle 0 to 600 rotate 0 0 1 duration 2.0\n"
        "0 track 1 type 1 object title.jpg center scale 0.3 0.3 1 duration 2.0\n"
        "2.0 end\n"
        "@end\n");
    const std::string a = show.path() + "/a.png", b = show.path() + "/b.png";
    const std::vector<std::string> args = {"--dir", show.path(), "--fps", "10", "--size", "160x120", "--shot", "1.0"};
    std::vector<std::string> plain = args, framed = args;
    plain.insert(plain.end(), {"--out", a});
    framed.insert(framed.end(), {"--out", b, "--resolution", "160x120"});
    ASSERT_EQ(runCapture(plain).status, 0);
    ASSERT_EQ(runCapture(framed).status, 0);
    EXPECT_TRUE(readFile(a) == readFile(b)) << "the pictures differ";
}

TEST_F(CaptureResolution, A1080pVideoOfA640x480Show) {
    writeCentredImageShow(true);
    ASSERT_EQ(runCommand("sox -n -r 44100 -c 2 " + shellQuote(show.data() + "/music.ogg") +
                         " synth 2 sine 440 vol 0.5 2>/dev/null"),
              0);
    const std::string video = show.path() + "/show.mp4";
    const ToolRun run = runCapture({"--dir", show.path(), "--fps", "10", "--resolution", "1920x1080", "--video", video});
    ASSERT_EQ(run.status, 0) << run.errors;
    EXPECT_EQ(probe(video, "-select_streams v -show_entries stream=width,height,codec_name -of csv=p=0"),
              "h264,1920,1080");
    EXPECT_EQ(probe(video, "-count_frames -select_streams v -show_entries stream=nb_read_frames -of csv=p=0"), "10");
    EXPECT_EQ(probe(video, "-select_streams a -show_entries stream=codec_type -of csv=p=0"), "audio");
    // Upright and in colour: the grey layout between bars, the box in the middle.
    const std::string still = show.path() + "/still.png";
    ASSERT_EQ(runCommand("ffmpeg -v error -i " + shellQuote(video) + " -frames:v 1 " + shellQuote(still)), 0);
    Picture p;
    ASSERT_TRUE(readPicture(still, p));
    EXPECT_TRUE(colorNear(p.at(100, 540), {0, 0, 0}, 4));
    EXPECT_TRUE(colorNear(p.at(400, 100), {90, 90, 90}, 6));
    EXPECT_TRUE(colorNear(p.at(960, 540), {255, 255, 255}, 6));
    EXPECT_TRUE(colorNear(p.at(960, 420), {90, 90, 90}, 6)) << "the box is 227 rows high";
}
