#include <gtest/gtest.h>

#include "assets/dir.h"
#include "script/script.h"
#include "shell/engine.h"

namespace {
struct ShowEnded {};
[[noreturn]] void throwEnded() { throw ShowEnded{}; }
}  // namespace

// A tool that composes a show keeps running past "end" through the handler.
TEST(Engine, QuitHandlerTakesOverTheEndOfTheShow) {
    setQuitHandler(throwEnded);
    script.statements = {"0 track 1 duration 100", "0 blend end"};
    script.startTimes = {0, 0};
    script.nextStatement = 0;
    script.scenes.clear();
    EXPECT_THROW(script.parse(), ShowEnded);
    EXPECT_EQ(script.scenes.size(), 1u);  // the "end" statement itself is not inserted
    setQuitHandler(nullptr);
    script.statements.clear();
    script.startTimes.clear();
    script.scenes.clear();
}

TEST(Engine, WithoutAHandlerQuitExitsWithStatusZero) {
    EXPECT_EXIT(engine.quit(), ::testing::ExitedWithCode(0), "");
}

TEST(Engine, AssetKindsByTheLastThreeCharacters) {
    EXPECT_EQ(assetKind("data/wall.jpg"), AssetKind::Texture);
    EXPECT_EQ(assetKind("data/walljpg"), AssetKind::Texture);
    EXPECT_EQ(assetKind("data/a.JPG"), AssetKind::Texture);
    EXPECT_EQ(assetKind("data/a.Jpg"), AssetKind::None);
    EXPECT_EQ(assetKind("data/a.jpeg"), AssetKind::None);
    EXPECT_EQ(assetKind("data/ship3ds"), AssetKind::Model);
    EXPECT_EQ(assetKind("data/ship.3DS"), AssetKind::None);
    EXPECT_EQ(assetKind("data/x.xm"), AssetKind::Music);
    EXPECT_EQ(assetKind("data/Axm"), AssetKind::None);
    EXPECT_EQ(assetKind("data/song.MP3"), AssetKind::Music);
    EXPECT_EQ(assetKind("data/s.Mp3"), AssetKind::None);
    EXPECT_EQ(assetKind("data/t.IT"), AssetKind::Music);
    EXPECT_EQ(assetKind("it"), AssetKind::None);
}
