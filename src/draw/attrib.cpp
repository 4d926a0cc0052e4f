#include "draw/attrib.h"

#include <GL/gl.h>

void popAttribWithCurrent() {
    glPopAttrib();
    GLfloat colour[4], normal[3], coords[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    glGetFloatv(GL_CURRENT_NORMAL, normal);
    glGetFloatv(GL_CURRENT_TEXTURE_COORDS, coords);
    glColor4fv(colour);
    glNormal3fv(normal);
    glTexCoord4fv(coords);
}
