#include "held_frame.h"

#include <GL/gl.h>

#include "overlay_gl.h"

void HeldFrame::create(int width, int height) {
    width_ = width;
    height_ = height;
    glPushAttrib(GL_TEXTURE_BIT);
    glGenTextures(1, &texture_);
    glBindTexture(GL_TEXTURE_2D, texture_);
    // Nearest texels on a quad of the frame's own size: the pixels come back unchanged.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glPopAttrib();
}

void HeldFrame::take() {
    glPushAttrib(GL_TEXTURE_BIT | GL_PIXEL_MODE_BIT);
    glBindTexture(GL_TEXTURE_2D, texture_);
    glReadBuffer(GL_BACK);
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, width_, height_);
    glPopAttrib();
}

void HeldFrame::show() {
    OverlayGL gl(width_, height_);
    glDisable(GL_BLEND);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glBindTexture(GL_TEXTURE_2D, texture_);
    // The overlay's pixels run from the top; the texture's rows from the bottom.
    glBegin(GL_QUADS);
    glTexCoord2f(0, 1);
    glVertex2f(0, 0);
    glTexCoord2f(1, 1);
    glVertex2f(float(width_), 0);
    glTexCoord2f(1, 0);
    glVertex2f(float(width_), float(height_));
    glTexCoord2f(0, 0);
    glVertex2f(0, float(height_));
    glEnd();
}

void HeldFrame::read(Frame& frame) {
    frame.width = width_;
    frame.height = height_;
    frame.pixels.resize(size_t(width_) * size_t(height_) * 4);
    frame.bgra = frame.pixels.data();
    glPushAttrib(GL_TEXTURE_BIT);
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glBindTexture(GL_TEXTURE_2D, texture_);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_BGRA, GL_UNSIGNED_BYTE, frame.pixels.data());
    glPopClientAttrib();
    glPopAttrib();
}
