// The table of the eight fixed-function lights.
#pragma once

#include <cstdint>

class CLight {
public:
    uint32_t params[6];       // GL parameter name of each slot
    uint8_t isSet[8][6];      // slot holds a value to send
    float values[8][6][4];

    void init();              // fill params, enable lighting
    void deinit();            // disable lighting
    void initLight(int light);    // send the stored slots, enable the light
    void deinitLight(int light);
    void setLight(int light, int slot, float* value);
    void setLight(int light, int slot, float a, float b, float c, float d);
    void unsetLight(int light, int slot);
};

extern CLight light;
