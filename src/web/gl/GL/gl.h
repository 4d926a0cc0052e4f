// The engine's fixed-function GL, on WebGL. Found before the system's
// GL/gl.h by the web build: the names and values come from that header, and
// every call the engine makes goes to the fixed-function layer instead
// (src/web/gl/fixed_gl.h), which draws with WebGL.
#pragma once

#include_next <GL/gl.h>

#include "../fixed_gl.h"

#define glBegin kglBegin
#define glEnd kglEnd
#define glVertex2f kglVertex2f
#define glVertex3f kglVertex3f
#define glColor3f kglColor3f
#define glColor4f kglColor4f
#define glColor4fv kglColor4fv
#define glNormal3f kglNormal3f
#define glNormal3fv kglNormal3fv
#define glTexCoord2f kglTexCoord2f
#define glTexCoord3f kglTexCoord3f
#define glTexCoord4fv kglTexCoord4fv

#define glMatrixMode kglMatrixMode
#define glLoadIdentity kglLoadIdentity
#define glPushMatrix kglPushMatrix
#define glPopMatrix kglPopMatrix
#define glFrustum kglFrustum
#define glOrtho kglOrtho
#define glRotatef kglRotatef
#define glTranslatef kglTranslatef
#define glScalef kglScalef

#define glEnable kglEnable
#define glDisable kglDisable
#define glPushAttrib kglPushAttrib
#define glPopAttrib kglPopAttrib
#define glBlendFunc kglBlendFunc
#define glPolygonMode kglPolygonMode
#define glLineWidth kglLineWidth
#define glHint kglHint
#define glTexGeni kglTexGeni
#define glLightfv kglLightfv
#define glClear kglClear
#define glViewport kglViewport
#define glScissor kglScissor
#define glGetIntegerv kglGetIntegerv
#define glGetFloatv kglGetFloatv
#define glGetError kglGetError

#define glGenTextures kglGenTextures
#define glDeleteTextures kglDeleteTextures
#define glBindTexture kglBindTexture
#define glIsTexture kglIsTexture
#define glTexParameteri kglTexParameteri
#define glTexImage2D kglTexImage2D
#define glGetTexLevelParameteriv kglGetTexLevelParameteriv
#define glReadPixels kglReadPixels
