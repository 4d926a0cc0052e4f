// Whole frames of the sample show and of the guide's examples, pixel for
// pixel as korvane-capture rendered them when these values were taken: work
// on drawing or texture loading that moves a single pixel fails here. A
// change of picture made on purpose updates the values in the same commit.
//
// llvmpipe compiles its shaders for the CPU it runs on, and without AVX or
// FMA some pixels round differently, so the captures run with the CPU
// features pinned to SSE2, which every x86-64 CPU has. With another renderer
// the values cannot hold and the test is skipped; the comparisons made within
// one run (the tube against its former drawing, mipmaps against GLU's) hold
// everywhere.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "support/capture_run.h"
#include "support/e2e_show.h"
#include "support/offscreen.h"

static const char* const kPinnedCpu = "GALLIUM_OVERRIDE_CPU_CAPS=sse2";
// The renderer the values were taken with (Debian 12's Mesa).
static const char* const kRenderer = "llvmpipe (LLVM 15.0.6,";
static const char* const kVersion = "Mesa 22.3.6";

// FNV-1a over the decoded RGB bytes, so PNG encoding details do not count.
static uint64_t pixelHash(const Picture& picture) {
    uint64_t hash = 0xcbf29ce484222325ull;
    for (uint8_t byte : picture.rgb) hash = (hash ^ byte) * 0x100000001b3ull;
    return hash;
}

static std::string hex(uint64_t value) {
    char text[24];
    std::snprintf(text, sizeof text, "0x%016llx", static_cast<unsigned long long>(value));
    return text;
}

static bool onTheRendererOfTheValues() {
#if !defined(__x86_64__)
    return false;
#else
    OffscreenContext context;
    if (!context.create(16, 16)) return false;
    const std::string renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    const std::string version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    return renderer.rfind(kRenderer, 0) == 0 && version.find(kVersion) != std::string::npos;
#endif
}

// The pixel hash of one frame of the show in show, or 0 when it was not written.
static uint64_t shotHash(const ShowDir& show, const std::string& fps, const std::string& time) {
    const std::string out = show.path() + "/shot.png";
    const ToolRun run = runCapture({"--dir", show.path(), "--fps", fps, "--shot", time, "--out", out}, kPinnedCpu);
    EXPECT_EQ(run.status, 0) << run.errors;
    Picture picture;
    if (!readPicture(out, picture)) return 0;
    return pixelHash(picture);
}

class GoldenFrames : public ::testing::Test {
protected:
    void SetUp() override {
        if (!onTheRendererOfTheValues())
            GTEST_SKIP() << "the values belong to " << kRenderer << " " << kVersion << " on x86-64";
    }
};

// Models, images, the tube, the sync pulse, the credits and the closing
// scan lines, at five frames a second (the pulse's look follows the frames).
TEST_F(GoldenFrames, SampleShow) {
    const struct {
        const char* time;
        uint64_t hash;
    } golden[] = {
        {"3.0", 0xef6329e2f97da679ull},  {"10.0", 0xed112e7d5e033e10ull}, {"20.0", 0xb43c30a600ca2320ull},
        {"30.0", 0xd5a91d26f7c3f1aeull}, {"34.0", 0x629a941ee9872a8dull}, {"44.0", 0x38547eed0111524aull},
        {"58.0", 0x73a13b4a74f19045ull},
    };
    ShowDir show;
    copyDemoData(show);
    for (const auto& frame : golden)
        EXPECT_EQ(hex(shotHash(show, "5", frame.time)), hex(frame.hash)) << "the sample show at " << frame.time << " s";
}

// Each complete example of the guide, halfway to its end, at ten frames a second.
TEST_F(GoldenFrames, GuideExamples) {
    const uint64_t golden[] = {
        0x763277870224106aull, 0x8212fba2ed4b9f29ull, 0x8212fba2ed4b9f29ull, 0x3679b89966bfe126ull,
        0x1796c9c237d643d7ull, 0xc8775579d798fb62ull, 0x176e4381e3424441ull,
    };
    const std::vector<GuideExample> examples = guideExamples();
    ASSERT_EQ(examples.size(), sizeof golden / sizeof golden[0]) << "the guide's examples changed: update the values";
    for (size_t i = 0; i < examples.size(); i++) {
        ShowDir show;
        copyDemoData(show, false);
        show.writeScript(examples[i].script);
        const std::string middle = std::to_string(endTime(examples[i].script) / 2);
        EXPECT_EQ(hex(shotHash(show, "10", middle)), hex(golden[i]))
            << "the guide's example at line " << examples[i].line << ", at " << middle << " ms";
    }
}
