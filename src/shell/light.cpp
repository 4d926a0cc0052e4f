#include "shell/light.h"

#include <GL/gl.h>
#include <cstring>

CLight light;

void CLight::init() {
    const uint32_t names[6] = {GL_AMBIENT, GL_DIFFUSE, GL_SPECULAR, GL_SHININESS, GL_EMISSION, GL_POSITION};
    std::memcpy(params, names, sizeof params);
    glEnable(GL_LIGHTING);
}

void CLight::deinit() { glDisable(GL_LIGHTING); }

void CLight::initLight(int n) {
    for (int slot = 0; slot < 6; slot++)
        if (isSet[n][slot] == 1) glLightfv(GL_LIGHT0 + n, params[slot], values[n][slot]);
    glEnable(GL_LIGHT0 + n);
}

void CLight::deinitLight(int n) { glDisable(GL_LIGHT0 + n); }

void CLight::setLight(int n, int slot, float* value) {
    std::memcpy(values[n][slot], value, sizeof values[n][slot]);
    isSet[n][slot] = 1;
}

void CLight::setLight(int n, int slot, float a, float b, float c, float d) {
    float value[4] = {a, b, c, d};
    setLight(n, slot, value);
}

void CLight::unsetLight(int n, int slot) { isSet[n][slot] = 0; }
