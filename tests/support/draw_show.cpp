#include "support/draw_show.h"

#include "assets/gfx.h"
#include "draw/camera.h"
#include "draw/rm_evil_bezier.h"
#include "script/script.h"
#include "shell/init.h"
#include "shell/timer.h"

GLuint makeTexture(int width, int height, const std::vector<uint8_t>& rgba) {
    GLuint id = 0;
    glGenTextures(1, &id);
    glBindTexture(GL_TEXTURE_2D, id);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    return id;
}

GLuint solidTexture(uint8_t r, uint8_t g, uint8_t b) {
    std::vector<uint8_t> rgba;
    for (int i = 0; i < 4; i++) rgba.insert(rgba.end(), {r, g, b, 255});
    return makeTexture(2, 2, rgba);
}

CScene plainScene(int32_t endTime) {
    CScene s{};
    s.blendSrc = GL_SRC_ALPHA;
    s.blendDst = GL_ONE;
    s.maskStart = -1;
    s.type = 100;
    s.endTime = endTime;
    s.duration = endTime;
    return s;
}

CScene imageScene(GLuint texture, int width, int height, int32_t endTime) {
    CScene s = plainScene(endTime);
    s.type = 1;
    s.objectStart = static_cast<int32_t>(texture);
    s.imageWidth = width;
    s.imageHeight = height;
    return s;
}

CScene modelScene(int index, int mask, int32_t endTime) {
    CScene s = plainScene(endTime);
    s.type = 0;
    s.objectStart = index;
    s.maskStart = mask;
    return s;
}

object_type flatModel(const std::vector<std::vector<float>>& quads, float z, bool hasMapcoords, float u, float v) {
    object_type m{};
    m.hasMapcoords = hasMapcoords;
    for (const std::vector<float>& q : quads) {
        const int32_t base = static_cast<int32_t>(m.vertices.size());
        m.vertices.push_back({q[0], q[1], z});
        m.vertices.push_back({q[2], q[1], z});
        m.vertices.push_back({q[2], q[3], z});
        m.vertices.push_back({q[0], q[3], z});
        m.polygons.push_back({base, base + 1, base + 2});
        m.polygons.push_back({base, base + 2, base + 3});
    }
    if (hasMapcoords) m.mapcoords.assign(m.vertices.size(), {u, v});
    m.polygonCount = static_cast<int32_t>(m.polygons.size());
    return m;
}

void ShowTest::SetUp() {
    OffscreenTest::SetUp();
    einit.defaults();
    einit.opengl();
    camera.init();
    timer.elapsed = 0;
    script.statements.clear();
    script.startTimes.clear();
    script.nextStatement = 0;
    script.scenes.clear();
    script.syncLists.clear();
    scene1 = CBezier{};
    gfx.textures = nullptr;
    gfx.objects = nullptr;
}

void ShowTest::TearDown() {
    gfx.textures = nullptr;
    gfx.objects = nullptr;
    script.scenes.clear();
    OffscreenTest::TearDown();
}

void ShowTest::addTexture(const std::string& name, GLuint id, int width, int height) {
    tTexture t{};
    t.name = name;
    t.id = id;
    t.width = static_cast<int16_t>(width);
    t.height = static_cast<int16_t>(height);
    t.next = gfx.textures;
    textures.push_back(t);
    gfx.textures = &textures.back();
}

object_type* ShowTest::addModel(const object_type& model) {
    models.push_back(model);
    models.back().next = gfx.objects;
    gfx.objects = &models.back();
    return gfx.objects;
}

int ShowTest::litPixels(int x0, int y0, int x1, int y1) const {
    const int w = x1 - x0, h = y1 - y0;
    std::vector<uint8_t> rgba(static_cast<size_t>(w) * h * 4);
    glFinish();
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x0, y0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    int lit = 0;
    for (size_t i = 0; i < rgba.size(); i += 4)
        if (rgba[i] > 8 || rgba[i + 1] > 8 || rgba[i + 2] > 8) lit++;
    return lit;
}
