// Drawing-test helpers: the player's GL state in an offscreen context, a
// clean show, textures and models filed straight into the asset tables, and
// scene records as the statement parser would make them.
#pragma once

#include <GL/gl.h>

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "assets/imageloader.h"
#include "assets/objectloader.h"
#include "support/offscreen.h"
#include "timeline/scene.h"

// RGBA texels, row 0 first, uploaded as a GL_NEAREST, GL_REPEAT texture.
GLuint makeTexture(int width, int height, const std::vector<uint8_t>& rgba);
// A 2 x 2 texture of one colour.
GLuint solidTexture(uint8_t r, uint8_t g, uint8_t b);

// A scene as the parser leaves it: zeroed, blend factors GL_SRC_ALPHA, GL_ONE,
// no mask, running from 0 to endTime.
CScene plainScene(int32_t endTime = 100000);
// An image scene of texture with the given pixel size.
CScene imageScene(GLuint texture, int width, int height, int32_t endTime = 100000);
// A model scene of the model at index, with its own texture unless mask >= 0.
CScene modelScene(int index, int mask = -1, int32_t endTime = 100000);

// A flat model: quads (x0, y0, x1, y1) at depth z, two triangles each, with
// every mapping coordinate at (u, v) when hasMapcoords.
object_type flatModel(const std::vector<std::vector<float>>& quads, float z, bool hasMapcoords, float u = 0,
                      float v = 0);

// Fixture: the player's GL state, a clean show at time 0 on 640 x 480, and
// asset tables that it owns and empties afterwards.
class ShowTest : public OffscreenTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Files a texture or model at the front of its table, as a load would.
    void addTexture(const std::string& name, GLuint id, int width, int height);
    object_type* addModel(const object_type& model);
    // Non-black pixels in the rectangle [x0, x1) x [y0, y1).
    int litPixels(int x0, int y0, int x1, int y1) const;

    std::deque<tTexture> textures;
    std::deque<object_type> models;
};
