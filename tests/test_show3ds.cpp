// Model drawing: texture choice, per-vertex data and staying inside the
// model's arrays, drawn offscreen and read back.
#include <cstdio>
#include <cstring>

#include <algorithm>

#include "assets/gfx.h"
#include "draw/show3ds.h"
#include "support/draw_show.h"
#include "support/model_table.h"
#include "support/real_models.h"

using Show3DSTest = ShowTest;

static const Rgb kBlack{0, 0, 0}, kWhite{255, 255, 255}, kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255};

// The frame projection; at depth 3 one model unit is about 120 pixels, with
// (0, 0) at pixel (320, 240).
static void frameProjection() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum(-1.33, 1.33, -1.0, 1.0, 1.5, 10000.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

static GLint boundTexture() {
    GLint id = -1;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &id);
    return id;
}

// Texels red, blue across: s in [0, 0.5) red, [0.5, 1) blue, repeating.
static GLuint redBlue() { return makeTexture(2, 1, {255, 0, 0, 255, 0, 0, 255, 255}); }

TEST_F(Show3DSTest, NoModelOnlyUnbindsTheTexture) {
    addModel(flatModel({{-1, -1, 1, 1}}, -3, false));
    const GLuint green = solidTexture(0, 255, 0);
    for (int index : {-1, 1, 1000}) {
        frameProjection();
        glBindTexture(GL_TEXTURE_2D, green);
        Show3DS(index, static_cast<int>(green));
        EXPECT_EQ(boundTexture(), 0) << index;
        EXPECT_EQ(litPixels(0, 0, 640, 480), 0) << index;
    }
}

TEST_F(Show3DSTest, GivenTextureWinsOverTheModelsOwn) {
    object_type m = flatModel({{-1, -1, 1, 1}}, -3, true, 0.5f, 0.5f);
    std::snprintf(m.textureName, sizeof m.textureName, "red.jpg");
    addModel(m);
    addTexture("red.jpg", solidTexture(255, 0, 0), 2, 2);
    const GLuint green = solidTexture(0, 255, 0);
    frameProjection();
    Show3DS(0, static_cast<int>(green));
    EXPECT_TRUE(colorNear(pixel(320, 240), kGreen));
    EXPECT_TRUE(colorNear(pixel(10, 10), kBlack));
    EXPECT_EQ(boundTexture(), static_cast<GLint>(green));
}

TEST_F(Show3DSTest, OwnTextureIsFoundByItsMappingFileName) {
    object_type m = flatModel({{-1, -1, 1, 1}}, -3, true, 0.5f, 0.5f);
    std::snprintf(m.textureName, sizeof m.textureName, "red.jpg");
    addModel(m);
    const GLuint red = solidTexture(255, 0, 0);
    addTexture("red.jpg", red, 2, 2);
    addTexture("green.jpg", solidTexture(0, 255, 0), 2, 2);
    for (int own : {-1, -7}) {
        frameProjection();
        Show3DS(0, own);
        EXPECT_TRUE(colorNear(pixel(320, 240), kRed)) << own;
        EXPECT_EQ(boundTexture(), static_cast<GLint>(red)) << own;
    }
}

TEST_F(Show3DSTest, ModelsWithoutATextureOfTheirOwnAreDrawnUntextured) {
    object_type m = flatModel({{-1, -1, 1, 1}}, -3, true, 0.5f, 0.5f);
    std::snprintf(m.textureName, sizeof m.textureName, "gone.jpg");
    addModel(m);
    addTexture("red.jpg", solidTexture(255, 0, 0), 2, 2);
    frameProjection();
    glBindTexture(GL_TEXTURE_2D, solidTexture(0, 255, 0));
    Show3DS(0, -1);
    EXPECT_TRUE(colorNear(pixel(320, 240), kWhite));
    EXPECT_EQ(boundTexture(), 0);

    // A name that fills the whole field, without its NUL, is no texture either.
    std::memset(gfx.objects->textureName, 'r', sizeof gfx.objects->textureName);
    frameProjection();
    Show3DS(0, -1);
    EXPECT_TRUE(colorNear(pixel(320, 240), kWhite));
}

TEST_F(Show3DSTest, PositionsAreNormalsAndMissingMapcoordsTheTextureCoordinates) {
    addModel(flatModel({{-1, -1, 1, 1}}, -3, false));
    frameProjection();
    Show3DS(0, static_cast<int>(redBlue()));
    // s = x: red on [0, 0.5), blue on [0.5, 1) and, repeating, on [-0.5, 0).
    EXPECT_TRUE(colorNear(pixel(350, 240), kRed));   // x = 0.25
    EXPECT_TRUE(colorNear(pixel(410, 240), kBlue));  // x = 0.75
    EXPECT_TRUE(colorNear(pixel(290, 240), kBlue));  // x = -0.25
    EXPECT_TRUE(colorNear(pixel(230, 240), kRed));   // x = -0.75
    // The last vertex sent is the quad's (-1, 1, -3): it was its own normal
    // and its own texture coordinate.
    float normal[4], coords[4];
    glGetFloatv(GL_CURRENT_NORMAL, normal);
    glGetFloatv(GL_CURRENT_TEXTURE_COORDS, coords);
    EXPECT_FLOAT_EQ(normal[0], -1);
    EXPECT_FLOAT_EQ(normal[1], 1);
    EXPECT_FLOAT_EQ(normal[2], -3);
    EXPECT_FLOAT_EQ(coords[0], -1);
    EXPECT_FLOAT_EQ(coords[1], 1);
    EXPECT_FLOAT_EQ(coords[2], -3);
}

TEST_F(Show3DSTest, MappingCoordinatesFollowTheVertexIndex) {
    object_type m = flatModel({{-1, -1, 1, 1}}, -3, true, 0.75f, 0.5f);
    addModel(m);
    frameProjection();
    Show3DS(0, static_cast<int>(redBlue()));
    EXPECT_TRUE(colorNear(pixel(350, 240), kBlue));
    EXPECT_TRUE(colorNear(pixel(290, 240), kBlue));
}

// Shrinking a vector keeps its storage, so a read past its end would find the
// old elements: drawing them would show where nothing may be drawn.
TEST_F(Show3DSTest, NothingIsReadOutsideTheModelsArrays) {
    // Left quad (two triangles), then a right quad whose faces and vertices
    // are cut off but linger in the storage.
    object_type m = flatModel({{-1, -1, -0.5f, 1}, {0.5f, -1, 1, 1}}, -3, true, 0.75f, 0.5f);
    object_type* model = addModel(m);
    model->polygons.resize(3);  // one face of the right quad still stored
    model->polygonCount = 4;    // and a count that claims both
    frameProjection();
    Show3DS(0, static_cast<int>(redBlue()));
    EXPECT_TRUE(colorNear(pixel(230, 240), kBlue));
    // Face 2 is (4, 5, 6): the lower right triangle of the right quad.
    EXPECT_TRUE(colorNear(pixel(410, 200), kBlue));
    EXPECT_TRUE(colorNear(pixel(410, 280), kBlack));  // face 3 is gone

    // Face 2 now names vertex 6, which is past the vertices: not drawn.
    model->vertices.resize(6);
    frameProjection();
    Show3DS(0, static_cast<int>(redBlue()));
    EXPECT_TRUE(colorNear(pixel(230, 240), kBlue));
    EXPECT_TRUE(colorNear(pixel(410, 200), kBlack));

    // Negative indices and counts draw nothing either.
    model->polygons[0].b = -1;
    frameProjection();
    Show3DS(0, static_cast<int>(redBlue()));
    EXPECT_TRUE(colorNear(pixel(230, 160), kBlack));  // face 0 is the lower right of the left quad
    EXPECT_TRUE(colorNear(pixel(230, 320), kBlue));
    model->polygonCount = -5;
    frameProjection();
    Show3DS(0, static_cast<int>(redBlue()));
    EXPECT_EQ(litPixels(0, 0, 640, 480), 0);
}

TEST_F(Show3DSTest, MissingMappingCoordinatesAreTheOrigin) {
    object_type* model = addModel(flatModel({{-1, -1, 1, 1}}, -3, true, 0.75f, 0.5f));
    model->mapcoords.resize(2);  // vertices 2 and 3 have none; old (0.75, 0.5) linger
    frameProjection();
    // Face 0 (0, 1, 2) has blue at 0 and 1 and red at 2; face 1 (0, 2, 3) red at 2 and 3.
    Show3DS(0, static_cast<int>(redBlue()));
    EXPECT_TRUE(colorNear(pixel(230, 320), kRed));   // upper left: face 1, mostly vertices 2, 3
    EXPECT_TRUE(colorNear(pixel(400, 170), kBlue));  // lower right corner: face 0 near 1
}

// The triangles that reach the rasteriser, counted in feedback mode with the
// whole model inside the view.
static long trianglesDrawn(const object_type& model) {
    VECTOR low{1e30f, 1e30f, 1e30f}, high{-1e30f, -1e30f, -1e30f};
    for (const VECTOR& p : model.vertices) {
        low = {std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z)};
        high = {std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z)};
    }
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(low.x - 1, high.x + 1, low.y - 1, high.y + 1, -high.z - 1, -low.z + 1);
    std::vector<GLfloat> buffer(model.polygons.size() * 12 + 64);
    glFeedbackBuffer(GLsizei(buffer.size()), GL_3D, buffer.data());
    glRenderMode(GL_FEEDBACK);
    Show3DS(0, -1);
    const GLint used = glRenderMode(GL_RENDER);
    if (used < 0) return -1;  // the buffer was too small
    long polygons = 0;
    for (GLint i = 0; i < used; polygons++) {
        if (GLint(buffer[size_t(i)]) != GL_POLYGON_TOKEN) return -1;  // filled triangles give nothing else
        i += 2 + 3 * GLint(buffer[size_t(i) + 1]);
    }
    return polygons;
}

// A game's models, most of several meshes: every triangle that assimp reads
// in the file is drawn, not only those of the last mesh.
TEST_F(Show3DSTest, EveryMeshOfARealModelIsDrawn) {
    const std::vector<std::string> files = modelsIn(kGameModelDir);
    ASSERT_GE(files.size(), 50u) << "install gl-117-data";
    for (const std::string& file : files) {
        SCOPED_TRACE(file);
        const std::string path = std::string(kGameModelDir) + "/" + file;
        ASSERT_EQ(Load3DS(path), 1);
        const object_type loaded = *gfx.objects;
        clearModelTable();
        addModel(loaded);
        EXPECT_EQ(trianglesDrawn(loaded), assimpFaces(path));
        models.clear();
        gfx.objects = nullptr;
    }
}
