#include "draw/camera.h"

#include <GL/gl.h>

CCamera camera;

void CCamera::init() {
    pos = {0, 0, 0};
    rot = {0, 0, 0};
}

void CCamera::add(VECTOR* to, VECTOR* from) {
    to->x += from->x;
    to->y += from->y;
    to->z += from->z;
}

void CCamera::translate(float x, float y, float z, bool add) { translate(VECTOR{x, y, z}, add); }

void CCamera::translate(VECTOR v, bool add) {
    if (add)
        this->add(&pos, &v);
    else
        pos = v;
}

void CCamera::rotate(float a, float b, float c, bool add) { rotate(VECTOR{a, b, c}, add); }

void CCamera::rotate(VECTOR v, bool add) {
    if (add)
        this->add(&rot, &v);
    else
        rot = v;
}

// The inverse of a camera at pos turned by rot: move, then turn about Z, X, Y.
void CCamera::render() {
    glRotatef(-rot.x, 0, 1, 0);
    glRotatef(-rot.y, 1, 0, 0);
    glRotatef(-rot.z, 0, 0, 1);
    glTranslatef(-pos.x, -pos.y, -pos.z);
}
