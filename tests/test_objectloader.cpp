#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>

#include "support/model_fixture.h"
#include "support/real_models.h"
#include "shapes3ds.h"

using ObjectLoader = ModelLoaderTest;

static bool cleanReport(const Load3DSReport& r) {
    return !r.walkStoppedEarly && !r.countsCut && !r.nameTruncated && r.indicesOutOfRange == 0 &&
           r.mapcoordsMissing == 0;
}

static void expectSameGeometry(const object_type& a, const object_type& b) {
    ASSERT_EQ(a.vertices.size(), b.vertices.size());
    ASSERT_EQ(a.polygons.size(), b.polygons.size());
    ASSERT_EQ(a.mapcoords.size(), b.mapcoords.size());
    for (size_t i = 0; i < a.vertices.size(); i++) {
        EXPECT_EQ(a.vertices[i].x, b.vertices[i].x);
        EXPECT_EQ(a.vertices[i].y, b.vertices[i].y);
        EXPECT_EQ(a.vertices[i].z, b.vertices[i].z);
    }
    for (size_t i = 0; i < a.polygons.size(); i++) {
        EXPECT_EQ(a.polygons[i].a, b.polygons[i].a);
        EXPECT_EQ(a.polygons[i].b, b.polygons[i].b);
        EXPECT_EQ(a.polygons[i].c, b.polygons[i].c);
    }
    EXPECT_EQ(a.polygonCount, b.polygonCount);
    EXPECT_EQ(a.hasMapcoords, b.hasMapcoords);
    EXPECT_STREQ(a.objectName, b.objectName);
    EXPECT_STREQ(a.textureName, b.textureName);
}

TEST_F(ObjectLoader, BoxKeepsEveryElementInFileOrder) {
    const Mesh3DS box = boxMesh("box", 2.0f);
    const object_type* o = load("box.3ds", file3DS({box}));
    ASSERT_NE(o, nullptr);
    EXPECT_EQ(o->name, "box.3ds");
    EXPECT_STREQ(o->objectName, "box");
    EXPECT_EQ(o->textureName[0], '\0');
    EXPECT_EQ(o->polygonCount, 12);
    EXPECT_TRUE(o->hasMapcoords);
    ASSERT_EQ(o->vertices.size(), 8u);
    ASSERT_EQ(o->polygons.size(), 12u);
    ASSERT_EQ(o->mapcoords.size(), 8u);
    for (size_t i = 0; i < 8; i++) {
        EXPECT_EQ(o->vertices[i].x, box.vertices[i].x) << i;
        EXPECT_EQ(o->vertices[i].y, box.vertices[i].y) << i;
        EXPECT_EQ(o->vertices[i].z, box.vertices[i].z) << i;
        EXPECT_EQ(o->mapcoords[i].u, box.mapcoords[i].u) << i;
        EXPECT_EQ(o->mapcoords[i].v, box.mapcoords[i].v) << i;
    }
    for (size_t i = 0; i < 12; i++) {
        EXPECT_EQ(o->polygons[i].a, box.faces[i].a) << i;
        EXPECT_EQ(o->polygons[i].b, box.faces[i].b) << i;
        EXPECT_EQ(o->polygons[i].c, box.faces[i].c) << i;
    }
    EXPECT_TRUE(cleanReport(report));
}

TEST_F(ObjectLoader, TextureMapGivesTheTextureName) {
    const object_type* o = load("box.3ds", file3DS({boxMesh("box")}, "BOX.JPG"));
    EXPECT_STREQ(o->textureName, "BOX.JPG");
    EXPECT_EQ(o->polygonCount, 12);
    EXPECT_TRUE(cleanReport(report));
}

TEST_F(ObjectLoader, UnknownChunksAreSkippedByTheirLength) {
    const object_type plain = *load("plain.3ds", file3DS({boxMesh("box")}, "BOX.JPG"));

    // A decoy vertex list inside chunks the loader does not read: seen only
    // if a skip went wrong.
    std::string decoy;
    put16(decoy, 1);
    putFloat(decoy, 9), putFloat(decoy, 9), putFloat(decoy, 9);
    std::string colour = "\x80\x40\x20";
    std::string lightPos;
    putFloat(lightPos, 1), putFloat(lightPos, 2), putFloat(lightPos, 3);
    std::string lightName;
    putName(lightName, "lamp");

    Chunk3DS material = materialChunk("Material", "BOX.JPG");
    material.children.push_back(Chunk3DS(0xA010, {}, {Chunk3DS(0x0011, colour)}));  // ambient colour
    Chunk3DS light(0x4000, lightName, {Chunk3DS(0x4600, lightPos, {Chunk3DS(0x4110, decoy)})});
    Chunk3DS mesh = meshChunk(boxMesh("box"));
    mesh.children[0].children.push_back(Chunk3DS(0x4160, std::string(48, '\0')));  // local axes
    std::string nodeHeader;
    putName(nodeHeader, "box");
    Chunk3DS keyframer(0xB000, {}, {Chunk3DS(0xB002, {}, {Chunk3DS(0xB010, nodeHeader),
                                                          Chunk3DS(0xB020, decoy)})});
    // The light comes before the box, so the box's name is the last one read.
    const std::string bytes =
        mainChunk({Chunk3DS(0x3D3E, "\x03\0\0\0"), material, light, mesh, Chunk3DS(0x0100, decoy)})
            .bytes() +
        keyframer.bytes();
    const object_type* o = load("busy.3ds", bytes);
    expectSameGeometry(*o, plain);
    EXPECT_TRUE(cleanReport(report));
}

TEST_F(ObjectLoader, NameOfNineteenCharactersIsReadWhole) {
    const std::string name = "abcdefghijklmnopqrs";
    ASSERT_EQ(name.size(), 19u);
    const object_type* o = load("long.3ds", file3DS({boxMesh(name)}, "ABCDEFGHIJKLMNO.JPG"));
    EXPECT_STREQ(o->objectName, name.c_str());
    EXPECT_STREQ(o->textureName, "ABCDEFGHIJKLMNO.JPG");
    EXPECT_EQ(o->vertices.size(), 8u);
    EXPECT_EQ(o->polygonCount, 12);
    EXPECT_TRUE(cleanReport(report));
}

TEST_F(ObjectLoader, IndicesAreUnsignedSixteenBit) {
    Mesh3DS m = boxMesh("box");
    m.faces.push_back({65535, 32768, 1});
    const object_type* o = load("wide.3ds", file3DS({m}));
    ASSERT_EQ(o->polygons.size(), 13u);
    EXPECT_EQ(o->polygons[12].a, 65535);
    EXPECT_EQ(o->polygons[12].b, 32768);
    EXPECT_EQ(o->polygons[12].c, 1);
    // Drawing will skip it, as it has no vertex 65535.
    EXPECT_EQ(report.indicesOutOfRange, 1);
    EXPECT_EQ(report.mapcoordsMissing, 0);
}

TEST_F(ObjectLoader, SeveralMeshesAreDrawnWhole) {
    Mesh3DS a = boxMesh("first");
    Mesh3DS b = boxMesh("second", 3.0f);
    b.faces.resize(5);
    Mesh3DS bare = boxMesh("bare", 5.0f);
    bare.mapcoords.clear();
    Mesh3DS c = boxMesh("third", 7.0f);
    const object_type* o = load("four.3ds", file3DS({a, b, bare, c}, "HULL.JPG"));
    EXPECT_EQ(report.meshes, 4);
    EXPECT_EQ(o->vertices.size(), 32u);
    EXPECT_EQ(o->polygons.size(), 41u);
    // Every face is drawn, and each mesh's indices name its own vertices.
    EXPECT_EQ(o->polygonCount, 41);
    EXPECT_EQ(o->vertices[8].x, -1.5f);
    EXPECT_EQ(o->polygons[12].a, b.faces[0].a + 8);
    EXPECT_EQ(o->polygons[16].c, b.faces[4].c + 8);
    EXPECT_EQ(o->polygons[17].b, bare.faces[0].b + 16);
    EXPECT_EQ(o->polygons[40].c, c.faces[11].c + 24);
    // One mapping coordinate per vertex: the bare mesh's are (0, 0), so the
    // last mesh's stay on its own vertices.
    ASSERT_EQ(o->mapcoords.size(), 32u);
    EXPECT_TRUE(o->hasMapcoords);
    for (size_t i = 16; i < 24; i++) {
        EXPECT_EQ(o->mapcoords[i].u, 0.0f) << i;
        EXPECT_EQ(o->mapcoords[i].v, 0.0f) << i;
    }
    for (size_t i = 0; i < 8; i++) {
        EXPECT_EQ(o->mapcoords[24 + i].u, c.mapcoords[i].u) << i;
        EXPECT_EQ(o->mapcoords[24 + i].v, c.mapcoords[i].v) << i;
    }
    // The names are the last ones read.
    EXPECT_STREQ(o->objectName, "third");
    EXPECT_STREQ(o->textureName, "HULL.JPG");
    EXPECT_TRUE(cleanReport(report));

    // A last mesh without coordinates gets (0, 0) too.
    const object_type* p = load("two.3ds", file3DS({a, bare}));
    ASSERT_EQ(p->mapcoords.size(), 16u);
    EXPECT_EQ(p->mapcoords[15].u, 0.0f);
    EXPECT_EQ(report.mapcoordsMissing, 0);
}

TEST_F(ObjectLoader, NoFaceChunkMeansNothingToDraw) {
    Mesh3DS m = boxMesh("points");
    m.faces.clear();
    const object_type* o = load("points.3ds", file3DS({m}));
    EXPECT_EQ(o->polygonCount, 0);
    EXPECT_TRUE(o->polygons.empty());
    EXPECT_EQ(o->vertices.size(), 8u);
    EXPECT_TRUE(cleanReport(report));
}

TEST_F(ObjectLoader, NoMapcoordChunkLeavesTheFlagOff) {
    Mesh3DS m = boxMesh("bare");
    m.mapcoords.clear();
    const object_type* o = load("bare.3ds", file3DS({m}));
    EXPECT_FALSE(o->hasMapcoords);
    EXPECT_TRUE(o->mapcoords.empty());
    EXPECT_EQ(report.mapcoordsMissing, 0);
}

TEST_F(ObjectLoader, ReportCountsWhatDrawingMustWorkAround) {
    Mesh3DS m;
    m.name = "quad";
    m.vertices = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
    m.mapcoords = {{0, 0}, {1, 0}};
    m.faces = {{0, 1, 2}, {0, 2, 3}, {0, 1, 9}};
    load("quad.3ds", file3DS({m}));
    EXPECT_EQ(report.indicesOutOfRange, 1);  // the triangle naming vertex 9
    EXPECT_EQ(report.mapcoordsMissing, 3);   // vertex 2 twice and vertex 3, in drawn triangles

    // With a second mesh every triangle is drawn, the second mesh's faces
    // name its own vertices, and the first mesh's missing coordinates are
    // (0, 0) so the second's line up with its vertices.
    clearModelTable();
    Mesh3DS small = m;
    small.faces = {{0, 1, 1}};
    small.mapcoords = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    const object_type* o = load("quad.3ds", file3DS({m, small}));
    EXPECT_EQ(o->polygonCount, 4);
    EXPECT_EQ(o->polygons[3].a, 4);
    EXPECT_EQ(o->polygons[3].c, 5);
    ASSERT_EQ(o->mapcoords.size(), 8u);
    EXPECT_EQ(o->mapcoords[3].u, 0.0f);
    EXPECT_EQ(o->mapcoords[6].u, 1.0f);
    EXPECT_EQ(o->mapcoords[6].v, 1.0f);
    EXPECT_EQ(report.indicesOutOfRange, 1);  // vertex 9 is past the 8 of both meshes
    EXPECT_EQ(report.mapcoordsMissing, 0);
}

TEST_F(ObjectLoader, TableKeepsTheNewestFirst) {
    load("m1.3ds", file3DS({boxMesh("one")}));
    load("m2.3ds", file3DS({boxMesh("two")}));
    EXPECT_EQ(getObjectNum("m2.3ds"), 0);
    EXPECT_EQ(getObjectNum("m1.3ds"), 1);
    EXPECT_EQ(getObjectNum("M1.3ds"), -1);
    EXPECT_EQ(getObjectNum("m3.3ds"), -1);
    EXPECT_STREQ(getObject(0)->objectName, "two");
    EXPECT_STREQ(getObject(1)->objectName, "one");
    EXPECT_EQ(getObject(2), nullptr);
    EXPECT_EQ(getObject(-1), nullptr);
}

TEST_F(ObjectLoader, SameNameTwiceFindsTheNewer) {
    load("m.3ds", file3DS({boxMesh("old")}));
    load("m.3ds", file3DS({boxMesh("new")}));
    EXPECT_EQ(getObjectNum("m.3ds"), 0);
    EXPECT_STREQ(getObject(getObjectNum("m.3ds"))->objectName, "new");
}

TEST_F(ObjectLoader, MissingFileAddsNothing) {
    EXPECT_EQ(getObjectNum("x.3ds"), -1);
    EXPECT_EQ(Load3DS("data/none.3ds"), 0);
    EXPECT_EQ(gfx.objects, nullptr);
    EXPECT_EQ(getObject(0), nullptr);
}

TEST_F(ObjectLoader, EmptyTableFindsNothing) {
    EXPECT_EQ(getObjectNum(""), -1);
    EXPECT_EQ(getObject(0), nullptr);
}

// Files made by other programs, from Debian's assimp-testmodels.

static const char* const kModelDir = kAssimpModelDir;

// What a second, independent reading of a 3DS file finds: a recursive
// descent that keeps every chunk inside its parent.
struct TreeMesh {
    size_t firstVertex, vertices, firstFace, faces;
};

struct TreeCounts {
    size_t vertices = 0, faces = 0, mapcoords = 0;
    int lastFaceCount = 0;
    std::string objectName, textureName;
    std::vector<TreeMesh> meshes;
};

static unsigned u16at(const std::string& b, size_t p) {
    return unsigned(uint8_t(b[p])) | unsigned(uint8_t(b[p + 1])) << 8;
}

static void countTree(const std::string& b, size_t pos, size_t end, TreeCounts& t) {
    while (pos + 6 <= end) {
        const unsigned id = u16at(b, pos);
        const size_t len = u16at(b, pos + 2) | size_t(u16at(b, pos + 4)) << 16;
        if (len < 6 || pos + len > end) return;
        const size_t data = pos + 6, next = pos + len;
        if (id == 0x4100) {
            t.meshes.push_back({t.vertices, 0, t.faces, 0});
            countTree(b, data, next, t);
        } else if (id == 0x4D4D || id == 0x3D3D || id == 0xAFFF || id == 0xA200) {
            countTree(b, data, next, t);
        } else if (id == 0x4000) {
            t.objectName = b.c_str() + data;
            countTree(b, data + t.objectName.size() + 1, next, t);
        } else if (id == 0xA300) {
            t.textureName = b.c_str() + data;
        } else if (id == 0x4110) {
            t.vertices += u16at(b, data);
            if (!t.meshes.empty()) t.meshes.back().vertices += u16at(b, data);
        } else if (id == 0x4120) {
            t.lastFaceCount = int(u16at(b, data));
            t.faces += size_t(t.lastFaceCount);
            if (!t.meshes.empty()) t.meshes.back().faces += size_t(t.lastFaceCount);
        } else if (id == 0x4140) {
            t.mapcoords += u16at(b, data);
        }
        pos = next;
    }
}

// The next header follows the data of a vertex, mapping coordinate or
// mapping name chunk, wherever the chunk's length ends: here each length
// also covers the chunks after it, as if they were its sub-chunks. (Read by
// its length, the name would hide the whole mesh and the vertex list the
// coordinates and faces.)
TEST_F(ObjectLoader, TheWalkGoesOnRightAfterTheDataOfVertexMappingAndNameChunks) {
    const float corners[4][3] = {{-1, -1, 0}, {1, -1, 0}, {1, 1, 0}, {-1, 1, 0}};
    std::string vertices, mapcoords, faces, objectName, textureName;
    put16(vertices, 4);
    put16(mapcoords, 4);
    for (const auto& p : corners) {
        for (float v : p) putFloat(vertices, v);
        putFloat(mapcoords, (p[0] + 1) / 2);
        putFloat(mapcoords, (p[1] + 1) / 2);
    }
    put16(faces, 2);
    for (uint16_t index : {0, 1, 2, 0, 0, 2, 3, 0}) put16(faces, index);  // two faces, each with its flag word
    putName(objectName, "quad");
    putName(textureName, "QUAD.JPG");
    const Chunk3DS vertexList(0x4110, vertices, {Chunk3DS(0x4140, mapcoords, {Chunk3DS(0x4120, faces)})});
    const Chunk3DS object(0x4000, objectName, {Chunk3DS(0x4100, {}, {vertexList})});
    const Chunk3DS material(0xAFFF, {}, {Chunk3DS(0xA200, {}, {Chunk3DS(0xA300, textureName, {object})})});

    const object_type* o = load("covering.3ds", mainChunk({material}).bytes());
    EXPECT_STREQ(o->textureName, "QUAD.JPG");
    EXPECT_STREQ(o->objectName, "quad");
    ASSERT_EQ(o->vertices.size(), 4u);
    ASSERT_EQ(o->mapcoords.size(), 4u);
    EXPECT_EQ(o->polygonCount, 2);
    ASSERT_EQ(o->polygons.size(), 2u);
    EXPECT_EQ(o->polygons[1].c, 3);
    EXPECT_EQ(o->vertices[2].y, 1.0f);
    EXPECT_EQ(o->mapcoords[3].u, 0.0f);
    EXPECT_TRUE(cleanReport(report));
}

// Loads a real file and holds it against the tree reading and assimp: every
// face drawn, each mesh's faces on its own vertices. Returns the tree.
static TreeCounts expectAsTheTreeAndAssimpSay(const object_type* o, const Load3DSReport& report, const std::string& path) {
    TreeCounts t;
    const std::string bytes = readFile(path);
    countTree(bytes, 0, bytes.size(), t);
    EXPECT_GT(t.faces, 0u);
    EXPECT_EQ(o->vertices.size(), t.vertices);
    EXPECT_EQ(o->polygons.size(), t.faces);
    const bool several = t.meshes.size() > 1;
    EXPECT_EQ(o->mapcoords.size(), several && t.mapcoords > 0 ? t.vertices : t.mapcoords);
    EXPECT_EQ(o->polygonCount, several ? int(t.faces) : t.lastFaceCount);
    EXPECT_EQ(o->objectName, t.objectName);
    EXPECT_EQ(o->textureName, t.textureName);
    EXPECT_EQ(o->hasMapcoords, t.mapcoords > 0);
    EXPECT_EQ(long(o->polygonCount), assimpFaces(path));
    for (const TreeMesh& m : t.meshes)
        for (size_t f = m.firstFace; f < m.firstFace + m.faces && f < o->polygons.size(); f++)
            for (int32_t i : {o->polygons[f].a, o->polygons[f].b, o->polygons[f].c}) {
                EXPECT_GE(size_t(i), m.firstVertex) << "face " << f;
                EXPECT_LT(size_t(i), m.firstVertex + m.vertices) << "face " << f;
            }
    EXPECT_EQ(report.meshes, int(t.meshes.size()));
    EXPECT_FALSE(report.walkStoppedEarly);
    EXPECT_FALSE(report.containerLengthWrong);
    EXPECT_FALSE(report.countsCut);
    EXPECT_FALSE(report.nameTruncated);
    EXPECT_EQ(report.indicesOutOfRange, 0);
    return t;
}

TEST_F(ObjectLoader, RealFilesAgreeWithATreeReadingAndWithAssimp) {
    ASSERT_TRUE(std::filesystem::is_directory(kModelDir)) << "install assimp-testmodels";
    ASSERT_EQ(runCommand("command -v assimp >/dev/null"), 0) << "install assimp-utils";
    const std::vector<std::string> files = modelsIn(kModelDir);
    ASSERT_GE(files.size(), 8u);
    for (const std::string& file : files) {
        SCOPED_TRACE(file);
        const std::string path = std::string(kModelDir) + "/" + file;
        const object_type* o = load(file, readFile(path));
        ASSERT_NE(o, nullptr);
        EXPECT_EQ(o->name, file);
        expectAsTheTreeAndAssimpSay(o, report, path);
    }
}

// A game's models, most of them of several meshes (from Debian's gl-117-data).
TEST_F(ObjectLoader, GameModelsOfSeveralMeshesLoadEveryMesh) {
    const std::string dir = kGameModelDir;
    ASSERT_TRUE(std::filesystem::is_directory(dir)) << "install gl-117-data";
    const std::vector<std::string> files = modelsIn(dir);
    ASSERT_GE(files.size(), 50u);
    size_t several = 0;
    for (const std::string& file : files) {
        SCOPED_TRACE(file);
        const object_type* o = load(file, readFile(dir + "/" + file));
        ASSERT_NE(o, nullptr);
        if (expectAsTheTreeAndAssimpSay(o, report, dir + "/" + file).meshes.size() > 1) several++;
        clearModelTable();
    }
    EXPECT_GE(several, 40u);
}

// Files cut short in their keyframer, or whose main chunk's length an
// exporter left 0: every mesh before the damage is read.
TEST_F(ObjectLoader, ContainerLengthsPastTheEndLoseNoMesh) {
    const std::string dir = kGameModelDir;
    const std::vector<std::string> files = modelsIn(dir);
    ASSERT_GE(files.size(), 50u);
    for (const std::string& file : files) {
        SCOPED_TRACE(file);
        const std::string whole = readFile(dir + "/" + file);
        const object_type full = *load("whole.3ds", whole);
        ASSERT_GT(full.polygonCount, 0);

        const object_type* cut = load("cut.3ds", whole.substr(0, whole.size() - 16));
        expectSameGeometry(*cut, full);
        EXPECT_TRUE(report.walkStoppedEarly);  // the keyframer's last chunk is cut

        std::string zero = whole;
        zero.replace(2, 4, 4, '\0');
        const object_type* unsized = load("zero.3ds", zero);
        expectSameGeometry(*unsized, full);
        EXPECT_FALSE(report.walkStoppedEarly);
        EXPECT_TRUE(report.containerLengthWrong);
        clearModelTable();
    }
}

TEST_F(ObjectLoader, RealCubeNamesItsObjectAndDiffuseTexture) {
    const std::string path = std::string(kModelDir) + "/cube_with_diffuse_texture.3DS";
    const object_type* o = load("cube.3ds", readFile(path));
    ASSERT_NE(o, nullptr);
    EXPECT_STREQ(o->objectName, "Quader01");
    EXPECT_STREQ(o->textureName, "TEST.PNG");
    EXPECT_EQ(o->polygonCount, 12);
    EXPECT_EQ(assimpFaces(path), 12);
    // Only the diffuse texture map is read; a specular map names no texture.
    const object_type* s = load("spec.3ds", readFile(std::string(kModelDir) + "/cube_with_specular_texture.3DS"));
    EXPECT_STREQ(s->objectName, "Quader01");
    EXPECT_EQ(s->textureName[0], '\0');
}

TEST_F(ObjectLoader, EmptyRealFileGivesAnEmptyModel) {
    const std::string path = "/usr/share/assimp/models/invalid/empty.3ds";
    ASSERT_TRUE(std::filesystem::exists(path));
    dir.copy(path, "empty.3ds");
    EXPECT_EQ(Load3DS("data/empty.3ds", &report), 1);
    const object_type* o = getObject(0);
    ASSERT_NE(o, nullptr);
    EXPECT_TRUE(o->vertices.empty());
    EXPECT_EQ(o->polygonCount, 0);
    EXPECT_FALSE(report.walkStoppedEarly);
}
