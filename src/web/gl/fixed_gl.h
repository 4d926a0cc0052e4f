// The fixed-function subset of OpenGL that the engine draws with, over
// OpenGL ES 2 (WebGL): immediate-mode triangles, quads and lines, the
// projection and model-view stacks, modulated 2D textures with mipmaps,
// sphere-mapped texture coordinates, blending, depth, wide smooth lines and
// wireframe, and the attribute stack for the colour-buffer and current bits.
//
// Vertices are transformed and given their texture coordinates here, on the
// processor, as fixed-function GL defines them; lines become the quads Mesa's
// software rasteriser draws for smooth lines, so the pixels agree with the
// native player's. Everything else GL would do for other state is left out.
//
// Plain C++ types stand in for GL's (GLenum is unsigned, GLint int, ...), so
// this header goes with either GL header.
#pragma once

// Called once the GLES 2 context is current, with its drawing buffer's size.
bool kglInit(int width, int height);
// Draws whatever is batched. Before presenting or reading the picture.
void kglFlush();

void kglBegin(unsigned mode);
void kglEnd();
void kglVertex2f(float x, float y);
void kglVertex3f(float x, float y, float z);
void kglColor3f(float r, float g, float b);
void kglColor4f(float r, float g, float b, float a);
void kglColor4fv(const float* rgba);
void kglNormal3f(float x, float y, float z);
void kglNormal3fv(const float* xyz);
void kglTexCoord2f(float s, float t);
void kglTexCoord3f(float s, float t, float r);
void kglTexCoord4fv(const float* strq);

void kglMatrixMode(unsigned mode);
void kglLoadIdentity();
void kglPushMatrix();
void kglPopMatrix();
void kglFrustum(double left, double right, double bottom, double top, double nearVal, double farVal);
void kglOrtho(double left, double right, double bottom, double top, double nearVal, double farVal);
void kglRotatef(float angle, float x, float y, float z);
void kglTranslatef(float x, float y, float z);
void kglScalef(float x, float y, float z);

void kglEnable(unsigned cap);
void kglDisable(unsigned cap);
void kglPushAttrib(unsigned mask);
void kglPopAttrib();
void kglBlendFunc(unsigned src, unsigned dst);
void kglPolygonMode(unsigned face, unsigned mode);
void kglLineWidth(float width);
void kglHint(unsigned target, unsigned mode);
void kglTexGeni(unsigned coord, unsigned name, int param);
void kglLightfv(unsigned light, unsigned name, const float* params);
void kglClear(unsigned mask);
void kglViewport(int x, int y, int width, int height);
void kglScissor(int x, int y, int width, int height);
void kglGetIntegerv(unsigned name, int* params);
// The current colour, normal and texture coordinate, and what ES answers.
void kglGetFloatv(unsigned name, float* params);
unsigned kglGetError();

void kglGenTextures(int n, unsigned* names);
void kglDeleteTextures(int n, const unsigned* names);
void kglBindTexture(unsigned target, unsigned name);
unsigned char kglIsTexture(unsigned name);
void kglTexParameteri(unsigned target, unsigned name, int param);
void kglTexImage2D(unsigned target, int level, int internalFormat, int width, int height, int border,
                   unsigned format, unsigned type, const void* pixels);
void kglGetTexLevelParameteriv(unsigned target, int level, unsigned name, int* params);
void kglReadPixels(int x, int y, int width, int height, unsigned format, unsigned type, void* pixels);
