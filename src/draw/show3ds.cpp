#include "draw/show3ds.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "assets/imageloader.h"
#include "assets/objectloader.h"

// The model's own texture, found by its mapping file name; -1 when no loaded
// image has that name. The name field may lack its NUL, so it is bounded.
static int ownTexture(const object_type& model) {
    const size_t length = strnlen(model.textureName, sizeof model.textureName);
    return getTexture(getTextureNum(std::string(model.textureName, length)), 0);
}

static bool indexValid(int32_t i, size_t count) { return i >= 0 && static_cast<size_t>(i) < count; }

// The normal is the position itself, so sphere mapping reflects it; without
// mapping coordinates the position doubles as the texture coordinate.
static void sendVertex(const object_type& model, int32_t i) {
    const VECTOR& p = model.vertices[i];
    glNormal3f(p.x, p.y, p.z);
    if (model.hasMapcoords) {
        if (indexValid(i, model.mapcoords.size()))
            glTexCoord2f(model.mapcoords[i].u, model.mapcoords[i].v);
        else
            glTexCoord2f(0.0f, 0.0f);
    } else {
        glTexCoord3f(p.x, p.y, p.z);
    }
    glVertex3f(p.x, p.y, p.z);
}

// A face count beyond the stored faces, or a face with an index past the
// vertices, would read outside the model: such faces are not drawn.
static void drawTriangles(const object_type& model) {
    const size_t stored = model.polygons.size();
    const size_t count = model.polygonCount > 0 ? std::min(static_cast<size_t>(model.polygonCount), stored) : 0;
    const size_t vertexCount = model.vertices.size();
    glBegin(GL_TRIANGLES);
    for (size_t f = 0; f < count; f++) {
        const polygon_type& face = model.polygons[f];
        if (!indexValid(face.a, vertexCount) || !indexValid(face.b, vertexCount) || !indexValid(face.c, vertexCount))
            continue;
        sendVertex(model, face.a);
        sendVertex(model, face.b);
        sendVertex(model, face.c);
    }
    glEnd();
}

// The texture a model is drawn with; with none of its own, texture 0.
static int modelTexture(const object_type& model, int texture) {
    const int name = texture >= 0 ? texture : ownTexture(model);
    return name >= 0 ? name : 0;
}

int Show3DSTexture(int index, int texture) {
    const object_type* model = getObject(index);
    return model ? modelTexture(*model, texture) : 0;
}

void Show3DS(int index, int texture) {
    glBindTexture(GL_TEXTURE_2D, 0);
    const object_type* model = getObject(index);
    if (!model) return;

    glPushMatrix();
    const int name = modelTexture(*model, texture);
    if (name != 0) bindTexture(name);
    drawTriangles(*model);
    glPopMatrix();
}
