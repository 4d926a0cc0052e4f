// Files of data/ that change between the scan's listing and their opening:
// a picture or a model replaced by a named pipe (or a link to a device) is
// passed over, as the listing would have passed it over, without waiting
// for a writer that never comes. Each case runs in a child process under a
// time and a memory limit: the start-up scan's decoding thread used to wait
// in fopen for ever, and the player and the capture with it.
#include <gtest/gtest.h>
#include <sys/stat.h>  // Required for: mkfifo()
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "assets/decode_ahead.h"
#include "assets/dir.h"
#include "assets/imageloader.h"
#include "assets/objectloader.h"
#include "assets/plainfile.h"
#include "checks.h"
#include "shapes3ds.h"
#include "shell/glcontext.h"
#include "support/jpeg_files.h"
#include "support/limits.h"
#include "support/showdir.h"

namespace fs = std::filesystem;

namespace {

// Says what went wrong on standard error, which the bounded run hands back.
bool expect(bool holds, const std::string& what) {
    if (!holds) std::fprintf(stderr, "%s\n", what.c_str());
    return holds;
}

// A show whose listing found four plain files, three of which then became
// a pipe, a link to a device and a pipe.
class ScanOfChangingFiles : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"a.jpg", "b.jpg", "c.jpg"})
            ASSERT_TRUE(convertTo("jpg:" + show.data() + "/" + name, "-size 8x8 xc:gray"));
        ASSERT_TRUE(writeBytes(show.data() + "/m.3ds", file3DS({boxMesh("box")})));
        cwd = std::make_unique<WorkingDir>(show.path());
        for (const std::string& name : dataNames()) listed.push_back({name, scannedKind(name)});
        ASSERT_EQ(listed.size(), 4u);
        for (const auto& [name, kind] : listed) ASSERT_NE(kind, AssetKind::None) << name;
        fs::remove(show.data() + "/b.jpg");
        fs::remove(show.data() + "/c.jpg");
        fs::remove(show.data() + "/m.3ds");
        ASSERT_EQ(mkfifo((show.data() + "/b.jpg").c_str(), 0600), 0);
        fs::create_symlink("/dev/zero", show.data() + "/c.jpg");
        ASSERT_EQ(mkfifo((show.data() + "/m.3ds").c_str(), 0600), 0);
    }

    ShowDir show;
    std::unique_ptr<WorkingDir> cwd;
    std::vector<std::pair<std::string, AssetKind>> listed;  // as the scan saw them
};

// The player's and the capture's start-up: the pictures decoded ahead on a
// second thread, the models on the first; then the loads the preview makes
// on a reload, without that thread.
TEST_F(ScanOfChangingFiles, TheLoadersPassOverWhatIsNoLongerAPlainFile) {
    const BoundedRun run = runBounded(20, 256, [&] {
        OffscreenContext context;
        if (!expect(context.create(16, 16), "no GL context")) return false;
        DecodeAhead ahead({"data/a.jpg", "data/b.jpg", "data/c.jpg"}, largestTextureSide());
        bool ok = true;
        for (const auto& [name, kind] : listed) {
            std::string error;
            ok &= expect(loadAsset(name, kind, error, &ahead), name + " stopped the scan: " + error);
        }
        ok &= expect(getTextureNum("a.jpg") == 0 && getTextureNum("b.jpg") == -1 && getTextureNum("c.jpg") == -1,
                     "only a.jpg is a texture");
        ok &= expect(getObjectNum("m.3ds") == -1, "the pipe became a model");
        std::string error;
        ok &= expect(loadTexture("data/b.jpg", true, false, &error) == TextureLoad::Missing, "b.jpg: " + error);
        ok &= expect(Load3DS("data/m.3ds") == 0, "m.3ds was read");
        return ok;
    });
    EXPECT_TRUE(run.finished) << "a loader waited on the pipe";
    EXPECT_TRUE(run.passed) << run.output;
}

// korvane-check reads every file its listing found; the music's opening
// calls the same helper, which says why it refused the file.
TEST_F(ScanOfChangingFiles, TheCheckerAndTheMusicsOpeningDoNotWaitEither) {
    std::vector<DataFile> files;
    for (const auto& [name, kind] : listed) files.push_back({name, kind, true});
    const DataIndex data(files);
    ASSERT_EQ(mkfifo((show.data() + "/song.ogg").c_str(), 0600), 0);
    const BoundedRun run = runBounded(20, 256, [&] {
        Findings findings;
        checkAssets(data, ModelUses(), findings);
        const std::string text = findings.text();
        bool ok = true;
        for (const char* name : {"b.jpg", "c.jpg", "m.3ds"})
            ok &= expect(text.find(std::string(name) + ": warning: not a plain file: the player passes it over") !=
                             std::string::npos,
                         std::string(name) + " is not passed over in:\n" + text);
        ok &= expect(findings.errors() == 0, "errors in:\n" + text);
        PlainOpen opened;
        std::string error;
        ok &= expect(openPlainFile("data/song.ogg", opened, error) == -1 && opened == PlainOpen::NotPlain &&
                         error == "not a plain file (a named pipe)",
                     "song.ogg: " + error);
        ok &= expect(openPlainFile("data/a.jpg", opened, error) >= 0 && opened == PlainOpen::Opened, "a.jpg: " + error);
        return ok;
    });
    EXPECT_TRUE(run.finished) << "the checker waited on the pipe";
    EXPECT_TRUE(run.passed) << run.output;
}

}  // namespace
