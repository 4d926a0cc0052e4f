// Damaged JPEG files through the decoder, under AddressSanitizer: every cut
// and a spread of flipped bytes must either decode to a whole picture or fail
// with a message, never read or write out of bounds.
#include <gtest/gtest.h>

#include "assets/imageloader.h"
#include "support/jpeg_files.h"
#include "support/showdir.h"

static void expectWholeOrFailed(const std::string& path) {
    tImageJPG image;
    std::string error;
    if (decodeJPG(path.c_str(), image, error)) {
        EXPECT_EQ(image.data.size(), static_cast<size_t>(image.rowSpan) * image.sizeY);
        EXPECT_EQ(image.rowSpan, image.sizeX * 3);
    } else {
        EXPECT_FALSE(error.empty());
        EXPECT_TRUE(image.data.empty());
    }
}

TEST(JpegMalformed, CutsAndFlippedBytesDecodeOrFailCleanly) {
    ShowDir show;
    const uint8_t ink[4] = {10, 200, 30, 40};
    ASSERT_TRUE(cjpegTo(show.data() + "/progressive.jpg", "-progressive", "-size 40x24 gradient:red-blue"));
    ASSERT_TRUE(writeYcckJpeg(show.data() + "/ycck.jpg", 24, 16, ink));
    for (const char* name : {"progressive.jpg", "ycck.jpg"}) {
        SCOPED_TRACE(name);
        const std::string good = readFile(show.data() + "/" + name);
        ASSERT_GT(good.size(), 100u);
        const std::string damaged = show.data() + "/damaged.jpg";
        for (size_t cut = 0; cut < good.size(); cut += 7) {
            show.write("damaged.jpg", good.substr(0, cut));
            expectWholeOrFailed(damaged);
        }
        unsigned noise = 7;
        for (int trial = 0; trial < 300; trial++) {
            std::string bytes = good;
            for (int flips = 0; flips < 3; flips++) {
                noise = noise * 1103515245u + 12345u;
                bytes[(noise >> 8) % bytes.size()] ^= static_cast<char>(1 + (noise >> 24) % 255);
            }
            show.write("damaged.jpg", bytes);
            expectWholeOrFailed(damaged);
        }
    }
}
