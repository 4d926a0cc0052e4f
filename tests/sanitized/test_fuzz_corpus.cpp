// The fuzz corpora (fuzz/corpus), replayed under AddressSanitizer and
// UndefinedBehaviorSanitizer on every test run: each input once kept by the
// fuzzer for reaching new code must still load without a fault, and what
// comes out must keep its shape.
#include <gtest/gtest.h>

#include <iconv.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "assets/gfx.h"
#include "assets/jpegdecode.h"
#include "assets/objectloader.h"
#include "checks.h"
#include "script/preprocess.h"
#include "script/script.h"
#include "shell/engine.h"
#include "support/model_table.h"
#include "support/showdir.h"
#include "timeline.h"

namespace fs = std::filesystem;

static std::vector<fs::path> corpus(const char* target) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(fs::path(KORVANE_SOURCE_DIR) / "fuzz" / "corpus" / target))
        files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

struct EndReached {};
[[noreturn]] static void throwOnEnd() { throw EndReached{}; }

// Loads the bytes as the player does and parses every statement; returns
// how many statements ended the show.
static int parseWholeScript(const std::string& bytes, CScript& s) {
    s.defineInit();
    preprocess(splitLines(bytes), s);
    s.defines.clear();
    s.glConstants.clear();
    s.optionParse();
    int ends = 0;
    const size_t count = s.statements.size();
    while (static_cast<size_t>(s.nextStatement) < count) {
        const int32_t before = s.nextStatement;
        try {
            s.parse();
        } catch (const EndReached&) {
            s.nextStatement++;
            ends++;
        }
        if (s.nextStatement <= before) {
            ADD_FAILURE() << "the parser stopped at statement " << before;
            break;
        }
    }
    return ends;
}

TEST(FuzzCorpus, ScriptsLoadAndEveryStatementBecomesAScene) {
    const std::vector<fs::path> files = corpus("script");
    ASSERT_GE(files.size(), 10u);
    setQuitHandler(throwOnEnd);
    for (const fs::path& file : files) {
        SCOPED_TRACE(file.filename().string());
        CScript s;
        const int ends = parseWholeScript(readFile(file.string()), s);
        EXPECT_EQ(s.statements.size(), s.startTimes.size());
        EXPECT_EQ(s.statements.size(), s.statementLines.size());
        // A statement that ends the show stops before it is filed.
        EXPECT_EQ(s.scenes.size() + ends, s.statements.size());
        // Highest track first, as the compositor draws them.
        EXPECT_TRUE(std::is_sorted(s.scenes.begin(), s.scenes.end(),
                                   [](const CScene& a, const CScene& b) { return a.track > b.track; }));
    }
    setQuitHandler(nullptr);
}

// Whether iconv takes the text for UTF-8, and it holds no control character
// (C0 but the line ends, DEL, C1).
static bool printableUtf8(const std::string& text) {
    for (size_t i = 0; i < text.size(); i++) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if ((c < 0x20 && c != '\n') || c == 0x7F) return false;
        if (c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) < 0xA0) return false;
    }
    iconv_t convert = iconv_open("UTF-32LE", "UTF-8");
    std::string in = text, out(4 * text.size() + 4, '\0');
    char* from = in.data();
    char* to = out.data();
    size_t left = in.size(), room = out.size();
    const bool converted = iconv(convert, &from, &left, &to, &room) != size_t(-1) && left == 0;
    iconv_close(convert);
    return converted;
}

TEST(FuzzCorpus, CheckerFindingsArePrintableAndNameLinesOfTheScript) {
    const std::vector<fs::path> files = corpus("check");
    ASSERT_GE(files.size(), 10u);
    const DataIndex data({{"a.jpg", AssetKind::Texture, true}, {"box.3ds", AssetKind::Model, true}});
    for (const fs::path& file : files) {
        SCOPED_TRACE(file.filename().string());
        LoadedShow show;
        loadShowText(readFile(file.string()), show);
        const SourceMap source(show.physical);
        const CheckInput in{show, source, data};
        Findings findings;
        checkScript(in, findings);
        // A line of the file, or the end marker the loader supplies after the last.
        for (const Finding& f : findings.all()) {
            EXPECT_GE(f.line, 0) << f.message;
            EXPECT_LE(f.line, static_cast<int>(show.physical.size()) + 1) << f.message;
        }
        const std::string text = findings.text();
        EXPECT_EQ(static_cast<size_t>(std::count(text.begin(), text.end(), '\n')), findings.all().size());
        EXPECT_TRUE(printableUtf8(text));
        EXPECT_TRUE(printableUtf8(timelineSvg(buildTimeline(show), file.filename().string())));
    }
}

// Triangles the drawing skips: a face count past the stored faces is cut,
// a face naming a vertex the model lacks is not drawn.
static int facesDrawingSkips(const object_type& model) {
    const size_t count = std::min(static_cast<size_t>(std::max(model.polygonCount, 0)), model.polygons.size());
    const auto valid = [&](int32_t i) { return i >= 0 && static_cast<size_t>(i) < model.vertices.size(); };
    int skipped = 0;
    for (size_t f = 0; f < count; f++) {
        const polygon_type& p = model.polygons[f];
        if (!valid(p.a) || !valid(p.b) || !valid(p.c)) skipped++;
    }
    return skipped;
}

TEST(FuzzCorpus, ModelsLoadAndTheReportCountsTheFacesDrawingSkips) {
    const std::vector<fs::path> files = corpus("3ds");
    ASSERT_GE(files.size(), 5u);
    ShowDir show;
    WorkingDir here(show.path());
    for (const fs::path& file : files) {
        SCOPED_TRACE(file.filename().string());
        clearModelTable();
        fs::copy_file(file, "data/model.3ds", fs::copy_options::overwrite_existing);
        Load3DSReport report;
        ASSERT_EQ(Load3DS("data/model.3ds", &report), 1);
        const object_type* model = getObject(getObjectNum("model.3ds"));
        ASSERT_NE(model, nullptr);
        EXPECT_EQ(report.indicesOutOfRange, facesDrawingSkips(*model));
    }
    clearModelTable();
}

static void expectDecodeShape(const std::string& path, JpegPixels pixels) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    ASSERT_NE(file, nullptr);
    tImageJPG image{};
    std::string error;
    const bool decoded = decodeJPEGStream(file, pixels, image, error);
    std::fclose(file);
    if (!decoded) {
        EXPECT_FALSE(error.empty());
        EXPECT_TRUE(image.data.empty());
        return;
    }
    ASSERT_GT(image.sizeX, 0);
    ASSERT_GT(image.sizeY, 0);
    EXPECT_EQ(image.rowSpan, image.sizeX * static_cast<int>(pixels));
    EXPECT_EQ(image.data.size(), static_cast<size_t>(image.rowSpan) * static_cast<size_t>(image.sizeY));
}

TEST(FuzzCorpus, PicturesDecodeToTheirSizeOrFailWithAMessage) {
    const std::vector<fs::path> files = corpus("jpeg");
    ASSERT_GE(files.size(), 5u);
    int decoded = 0;
    for (const fs::path& file : files) {
        SCOPED_TRACE(file.filename().string());
        expectDecodeShape(file.string(), JpegPixels::Rgb);
        expectDecodeShape(file.string(), JpegPixels::Rgba);
        std::FILE* f = std::fopen(file.string().c_str(), "rb");
        tImageJPG image{};
        std::string error;
        if (f && decodeJPEGStream(f, JpegPixels::Rgb, image, error)) decoded++;
        if (f) std::fclose(f);
    }
    // The corpus keeps pictures that decode as well as ones that do not.
    EXPECT_GT(decoded, 0);
    EXPECT_LT(decoded, static_cast<int>(files.size()));
}
