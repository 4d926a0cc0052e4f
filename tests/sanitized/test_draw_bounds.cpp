// Hostile models and sync lists, drawn under AddressSanitizer and
// UndefinedBehaviorSanitizer: nothing is read outside its array.
#include <cstring>

#include "draw/show3ds.h"
#include "script/script.h"
#include "shell/timer.h"
#include "support/draw_show.h"
#include "timeline/effect.h"

// The GL driver is unloaded at exit holding allocations that LeakSanitizer
// cannot attribute; these tests are about reads out of bounds, not leaks.
extern "C" const char* __asan_default_options() { return "detect_leaks=0"; }

using DrawBounds = ShowTest;

TEST_F(DrawBounds, ModelsWithCountsAndIndicesPastTheirArrays) {
    object_type* m = addModel(flatModel({{-1, -1, 1, 1}}, -3, true, 0.5f, 0.5f));
    std::memset(m->textureName, 'x', sizeof m->textureName);  // no NUL
    m->polygonCount = 1 << 30;
    m->polygons.push_back({3, 4, 0});
    m->polygons.push_back({-1, 0, 1});
    m->polygons.push_back({0, 1, 1 << 30});
    m->mapcoords = std::vector<mapcoord_type>(3, {0.5f, 0.5f});  // none for vertex 3
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum(-1.33, 1.33, -1.0, 1.0, 1.5, 10000.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    Show3DS(0, -1);
    // Both stored quad triangles are drawn, the hostile ones are not.
    EXPECT_GT(litPixels(200, 120, 440, 360), 50000);
    m->vertices.clear();
    Show3DS(0, -1);
    m->polygons.clear();
    Show3DS(0, 5);
    Show3DS(1 << 30, -1);
}

TEST_F(DrawBounds, SyncScenesWithNoListOrAnEmptyOne) {
    script.syncLists = {{}};
    for (int list : {0, 1, -1, 1 << 30}) {
        CScene s = imageScene(solidTexture(0, 0, 255), 64, 64, 1000);
        s.sync = true;
        s.syncPos = -1;
        s.syncList = list;
        s.syncEndTime = 1000;
        script.scenes = {s};
        for (int32_t now : {0, 500, 999, 1000}) {
            timer.elapsed = now;
            effect.compose();
        }
        EXPECT_TRUE(script.scenes.empty()) << list;
    }
    // A list whose marks add up past the largest time.
    script.syncLists = {{{5, 2000000000}, {5, 2000000000}}};
    CScene s = imageScene(solidTexture(0, 0, 255), 64, 64, 1000);
    s.track = 5;
    s.sync = true;
    s.syncPos = -1;
    s.syncEndTime = INT32_MAX;
    script.scenes = {s};
    for (int32_t now : {0, 2000000000, INT32_MAX - 1}) {
        timer.elapsed = now;
        effect.compose();
    }
    EXPECT_EQ(script.scenes.size(), 1u);
    EXPECT_EQ(script.scenes[0].endTime, INT32_MAX);
}
