#include "support/e2e_screen.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "support/showdir.h"

namespace fs = std::filesystem;

bool grabWindow(unsigned long window, Picture& picture) {
    std::string path = (fs::temp_directory_path() / "korvane-e2e-shot-XXXXXX").string();
    const int fd = mkstemp(path.data());
    if (fd < 0) return false;
    close(fd);
    const bool ok = runCommand("import -window " + std::to_string(window) + " png:" + shellQuote(path) +
                               " 2>/dev/null") == 0 &&
                    readPicture(path, picture);
    fs::remove(path);
    return ok;
}

// Clamps the box to the picture; false when nothing of it is left.
static bool clampBox(const Picture& picture, int& x, int& y, int& w, int& h) {
    const int right = std::min(x + w, picture.width), bottom = std::min(y + h, picture.height);
    x = std::max(x, 0);
    y = std::max(y, 0);
    w = right - x;
    h = bottom - y;
    return w > 0 && h > 0;
}

Rgb meanColour(const Picture& picture, int x, int y, int w, int h) {
    if (!clampBox(picture, x, y, w, h)) return {-1, -1, -1};
    long sum[3] = {0, 0, 0};
    for (int row = y; row < y + h; row++)
        for (int col = x; col < x + w; col++) {
            const Rgb p = picture.at(col, row);
            for (int c = 0; c < 3; c++) sum[c] += p[c];
        }
    const long n = long(w) * h;
    return {int(sum[0] / n), int(sum[1] / n), int(sum[2] / n)};
}

int countPixels(const Picture& picture, int x, int y, int w, int h, const std::function<bool(const Rgb&)>& test) {
    if (!clampBox(picture, x, y, w, h)) return 0;
    int count = 0;
    for (int row = y; row < y + h; row++)
        for (int col = x; col < x + w; col++) count += test(picture.at(col, row));
    return count;
}
