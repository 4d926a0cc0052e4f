// 3DS models: the chunk walk and the model table.
//
// The file is read whole into memory once and walked as one flat sequence of
// chunk headers. Every read is checked against the end of its chunk, and a
// chunk whose data is read or skipped that cannot move the walk forward, or
// that claims more bytes than the file has, ends the walk, so the loader ends
// on any input. A container's length is never used to move on, so a wrong
// one (a file cut short, an exporter that leaves it 0) loses nothing; nor is
// the length of a chunk whose data is read: the walk goes on right after
// that data, where its sub-chunks or the next chunk start.
//
// Each mesh's faces index its own vertices: they are moved past the vertices
// of the meshes before it, so every mesh of a file draws whole.
#include "assets/objectloader.h"

#include <sys/stat.h>  // Required for: fstat()

#include <algorithm>  // Required for: max(), min()
#include <climits>    // Required for: INT32_MAX
#include <cstdio>   // Required for: fread()
#include <cstring>  // Required for: memcpy()

#include "assets/gfx.h"
#include "assets/plainfile.h"

namespace {

// Chunk ids the walk understands.
enum : uint16_t {
    kMain = 0x4D4D,
    kEditor = 0x3D3D,
    kObject = 0x4000,
    kMesh = 0x4100,
    kVertices = 0x4110,
    kFaces = 0x4120,
    kMapcoords = 0x4140,
    kMaterial = 0xAFFF,
    kTextureMap = 0xA200,
    kMapName = 0xA300,
    kKeyframer = 0xB000,
    kObjectNode = 0xB002,
};

const size_t kHeaderSize = 6;
const int64_t kLargestIndex = INT32_MAX;
const size_t kNameSize = 20;

struct Bytes {
    const unsigned char* data;
    size_t size;
};

// One chunk: where its own data starts and where the chunk ends.
struct Chunk {
    uint16_t id;
    size_t start;
    size_t end;
};

uint16_t readU16(const Bytes& in, size_t pos) {
    return uint16_t(in.data[pos] | in.data[pos + 1] << 8);
}

uint32_t readU32(const Bytes& in, size_t pos) {
    return uint32_t(in.data[pos]) | uint32_t(in.data[pos + 1]) << 8 |
           uint32_t(in.data[pos + 2]) << 16 | uint32_t(in.data[pos + 3]) << 24;
}

float readFloat(const Bytes& in, size_t pos) {
    const uint32_t bits = readU32(in, pos);
    float f;
    memcpy(&f, &bits, sizeof f);
    return f;
}

// A file that is no longer a plain file (a pipe swapped in since the
// listing) is not opened, as the listing would have passed it over.
bool readWholeFile(const std::string& path, std::vector<unsigned char>& out) {
    PlainOpen opened;
    std::string error;
    FILE* f = openPlainStream(path.c_str(), opened, error);
    if (!f) return false;
    // The size is only a hint: read until the stream ends, whatever it is.
    struct stat st;
    if (fstat(fileno(f), &st) == 0) out.reserve(size_t(st.st_size));
    unsigned char block[65536];
    size_t got;
    while ((got = fread(block, 1, sizeof block, f)) > 0) out.insert(out.end(), block, block + got);
    fclose(f);
    return true;
}

// Where the walk stands in the file's meshes.
struct Meshes {
    int count = 0;           // mesh chunks met so far
    size_t firstVertex = 0;  // vertices of the meshes before the current one
};

// The elements of an element list chunk: where they start and how many of
// them the chunk really holds.
struct Elements {
    size_t first;
    size_t count;
    bool cut;  // the chunk holds fewer than its count says
};

// Reads the 16-bit element count at the start of a chunk's data and cuts it
// to the elements of elementSize bytes that fit before the chunk's end.
Elements elementsOf(const Bytes& in, const Chunk& c, size_t elementSize, Load3DSReport& report) {
    Elements e{c.start + 2, 0, false};
    if (c.end < e.first) {
        e.first = c.end;
        e.cut = true;
    } else {
        const size_t declared = readU16(in, c.start);
        const size_t room = (c.end - e.first) / elementSize;
        e.count = declared <= room ? declared : room;
        e.cut = declared > room;
    }
    if (e.cut) report.countsCut = true;
    return e;
}

// Room for more elements at the end of v. Each chunk asks for its own count
// only, so a file of many small chunks grows the array geometrically here, as
// push_back would, instead of reallocating it for every chunk.
template <typename T>
void reserveMore(std::vector<T>& v, size_t more) {
    const size_t wanted = v.size() + more;
    if (wanted > v.capacity()) v.reserve(std::max(wanted, 2 * v.capacity()));
}

// Where the walk goes on after a list of elements: right after them, as
// for a face list, not at the end its chunk's length gives (which an
// exporter may have made cover the chunks that follow). A cut list fills
// its chunk.
size_t after(const Elements& e, const Chunk& c, size_t elementSize) {
    return e.cut ? c.end : e.first + e.count * elementSize;
}

// Returns where the next header starts.
size_t readVertices(const Bytes& in, const Chunk& c, object_type& obj, Load3DSReport& report) {
    const Elements e = elementsOf(in, c, 12, report);
    reserveMore(obj.vertices, e.count);
    for (size_t i = 0, pos = e.first; i < e.count; i++, pos += 12)
        obj.vertices.push_back({readFloat(in, pos), readFloat(in, pos + 4), readFloat(in, pos + 8)});
    return after(e, c, 12);
}

int32_t meshIndex(const Bytes& in, size_t pos, const Meshes& meshes) {
    return int32_t(std::min(int64_t(meshes.firstVertex) + readU16(in, pos), kLargestIndex));
}

// Returns where the face list's sub-chunks start.
size_t readFaces(const Bytes& in, const Chunk& c, object_type& obj, const Meshes& meshes, Load3DSReport& report) {
    const Elements e = elementsOf(in, c, 8, report);
    obj.polygonCount = int32_t(e.count);
    reserveMore(obj.polygons, e.count);
    // Indices are unsigned 16-bit: widen, never sign-extend. The flag word is dropped.
    for (size_t i = 0, pos = e.first; i < e.count; i++, pos += 8)
        obj.polygons.push_back({meshIndex(in, pos, meshes), meshIndex(in, pos + 2, meshes), meshIndex(in, pos + 4, meshes)});
    return after(e, c, 8);
}

// Returns where the next header starts.
size_t readMapcoords(const Bytes& in, const Chunk& c, object_type& obj, const Meshes& meshes, Load3DSReport& report) {
    obj.hasMapcoords = true;
    // A later mesh's coordinates start at its first vertex: the meshes before
    // it that had fewer (or none) get (0, 0) for the rest.
    if (meshes.count > 1) obj.mapcoords.resize(meshes.firstVertex, mapcoord_type{0.0f, 0.0f});
    const Elements e = elementsOf(in, c, 8, report);
    reserveMore(obj.mapcoords, e.count);
    for (size_t i = 0, pos = e.first; i < e.count; i++, pos += 8)
        obj.mapcoords.push_back({readFloat(in, pos), readFloat(in, pos + 4)});
    return after(e, c, 8);
}

// Copies a NUL-terminated name of at most 19 characters into field and
// returns the position after its NUL. A longer name keeps its first 19
// characters; the walk still skips past its NUL (or to the chunk's end) so
// the next header is read where it really starts.
size_t readName(const Bytes& in, const Chunk& c, char (&field)[kNameSize], Load3DSReport& report) {
    size_t pos = c.start;
    size_t len = 0;
    while (pos < c.end && in.data[pos] != 0) {
        if (len < kNameSize - 1) field[len] = char(in.data[pos]);
        len++;
        pos++;
    }
    field[len < kNameSize - 1 ? len : kNameSize - 1] = '\0';
    if (len >= kNameSize || pos == c.end) report.nameTruncated = true;
    return pos < c.end ? pos + 1 : c.end;  // past the NUL
}

// Chunks whose sub-chunks follow their header (and, for an object block, its name).
bool isContainer(uint16_t id) {
    switch (id) {
    case kMain:
    case kEditor:
    case kObject:
    case kMesh:
    case kMaterial:
    case kTextureMap:
    case kKeyframer:
    case kObjectNode:
        return true;
    default:
        return false;
    }
}

// Acts on one chunk and returns where the next header starts.
size_t readChunk(const Bytes& in, const Chunk& c, object_type& obj, Meshes& meshes, Load3DSReport& report) {
    switch (c.id) {
    case kMesh:
        meshes.count++;
        meshes.firstVertex = obj.vertices.size();
        return c.start;
    case kObject:
        return readName(in, c, obj.objectName, report);
    case kVertices:
        return readVertices(in, c, obj, report);
    case kFaces:
        return readFaces(in, c, obj, meshes, report);
    case kMapcoords:
        return readMapcoords(in, c, obj, meshes, report);
    case kMapName:
        return readName(in, c, obj.textureName, report);
    default:
        if (isContainer(c.id)) return c.start;  // their sub-chunks follow the header
        return c.end;  // not ours: skipped whole, sub-chunks and all
    }
}

// With several meshes every face of the file is drawn, and every vertex has
// a mapping coordinate when any mesh has them.
void joinMeshes(const Meshes& meshes, object_type& obj) {
    if (meshes.count < 2) return;
    obj.polygonCount = int32_t(std::min(int64_t(obj.polygons.size()), kLargestIndex));
    if (obj.hasMapcoords) obj.mapcoords.resize(obj.vertices.size(), mapcoord_type{0.0f, 0.0f});
}

void walk(const Bytes& in, object_type& obj, Load3DSReport& report) {
    Meshes meshes;
    size_t pos = 0;
    while (pos < in.size) {
        if (in.size - pos < kHeaderSize) {
            report.walkStoppedEarly = true;  // a header cut by the end of the file
            break;
        }
        const uint16_t id = readU16(in, pos);
        const uint32_t length = readU32(in, pos + 2);
        size_t end = pos + length;
        if (length < kHeaderSize || length > in.size - pos) {
            if (!isContainer(id)) {
                report.walkStoppedEarly = true;
                break;
            }
            // Only an object block's name reads up to its end: the file's end bounds it.
            report.containerLengthWrong = true;
            end = in.size;
        }
        pos = readChunk(in, {id, pos + kHeaderSize, end}, obj, meshes, report);
    }
    report.meshes = meshes.count;
    joinMeshes(meshes, obj);
}

// Counts what drawing will meet in the first polygonCount triangles: those it
// skips for an index past the vertices, and the vertex indices of drawn
// triangles that have no mapping coordinate.
void checkDrawable(const object_type& obj, Load3DSReport& report) {
    size_t drawn = obj.polygonCount > 0 ? size_t(obj.polygonCount) : 0;
    if (drawn > obj.polygons.size()) drawn = obj.polygons.size();
    const size_t vertices = obj.vertices.size();
    const size_t mapcoords = obj.mapcoords.size();
    for (size_t i = 0; i < drawn; i++) {
        const polygon_type& p = obj.polygons[i];
        const size_t index[3] = {size_t(p.a), size_t(p.b), size_t(p.c)};
        if (index[0] >= vertices || index[1] >= vertices || index[2] >= vertices) {
            report.indicesOutOfRange++;
            continue;
        }
        if (!obj.hasMapcoords) continue;
        for (size_t k : index)
            if (k >= mapcoords) report.mapcoordsMissing++;
    }
}

}  // namespace

int Load3DS(const std::string& path, Load3DSReport* report) {
    std::vector<unsigned char> file;
    if (!readWholeFile(path, file)) return 0;

    object_type* obj = new object_type{};
    obj->name = path.size() > 5 ? path.substr(5) : std::string();

    Load3DSReport local;
    Load3DSReport& r = report ? *report : local;
    r = Load3DSReport{};
    walk({file.data(), file.size()}, *obj, r);
    checkDrawable(*obj, r);

    obj->next = gfx.objects;
    gfx.objects = obj;
    return 1;
}

int getObjectNum(const std::string& name) {
    int index = 0;
    for (const object_type* o = gfx.objects; o; o = o->next, index++)
        if (o->name == name) return index;
    return -1;
}

object_type* getObject(int index) {
    if (index < 0) return nullptr;
    object_type* o = gfx.objects;
    for (; o && index > 0; index--) o = o->next;
    return o;
}
