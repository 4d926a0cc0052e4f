#include "support/preview_window.h"

#include <cstdio>
#include <thread>

#include "support/e2e_screen.h"

void sleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

double msSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

int titleTime(const std::string& title) {
    int minutes = 0, seconds = 0, ms = 0;
    if (std::sscanf(title.c_str(), "Korvane preview %d:%d.%d", &minutes, &seconds, &ms) != 3) return -1;
    return (minutes * 60 + seconds) * 1000 + ms;
}

bool red(const Rgb& p) { return p[0] > 180 && p[1] < 70 && p[2] < 70; }
bool green(const Rgb& p) { return p[1] > 150 && p[0] < 70 && p[2] < 70; }
bool blue(const Rgb& p) { return p[2] > 180 && p[0] < 70 && p[1] < 70; }

void writeThreeColours(const std::string& dir, int width, int height) {
    writeSolidJpeg(dir + "/red.jpg", width, height, "rgb(230,20,20)");
    writeSolidJpeg(dir + "/green.jpg", width, height, "rgb(20,230,20)");
    writeSolidJpeg(dir + "/blue.jpg", width, height, "rgb(20,20,230)");
}

Rgb middle(const Picture& p) { return meanColour(p, 120, 140, 80, 30); }
