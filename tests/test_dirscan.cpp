#include <SDL/SDL.h>
#include <sys/stat.h>  // Required for: mkfifo()

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>

#include "assets/decode_ahead.h"
#include "assets/dir.h"
#include "assets/imageloader.h"
#include "assets/listing.h"
#include "shell/init.h"
#include "shell/sound.h"
#include "support/jpeg_files.h"
#include "support/music_modules.h"
#include "support/offscreen.h"
#include "support/showdir.h"

// A scan of a real show directory: working directory, empty tables, a GL context.
class DirScanTest : public OffscreenTest {
protected:
    void SetUp() override {
        OffscreenTest::SetUp();
        clearTextureTable();
        einit.defaults();
        einit.soundOn = false;
        cwd = std::make_unique<WorkingDir>(show.path());
    }
    void TearDown() override {
        sound.exit();
        cwd.reset();
        clearTextureTable();
        einit.defaults();
        OffscreenTest::TearDown();
    }
    // A picture whose width tells which file it came from.
    void picture(const std::string& name, int width) const {
        ASSERT_TRUE(convertTo("jpg:" + show.data() + "/" + name, "-size " + std::to_string(width) + "x2 xc:gray"));
    }
    static int tableSize() {
        int n = 0;
        while (getTexture(n, 0) != -1) n++;
        return n;
    }

    ShowDir show;
    std::unique_ptr<WorkingDir> cwd;
};

TEST_F(DirScanTest, PicturesLoadInByteOrderByTheirLastThreeCharacters) {
    picture("b.jpg", 3);
    picture("A.jpg", 1);
    picture("a.jpg", 2);
    picture("walljpg", 4);
    picture("C.JPG", 5);
    picture("picture.jpeg", 6);
    picture("x.Jpg", 7);
    picture("model.3DS", 8);
    picture("\xc3\xa9t\xc3\xa9.jpg", 9);  // bytes above 0x7f sort after every ASCII letter
    einit.dir();
    // Loaded as A.jpg, C.JPG, a.jpg, b.jpg, walljpg, été.jpg; the newest is at the front.
    ASSERT_EQ(tableSize(), 6);
    const char* expected[] = {"\xc3\xa9t\xc3\xa9.jpg", "walljpg", "b.jpg", "a.jpg", "C.JPG", "A.jpg"};
    const int widths[] = {9, 4, 3, 2, 5, 1};
    for (int i = 0; i < 6; i++) {
        EXPECT_EQ(getTextureNum(expected[i]), i) << expected[i];
        EXPECT_EQ(getTexture(i, 1), widths[i]) << expected[i];
    }
    for (int i = 0; i + 1 < 6; i++) EXPECT_GT(getTexture(i, 0), getTexture(i + 1, 0)) << "GL names in loading order";
    EXPECT_EQ(getTextureNum("picture.jpeg"), -1);
    EXPECT_EQ(getTextureNum("x.Jpg"), -1);
}

// The decoding thread hands each picture over in the scan's order, also when
// fewer bytes may wait than one picture holds; a file gone or broken comes
// back as loadTexture would say it, and a path out of turn is not taken.
TEST_F(DirScanTest, PicturesDecodedAheadComeInTheirOrder) {
    std::vector<std::string> paths;
    for (int i = 1; i <= 6; i++) {
        picture(std::to_string(i) + ".jpg", i);
        paths.push_back("data/" + std::to_string(i) + ".jpg");
    }
    show.write("3.jpg", "no picture");
    std::filesystem::remove(show.data() + "/5.jpg");
    DecodeAhead ahead(paths, 64, 1);
    EXPECT_FALSE(ahead.take("data/2.jpg").has_value());
    for (int i = 1; i <= 6; i++) {
        const std::optional<DecodedTexture> d = ahead.take(paths[i - 1]);
        ASSERT_TRUE(d.has_value()) << i;
        const TextureLoad want = i == 3 ? TextureLoad::Corrupt : i == 5 ? TextureLoad::Missing : TextureLoad::Loaded;
        EXPECT_EQ(d->result, want) << i;
        if (want == TextureLoad::Loaded) {
            EXPECT_EQ(d->image.pictureX, i);
        }
        if (want == TextureLoad::Corrupt) {
            EXPECT_NE(d->error, "");
        }
    }
    EXPECT_FALSE(ahead.take("data/6.jpg").has_value());
}

TEST_F(DirScanTest, ListingGivesEveryEntryButDotAndDotDot) {
    std::filesystem::create_directory(show.data() + "/sub.jpg");
    show.write("sub.jpg/inner.jpg", "");
    show.write(".hidden", "");
    show.write("plain", "");
    std::vector<std::string> names = listDirectory(show.data().c_str());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{".hidden", "plain", "sub.jpg"}));
    EXPECT_FALSE(isRegularFile(show.data() + "/sub.jpg"));
    EXPECT_TRUE(isRegularFile(show.data() + "/plain"));
    EXPECT_TRUE(listDirectory((show.path() + "/nothing").c_str()).empty());
}

// Directories and pipes named like pictures are passed over (a pipe would
// block the scan); hidden files and links to pictures load.
TEST_F(DirScanTest, OnlyPlainFilesReachALoader) {
    std::filesystem::create_directory(show.data() + "/sub.jpg");
    picture("sub.jpg/inner.jpg", 2);
    picture(".hidden.jpg", 3);
    ASSERT_EQ(mkfifo((show.data() + "/pipe.jpg").c_str(), 0600), 0);
    ASSERT_EQ(mkfifo((show.data() + "/pipe.ogg").c_str(), 0600), 0);
    std::filesystem::create_symlink(".hidden.jpg", show.data() + "/link.jpg");
    std::filesystem::create_symlink("nowhere.jpg", show.data() + "/dangling.jpg");
    einit.soundOn = true;
    einit.dir();
    ASSERT_EQ(tableSize(), 2);
    EXPECT_EQ(getTextureNum("link.jpg"), 0);
    EXPECT_EQ(getTextureNum(".hidden.jpg"), 1);
    EXPECT_EQ(sound.system, nullptr);
    EXPECT_EQ(showMusicPath(), "");
}

TEST_F(DirScanTest, NoDataDirectoryLoadsNothing) {
    std::filesystem::remove_all(show.data());
    einit.soundOn = true;
    einit.dir();
    EXPECT_EQ(tableSize(), 0);
    EXPECT_EQ(sound.system, nullptr);
}

// A broken later file leaves no music, so which file was opened last shows.
TEST_F(DirScanTest, MusicIsTheLastMusicFileInByteOrder) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    einit.soundOn = true;
    const std::string module = xmModule();
    struct Case {
        std::vector<std::pair<std::string, std::string>> files;
        bool opened;
        std::string music;  // what showMusicPath() names
    } cases[] = {
        {{{"x.xm", module}}, true, "data/x.xm"},
        {{{"X.IT", itModule()}}, true, "data/X.IT"},
        {{{"Axm", module}}, false, ""},
        {{{"tune.Xm", module}}, false, ""},
        {{{"song.ogg", "not music"}, {"tune.xm", module}}, true, "data/tune.xm"},
        {{{"song.mp3", module}, {"tune.xm", "not music"}}, false, "data/tune.xm"},
        {{{"song.OGG", "not music"}, {"Z.xm", module}}, false, "data/song.OGG"},  // "Z" sorts before "s"
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.files.back().first);
        std::filesystem::remove_all(show.data());
        std::filesystem::create_directory(show.data());
        for (const auto& [name, bytes] : c.files) show.write(name, bytes);
        einit.dir();
        EXPECT_EQ(sound.music != nullptr, c.opened);
        EXPECT_EQ(showMusicPath(), c.music);
        sound.exit();
    }
    EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);
    unsetenv("SDL_AUDIODRIVER");
}

// Only the last music file can play, so only it is opened: each opening of
// the audio device takes about 0.1 s, 70 s for these 700 files.
TEST_F(DirScanTest, OfManyMusicFilesOnlyTheLastIsOpened) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    einit.soundOn = true;
    for (int i = 0; i < 700; i++) show.write("song" + std::to_string(1000 + i) + ".ogg", "not music");
    show.write("tune.xm", xmModule());
    const auto start = std::chrono::steady_clock::now();
    einit.dir();
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 20.0);
    EXPECT_NE(sound.music, nullptr);
    unsetenv("SDL_AUDIODRIVER");
}

TEST_F(DirScanTest, ACorruptPictureEndsThePlayerWithItsPathAndLibjpegsMessage) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    picture("a.jpg", 2);
    show.write("x.jpg", "GIF89a");
    EXPECT_EXIT(einit.dir(), ::testing::ExitedWithCode(1), "korvane: data/x.jpg: Not a JPEG file");
}
