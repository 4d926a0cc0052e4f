#include <GL/gl.h>
#include <GL/glu.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "assets/imageloader.h"
#include "assets/jpegdecode.h"
#include "assets/mipmaps.h"
#include "support/jpeg_files.h"
#include "support/limits.h"
#include "support/offscreen.h"
#include "support/player.h"
#include "support/showdir.h"

// A show directory as the working directory, an empty texture table and a GL context.
class TextureTest : public OffscreenTest {
protected:
    void SetUp() override {
        OffscreenTest::SetUp();
        clearTextureTable();
        cwd = std::make_unique<WorkingDir>(show.path());
    }
    void TearDown() override {
        cwd.reset();
        clearTextureTable();
        OffscreenTest::TearDown();
    }
    static std::string path(const std::string& name) { return "data/" + name; }

    ShowDir show;
    std::unique_ptr<WorkingDir> cwd;
};

static GLint boundTexture() {
    GLint bound = -1;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    return bound;
}

// GL names in use among the first few hundred (a bound name counts; only a load binds one).
static int liveTextureNames() {
    int live = 0;
    for (GLuint id = 1; id < 256; id++) live += glIsTexture(id) ? 1 : 0;
    return live;
}

struct Level {
    int width = 0, height = 0;
    std::vector<uint8_t> rgba;
    Rgb at(int x, int y) const {
        const uint8_t* p = &rgba[(static_cast<size_t>(y) * width + x) * 4];
        return {p[0], p[1], p[2]};
    }
    int alpha(int x, int y) const { return rgba[(static_cast<size_t>(y) * width + x) * 4 + 3]; }
};

// Mipmap level lod of the bound texture.
static Level boundLevel(int lod) {
    Level level;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, lod, GL_TEXTURE_WIDTH, &level.width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, lod, GL_TEXTURE_HEIGHT, &level.height);
    level.rgba.resize(static_cast<size_t>(level.width) * level.height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, lod, GL_RGBA, GL_UNSIGNED_BYTE, level.rgba.data());
    return level;
}

static Level levelZero(int textureIndex) {
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(getTexture(textureIndex, 0)));
    Level level = boundLevel(0);
    glBindTexture(GL_TEXTURE_2D, 0);
    return level;
}

static Rgb decodedAt(const tImageJPG& image, int x, int y) {
    const uint8_t* p = &image.data[static_cast<size_t>(y) * image.rowSpan + x * 3];
    return {p[0], p[1], p[2]};
}

static bool isPowerOfTwo(int n) { return n > 0 && (n & (n - 1)) == 0; }

TEST_F(TextureTest, TableHoldsTheNewestFirstAndFindsNamesExactly) {
    EXPECT_EQ(getTextureNum("a.jpg"), -1);
    EXPECT_EQ(getTexture(0, 0), -1);
    std::vector<int> ids;
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg"}) {
        ASSERT_TRUE(convertTo(show.data() + "/" + name, "-size 8x4 xc:gray"));
        ASSERT_EQ(loadTexture(path(name), true, false), TextureLoad::Loaded) << name;
        EXPECT_EQ(boundTexture(), 0) << name;
        ids.push_back(getTexture(0, 0));
    }
    // One GL name per file, generated in loading order.
    EXPECT_LT(ids[0], ids[1]);
    EXPECT_LT(ids[1], ids[2]);
    EXPECT_EQ(getTextureNum("c.jpg"), 0);
    EXPECT_EQ(getTextureNum("b.jpg"), 1);
    EXPECT_EQ(getTextureNum("a.jpg"), 2);
    EXPECT_EQ(getTexture(2, 0), ids[0]);
    EXPECT_EQ(getTexture(2, 1), 8);
    EXPECT_EQ(getTexture(2, 2), 4);
    EXPECT_EQ(getTextureNum("A.JPG"), -1);
    EXPECT_EQ(getTextureNum("a.jp"), -1);
    EXPECT_EQ(getTextureNum("data/a.jpg"), -1);
    for (int what : {0, 1, 2, 3, 7}) EXPECT_EQ(getTexture(-1, what), -1) << what;
    EXPECT_EQ(getTexture(0, 7), -1);
    EXPECT_EQ(getTexture(0, -1), -1);
    EXPECT_EQ(getTexture(3, 0), -1);
    // A second load of one name: the later one wins the lookup.
    ASSERT_EQ(loadTexture(path("a.jpg"), true, false), TextureLoad::Loaded);
    EXPECT_EQ(getTextureNum("a.jpg"), 0);
    EXPECT_EQ(getTextureNum("c.jpg"), 1);
}

TEST_F(TextureTest, SizesAreThePicturesOwn) {
    ASSERT_TRUE(convertTo(show.data() + "/wide.jpg", "-size 300x200 gradient:red-blue"));
    ASSERT_TRUE(convertTo(show.data() + "/dot.jpg", "-size 1x1 xc:white"));
    ASSERT_EQ(loadTexture(path("wide.jpg"), true, false), TextureLoad::Loaded);
    EXPECT_EQ(getTexture(0, 1), 300);
    EXPECT_EQ(getTexture(0, 2), 200);
    const Level wide = levelZero(0);
    EXPECT_TRUE(isPowerOfTwo(wide.width)) << wide.width;
    EXPECT_TRUE(isPowerOfTwo(wide.height)) << wide.height;
    ASSERT_EQ(loadTexture(path("dot.jpg"), true, false), TextureLoad::Loaded);
    EXPECT_EQ(getTexture(0, 1), 1);
    EXPECT_EQ(getTexture(0, 2), 1);
    EXPECT_TRUE(colorNear(levelZero(0).at(0, 0), {255, 255, 255}));
}

TEST_F(TextureTest, RowZeroIsTheTopOfThePicture) {
    ASSERT_TRUE(convertTo(show.data() + "/flag.jpg", "-size 64x16 xc:red -size 64x16 xc:blue -append -quality 95"));
    ASSERT_EQ(loadTexture(path("flag.jpg"), true, false), TextureLoad::Loaded);
    const Level level = levelZero(0);
    ASSERT_EQ(level.width, 64);
    ASSERT_EQ(level.height, 32);
    for (int x : {0, 63}) {
        EXPECT_TRUE(colorNear(level.at(x, 0), {255, 0, 0}, 6)) << x;
        EXPECT_TRUE(colorNear(level.at(x, 31), {0, 0, 255}, 6)) << x;
        EXPECT_EQ(level.alpha(x, 0), 255);
        EXPECT_EQ(level.alpha(x, 31), 255);
    }
}

// Every kind of file comes out as RGB, both from decodeJPG and as a texture.
TEST_F(TextureTest, EveryColourModelAndProgressiveFilesLoadAsRgb) {
    const uint8_t red[4] = {0, 255, 255, 0};
    const uint8_t halfBlack[4] = {0, 0, 0, 128};
    struct Case {
        std::string name;
        bool made;
        Rgb expected;
    } cases[] = {
        {"baseline.jpg", convertTo(show.data() + "/baseline.jpg", "-size 32x16 xc:#ff8000 -quality 90"), {255, 128, 0}},
        {"progressive.jpg", cjpegTo(show.data() + "/progressive.jpg", "-progressive", "-size 32x16 xc:#3050c0"),
         {48, 80, 192}},
        {"grey-cjpeg.jpg", cjpegTo(show.data() + "/grey-cjpeg.jpg", "-grayscale", "-size 32x16 xc:#ff0000"),
         {76, 76, 76}},
        {"grey.jpg", convertTo(show.data() + "/grey.jpg", "-size 32x16 xc:#404040 -colorspace Gray"), {64, 64, 64}},
        {"cmyk.jpg", convertTo(show.data() + "/cmyk.jpg", "-size 32x16 xc:#ff8000 -colorspace CMYK"), {255, 128, 0}},
        {"ycck-red.jpg", writeYcckJpeg(show.data() + "/ycck-red.jpg", 32, 16, red), {255, 0, 0}},
        {"ycck-grey.jpg", writeYcckJpeg(show.data() + "/ycck-grey.jpg", 32, 16, halfBlack), {127, 127, 127}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(c.made);
        tImageJPG image;
        std::string error;
        ASSERT_TRUE(decodeJPG(path(c.name).c_str(), image, error)) << error;
        EXPECT_EQ(image.sizeX, 32);
        EXPECT_EQ(image.sizeY, 16);
        EXPECT_EQ(image.rowSpan, 96);
        ASSERT_EQ(image.data.size(), 96u * 16u);
        EXPECT_TRUE(colorNear(decodedAt(image, 0, 0), c.expected, 6));
        EXPECT_TRUE(colorNear(decodedAt(image, 31, 15), c.expected, 6));
        ASSERT_EQ(loadTexture(path(c.name), true, false), TextureLoad::Loaded);
        EXPECT_TRUE(colorNear(levelZero(0).at(5, 5), c.expected, 6));
    }
}

// Noise, so that every sum of the box filters differs from its neighbours.
// GLU's sums may reach a pixel past the end with a weight of 0 or near it:
// zeros there keep its result defined.
static std::vector<uint8_t> noisePicture(int width, int height, unsigned seed) {
    std::vector<uint8_t> rgba(static_cast<size_t>(width) * height * 4 + 16, 0);
    for (size_t i = 0; i + 16 < rgba.size(); i++)
        rgba[i] = static_cast<uint8_t>((seed = seed * 1103515245u + 12345u) >> 16);
    return rgba;
}

// The loader's mipmaps of the picture are GLU's, level for level, to the byte.
static void expectGlusMipmaps(int width, int height, const std::vector<uint8_t>& rgba) {
    SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height));
    GLuint ids[2];
    glGenTextures(2, ids);
    glBindTexture(GL_TEXTURE_2D, ids[0]);
    buildMipmaps(width, height, rgba.data());
    glBindTexture(GL_TEXTURE_2D, ids[1]);
    ASSERT_EQ(gluBuild2DMipmaps(GL_TEXTURE_2D, 4, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data()), 0);
    const Level top = boundLevel(0);
    EXPECT_TRUE(isPowerOfTwo(top.width) && isPowerOfTwo(top.height));
    for (int lod = 0; (top.width >> lod) > 0 || (top.height >> lod) > 0; lod++) {
        glBindTexture(GL_TEXTURE_2D, ids[0]);
        const Level ours = boundLevel(lod);
        glBindTexture(GL_TEXTURE_2D, ids[1]);
        const Level glus = boundLevel(lod);
        ASSERT_EQ(ours.width, std::max(1, top.width >> lod)) << lod;
        ASSERT_EQ(ours.height, glus.height) << lod;
        ASSERT_TRUE(ours.rgba == glus.rgba) << "level " << lod << " of " << top.width << " x " << top.height;
    }
    glBindTexture(GL_TEXTURE_2D, 0);
    glDeleteTextures(2, ids);
}

// The loader's own halving must give the very bytes that GLU's would.
TEST_F(TextureTest, PowerOfTwoMipmapsAreGlusToTheByte) {
    const int sizes[][2] = {{1, 1}, {2, 2}, {1, 8}, {16, 1}, {2, 16}, {64, 8}, {256, 256}, {4, 2}};
    for (const auto& size : sizes) expectGlusMipmaps(size[0], size[1], noisePicture(size[0], size[1], 12345));
}

// Other sides are scaled up or down to powers of two by GLU's box filter:
// tiny, odd, wide and tall pictures, a side rounded up (3, 6, 7, 480, 1536) or
// down (5, 300, 640), and sides past what GL holds, which GLU halves until they fit.
TEST_F(TextureTest, OtherSizesAreScaledToGlusBytes) {
    const int sizes[][2] = {{3, 3},     {1, 3},      {3, 1},      {5, 7},      {6, 6},     {7, 5},
                            {33, 7},    {255, 101},  {300, 200},  {640, 480},  {480, 640}, {1000, 3},
                            {3, 1000},  {1023, 1025}, {1536, 96}, {4097, 5},   {20000, 9}, {32767, 3},
                            {3, 32767}, {1, 32767}};
    unsigned seed = 1;
    for (const auto& size : sizes) expectGlusMipmaps(size[0], size[1], noisePicture(size[0], size[1], seed++));
}

TEST_F(TextureTest, OddSizesDecodeWithTightRows) {
    ASSERT_TRUE(convertTo(show.data() + "/odd.jpg", "-size 33x7 xc:#00ff00"));
    tImageJPG image;
    std::string error;
    ASSERT_TRUE(decodeJPG(path("odd.jpg").c_str(), image, error)) << error;
    EXPECT_EQ(image.rowSpan, 99);
    ASSERT_EQ(image.data.size(), 99u * 7u);
    EXPECT_TRUE(colorNear(decodedAt(image, 32, 6), {0, 255, 0}, 6));
}

TEST_F(TextureTest, UndecodableFilesReportLibjpegsMessageAndLeaveNothing) {
    ASSERT_TRUE(convertTo(show.data() + "/good.jpg", "-size 64x64 gradient:red-blue"));
    const std::string good = readFile(show.data() + "/good.jpg");
    show.write("text.jpg", "this is not a picture");
    show.write("empty.jpg", "");
    show.write("header.jpg", good.substr(0, 100));  // cut inside the tables, before any image data
    struct Case {
        const char* name;
        const char* message;
    } cases[] = {
        {"text.jpg", "Not a JPEG file"},
        {"empty.jpg", "Empty input file"},
        {"header.jpg", ""},
    };
    const int namesBefore = liveTextureNames();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        tImageJPG image;
        image.data.assign(10, 1);
        std::string error;
        EXPECT_FALSE(decodeJPG(path(c.name).c_str(), image, error));
        EXPECT_NE(error.find(c.message), std::string::npos) << error;
        EXPECT_FALSE(error.empty());
        EXPECT_TRUE(image.data.empty());
        std::string loadError;
        EXPECT_EQ(loadTexture(path(c.name), true, false, &loadError), TextureLoad::Corrupt);
        EXPECT_EQ(loadError, error);
        EXPECT_EQ(boundTexture(), 0);
    }
    EXPECT_EQ(getTexture(0, 0), -1);  // the table stayed empty
    EXPECT_EQ(liveTextureNames(), namesBefore);
}

// libjpeg only warns about a file that ends early and fills the missing rows
// with grey; the picture loads as far as it goes.
TEST_F(TextureTest, AFileCutInItsImageDataLoadsGreyFilled) {
    ASSERT_TRUE(convertTo(show.data() + "/full.jpg", "-size 64x256 gradient:red-blue -quality 95"));
    const std::string full = readFile(show.data() + "/full.jpg");
    show.write("cut.jpg", full.substr(0, full.size() / 2));
    tImageJPG image;
    std::string error;
    ASSERT_TRUE(decodeJPG(path("cut.jpg").c_str(), image, error)) << error;
    ASSERT_EQ(image.sizeY, 256);
    EXPECT_TRUE(colorNear(decodedAt(image, 10, 0), {255, 0, 0}, 8));
    EXPECT_TRUE(colorNear(decodedAt(image, 10, 255), {128, 128, 128}, 2));
    EXPECT_EQ(loadTexture(path("cut.jpg"), true, false), TextureLoad::Loaded);
}

// The table keeps sizes in 16 bits: a wider picture is refused before its pixels are allocated.
TEST_F(TextureTest, PicturesBeyondSixteenBitSidesAreRefused) {
    // ImageMagick's policy stops short of these sizes; cjpeg takes a plain PPM of any.
    for (int width : {32768, 32767}) {
        const std::string ppm = show.path() + "/red.ppm";
        std::string pixels;
        for (int i = 0; i < width * 2; i++) pixels.append({'\xff', '\0', '\0'});
        show.write("../red.ppm", "P6\n" + std::to_string(width) + " 2\n255\n" + pixels);
        const std::string out = show.data() + (width == 32768 ? "/long.jpg" : "/widest.jpg");
        ASSERT_EQ(runCommand("cjpeg -outfile '" + out + "' '" + ppm + "'"), 0);
    }
    std::string error;
    EXPECT_EQ(loadTexture(path("long.jpg"), true, false, &error), TextureLoad::Corrupt);
    EXPECT_NE(error.find("32768 x 2"), std::string::npos) << error;
    EXPECT_EQ(getTexture(0, 0), -1);
    ASSERT_EQ(loadTexture(path("widest.jpg"), true, false), TextureLoad::Loaded);
    EXPECT_EQ(getTexture(0, 1), 32767);
    EXPECT_EQ(getTexture(0, 2), 2);
}

// A header may claim any size up to 65535 in a side for a file of a few
// hundred bytes. One of 23171 x 23171 (over 2^29 pixels) made GLU's mipmap
// builder overflow and crash: libjpeg now decodes it at 2/8, within the
// largest texture, and the record keeps the picture's own size.
TEST_F(TextureTest, APictureLargerThanATextureIsDecodedSmaller) {
    ASSERT_TRUE(writeClaimedSizeJpeg(show.data() + "/huge.jpg", 23171, 23171));
    ASSERT_LT(readFile(show.data() + "/huge.jpg").size(), 1000u);
    ASSERT_EQ(loadTexture(path("huge.jpg"), true, false), TextureLoad::Loaded);
    EXPECT_EQ(getTexture(0, 1), 23171);
    EXPECT_EQ(getTexture(0, 2), 23171);
    const Level level = levelZero(0);
    EXPECT_EQ(level.width, 4096);  // 5793 x 5793 decoded, the nearest power of two in GL
    EXPECT_EQ(level.height, 4096);
    EXPECT_EQ(boundTexture(), 0);

    // Against a smaller largest side, as a context with smaller textures has.
    ASSERT_TRUE(convertTo(show.data() + "/wide.jpg", "-size 4000x100 xc:#2040ff"));
    std::FILE* file = std::fopen(path("wide.jpg").c_str(), "rb");
    ASSERT_TRUE(file);
    tImageJPG image;
    std::string error;
    const bool decoded = decodeJPEGStream(file, JpegPixels::Rgb, image, error, 1000);
    std::fclose(file);
    ASSERT_TRUE(decoded) << error;
    EXPECT_EQ(image.sizeX, 1000);  // 2/8
    EXPECT_EQ(image.sizeY, 25);
    EXPECT_EQ(image.pictureX, 4000);
    EXPECT_EQ(image.pictureY, 100);
    EXPECT_TRUE(colorNear(decodedAt(image, 500, 12), {32, 64, 255}, 6));
}

// Loads path in a context of its own with the address space limited to what
// the process holds plus room for the decoded pixels (and a little more), not
// for the mipmap levels as well; exits 0 when the load failed cleanly.
[[noreturn]] static void loadWithRoomFor(const std::string& path, long pixelKb) {
    OffscreenContext context;
    if (!context.create(16, 16)) _exit(3);
    const long vmKb = addressSpaceKb();
    const rlim_t limit = rlim_t(vmKb + pixelKb + 12 * 1024) * 1024;
    const rlimit cap{limit, limit};
    if (vmKb == 0 || setrlimit(RLIMIT_AS, &cap) != 0) _exit(4);
    std::string error;
    const TextureLoad load = loadTexture(path, true, false, &error);
    std::fprintf(stderr, "%s\n", error.c_str());
    _exit(load == TextureLoad::Corrupt && getTexture(0, 0) == -1 ? 0 : 5);
}

// The allocations after the decode (mipmap levels, GLU's, GL's) fail as the
// decode's do: a message and no texture, never an uncaught bad_alloc.
TEST(TextureUnderMemoryPressure, FailsWithAMessageInsteadOfAborting) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer reserves more address space than a limit on it leaves";
#else
    ShowDir show;
    // 4096 x 4096: 64 MB of decoded pixels, then 2 x 16 MB for the mipmap levels.
    const std::string path = show.data() + "/big.jpg";
    ASSERT_TRUE(cjpegTo(path, "", "-size 4096x4096 xc:#808080"));
    EXPECT_EXIT(loadWithRoomFor(path, 64 * 1024), ::testing::ExitedWithCode(0), "not enough memory for the texture");
#endif
}

TEST_F(TextureTest, AVanishedFileIsSkipped) {
    const int namesBefore = liveTextureNames();
    std::string error;
    EXPECT_EQ(loadTexture(path("gone.jpg"), true, false, &error), TextureLoad::Missing);
    EXPECT_EQ(getTexture(0, 0), -1);
    EXPECT_EQ(liveTextureNames(), namesBefore);
    EXPECT_EQ(boundTexture(), 0);
    tImageJPG image;
    EXPECT_FALSE(decodeJPG(path("gone.jpg").c_str(), image, error));
    EXPECT_NE(error.find("No such file"), std::string::npos) << error;
}

// The player opens its window before the scan, so this needs an X display.
TEST(PlayerWithACorruptPicture, StopsWithLibjpegsMessageAndStatusOne) {
    REQUIRE_DISPLAY();
    ShowDir show;
    show.writeScript("Default !fullscreen\n@sync\n@end\n");
    show.write("x.jpg", "GIF89a, not a JPEG at all");
    const std::string err = show.path() + "/stderr.txt";
    const int status = runCommand("cd '" + show.path() + "' && SDL_AUDIODRIVER=dummy timeout 60 '" KORVANE_BINARY
                                  "' 2> '" + err + "'");
    EXPECT_EQ(status, 1);
    const std::string text = readFile(err);
    EXPECT_NE(text.find("korvane: data/x.jpg: Not a JPEG file"), std::string::npos) << text;
}
