// Broken 3DS files, run under AddressSanitizer and UndefinedBehaviorSanitizer:
// every load ends, reads nothing outside the file and says what it met.
#include <algorithm>
#include <cstring>
#include <random>

#include "support/model_fixture.h"
#include "shapes3ds.h"

using MalformedModel = ModelLoaderTest;

// A chunk header with any length, followed by data.
static std::string rawChunk(uint16_t id, uint32_t length, const std::string& data = {}) {
    std::string out;
    put16(out, id);
    put32(out, length);
    return out + data;
}

static std::string boxFile() { return file3DS({boxMesh("box")}, "BOX.JPG"); }

TEST_F(MalformedModel, TruncatedAtEveryByteEnds) {
    const std::string full = boxFile();
    // Where the box's vertex and face lists end: main, editor, the material,
    // then the object's header and name and the mesh's header.
    const Chunk3DS object = meshChunk(boxMesh("box"));
    const size_t vertexEnd = 12 + materialChunk("Material", "BOX.JPG").length() + 6 + 4 + 6 +
                             object.children[0].children[0].length();
    const size_t faceEnd = vertexEnd + object.children[0].children[1].length();
    for (size_t cut = 0; cut < full.size(); cut++) {
        SCOPED_TRACE(cut);
        const object_type* o = load("cut.3ds", full.substr(0, cut));
        ASSERT_NE(o, nullptr);
        // The containers claim bytes the file no longer has; the walk goes
        // on inside them and keeps every list that is whole.
        EXPECT_EQ(report.walkStoppedEarly || report.containerLengthWrong, cut > 0);
        EXPECT_EQ(o->vertices.size(), cut >= vertexEnd ? 8u : 0u);
        EXPECT_EQ(o->polygonCount, cut >= faceEnd ? 12 : 0);
        clearModelTable();
    }
}

TEST_F(MalformedModel, TruncatedInsideTheSecondMeshKeepsTheFirst) {
    // Main and editor chunks that claim only the first mesh; the second
    // follows them, and a cut inside it leaves the first one whole.
    const Mesh3DS box = boxMesh("first");
    const std::string first = meshChunk(box).bytes();
    const std::string second = meshChunk(boxMesh("second")).bytes();
    const uint32_t claimed = uint32_t(12 + first.size());
    const std::string full =
        rawChunk(0x4D4D, claimed) + rawChunk(0x3D3D, claimed - 6) + first + second;
    for (size_t cut = claimed; cut < full.size(); cut++) {
        SCOPED_TRACE(cut);
        const object_type* o = load("cut.3ds", full.substr(0, cut));
        ASSERT_GE(o->vertices.size(), 8u);
        ASSERT_GE(o->polygons.size(), 12u);
        for (size_t i = 0; i < 8; i++) EXPECT_EQ(o->vertices[i].x, box.vertices[i].x);
        for (size_t i = 0; i < 12; i++) EXPECT_EQ(o->polygons[i].c, box.faces[i].c);
        EXPECT_EQ(o->polygonCount, report.meshes > 1 ? int(o->polygons.size()) : 12);
        EXPECT_EQ(report.walkStoppedEarly || report.containerLengthWrong, cut > claimed);
        clearModelTable();
    }
}

TEST_F(MalformedModel, LengthsBelowTheHeaderEndTheWalkOutsideContainers) {
    for (uint32_t length : {0u, 1u, 5u}) {
        SCOPED_TRACE(length);
        // After a whole mesh, a skipped chunk that could not move the walk forward.
        const std::string bytes = boxFile() + rawChunk(0x1234, length, std::string(16, '\0')) +
                                  meshChunk(boxMesh("after")).bytes();
        const object_type* o = load("short.3ds", bytes);
        EXPECT_TRUE(report.walkStoppedEarly);
        EXPECT_EQ(o->vertices.size(), 8u);
        EXPECT_STREQ(o->objectName, "box");

        // A container's length is not needed to go on inside it.
        const object_type* c = load("short.3ds", rawChunk(0x4D4D, length) + meshChunk(boxMesh("inside")).bytes());
        EXPECT_FALSE(report.walkStoppedEarly);
        EXPECT_TRUE(report.containerLengthWrong);
        EXPECT_EQ(c->vertices.size(), 8u);
        EXPECT_STREQ(c->objectName, "inside");
        clearModelTable();
    }
}

TEST_F(MalformedModel, HugeLengthsEndTheWalk) {
    for (uint32_t length : {0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu, 0xFFFFFFFAu}) {
        SCOPED_TRACE(length);
        // As a skipped chunk and as a vertex list; as a container the walk
        // goes on to the chunk of length 0 inside it.
        for (uint16_t id : {uint16_t(0x4D4D), uint16_t(0x1234), uint16_t(0x4110)}) {
            const object_type* o =
                load("huge.3ds", boxFile() + rawChunk(id, length, "\x02\0\0\0\0\0\0\0"));
            EXPECT_TRUE(report.walkStoppedEarly);
            EXPECT_EQ(report.containerLengthWrong, id == 0x4D4D);
            EXPECT_EQ(o->vertices.size(), 8u);
            clearModelTable();
        }
    }
}

TEST_F(MalformedModel, ObjectNameWithoutNulKeepsNineteenCharsAndTheWalkAligned) {
    std::string name(30, 'N');
    name += '\0';
    Chunk3DS object = meshChunk(boxMesh("x"));
    object.data = name;
    const object_type* o = load("name.3ds", mainChunk({object}).bytes());
    EXPECT_STREQ(o->objectName, std::string(19, 'N').c_str());
    EXPECT_TRUE(report.nameTruncated);
    EXPECT_FALSE(report.walkStoppedEarly);
    EXPECT_EQ(o->vertices.size(), 8u);
    EXPECT_EQ(o->polygonCount, 12);

    // Exactly twenty characters: no NUL in the first twenty bytes.
    object.data = std::string(20, 'T') + '\0';
    o = load("name.3ds", mainChunk({object}).bytes());
    EXPECT_STREQ(o->objectName, std::string(19, 'T').c_str());
    EXPECT_TRUE(report.nameTruncated);
    EXPECT_EQ(o->polygonCount, 12);
}

TEST_F(MalformedModel, NamesWithNoNulAtAllStopAtTheirChunkEnd) {
    // An object block holding only name bytes, then a whole box.
    Chunk3DS nameOnly(0x4000, "ABCDEFGHIJKLMNOPQRSTUVWXYZ");
    Chunk3DS material(0xAFFF, {}, {Chunk3DS(0xA200, {}, {Chunk3DS(0xA300, "SHORT")})});
    const object_type* o =
        load("nonul.3ds", mainChunk({nameOnly, material, meshChunk(boxMesh("box"))}).bytes());
    EXPECT_TRUE(report.nameTruncated);
    EXPECT_FALSE(report.walkStoppedEarly);
    EXPECT_STREQ(o->textureName, "SHORT");
    EXPECT_STREQ(o->objectName, "box");
    EXPECT_EQ(o->vertices.size(), 8u);

    // A texture name longer than its field, the chunk ending without NUL.
    material = Chunk3DS(0xAFFF, {}, {Chunk3DS(0xA200, {}, {Chunk3DS(0xA300, std::string(40, 'T'))})});
    o = load("nonul.3ds", mainChunk({material, meshChunk(boxMesh("box"))}).bytes());
    EXPECT_STREQ(o->textureName, std::string(19, 'T').c_str());
    EXPECT_TRUE(report.nameTruncated);
    EXPECT_EQ(o->polygonCount, 12);

    // A name that runs into the end of the file.
    o = load("nonul.3ds", boxFile() + rawChunk(0x4000, 6 + 8, "ABCDEFGH"));
    EXPECT_STREQ(o->objectName, "ABCDEFGH");
    EXPECT_TRUE(report.nameTruncated);
    EXPECT_FALSE(report.walkStoppedEarly);
}

TEST_F(MalformedModel, CountsBiggerThanTheChunkStopAtItsEnd) {
    // Each element chunk claims 1000 elements but holds two and a half.
    const uint16_t ids[] = {0x4110, 0x4120, 0x4140};
    const size_t sizes[] = {12, 8, 8};
    for (int k = 0; k < 3; k++) {
        SCOPED_TRACE(ids[k]);
        std::string data;
        put16(data, 1000);
        data += std::string(sizes[k] * 2 + sizes[k] / 2, '\0');
        const std::string mesh = meshChunk(boxMesh("box")).bytes();
        const object_type* o = load("count.3ds", mainChunk({}).bytes() +
                                                    rawChunk(ids[k], uint32_t(6 + data.size()), data) +
                                                    mesh);
        EXPECT_TRUE(report.countsCut);
        EXPECT_FALSE(report.walkStoppedEarly);
        // The two whole elements, then the box that follows, read in step.
        EXPECT_EQ(o->vertices.size(), k == 0 ? 10u : 8u);
        EXPECT_EQ(o->polygons.size(), k == 1 ? 14u : 12u);
        EXPECT_EQ(o->mapcoords.size(), k == 2 ? 10u : 8u);
        EXPECT_EQ(o->polygonCount, 12);
        EXPECT_STREQ(o->objectName, "box");
        clearModelTable();
    }
}

TEST_F(MalformedModel, ElementChunksTooShortForTheirCount) {
    for (uint16_t id : {uint16_t(0x4110), uint16_t(0x4120), uint16_t(0x4140)}) {
        SCOPED_TRACE(id);
        for (const std::string& data : {std::string(), std::string(1, '\x05')}) {
            const object_type* o =
                load("empty.3ds", rawChunk(id, uint32_t(6 + data.size()), data) + boxFile());
            EXPECT_TRUE(report.countsCut);
            EXPECT_EQ(o->vertices.size(), 8u);
            EXPECT_EQ(o->polygonCount, 12);
            clearModelTable();
        }
    }
}

TEST_F(MalformedModel, FacesPastTheVerticesAreReported) {
    Mesh3DS m = boxMesh("box");
    m.vertices.resize(4);
    m.mapcoords.resize(2);
    load("faces.3ds", file3DS({m}));
    // Every box side but the first (0, 2, 3, 1) names a vertex of 4 to 7.
    EXPECT_EQ(report.indicesOutOfRange, 10);
    EXPECT_EQ(report.mapcoordsMissing, 3);  // vertices 2, 3 and 2 of the first side
}

TEST_F(MalformedModel, RandomDamageEnds) {
    const std::string good = file3DS({boxMesh("a"), boxMesh("b")}, "TEX.JPG");
    std::mt19937 rng(1234);
    for (int round = 0; round < 1500; round++) {
        std::string bytes = good;
        const int hits = 1 + int(rng() % 6);
        for (int h = 0; h < hits; h++) bytes[rng() % bytes.size()] = char(rng());
        if (round % 3 == 0) bytes.resize(rng() % bytes.size());
        const object_type* o = load("rand.3ds", bytes);
        ASSERT_NE(o, nullptr);
        // What drawing may use stays within what the report admits.
        const size_t drawn = std::min(size_t(o->polygonCount), o->polygons.size());
        int outside = 0;
        for (size_t i = 0; i < drawn; i++) {
            const polygon_type& p = o->polygons[i];
            const size_t n = o->vertices.size();
            if (size_t(p.a) >= n || size_t(p.b) >= n || size_t(p.c) >= n) outside++;
        }
        EXPECT_EQ(outside, report.indicesOutOfRange);
        EXPECT_LT(strlen(o->objectName), 20u);
        EXPECT_LT(strlen(o->textureName), 20u);
        clearModelTable();
    }
}
