// One timed layer of the show: what it draws, when, on which track, and every
// visual parameter as a current, start and end value.
#pragma once

#include <cstdint>
#include <type_traits>

class CScene {
public:
    // Flags.
    bool blend;
    bool envmap;
    bool wireframe;
    bool axisAnim;
    bool translateAnim;
    bool scaleAnim;
    bool moveAnim;
    bool colorAnim;
    bool angleAnim;
    bool objectAnim;
    bool opacityAnim;
    bool rotateOn;
    bool translateOn;
    bool scaleOn;
    bool moveOn;
    bool colorOn;
    bool opacityOn;
    bool maskOn;
    bool maskAnim;
    bool sync;
    bool insync;
    bool center;

    // Integers: times in milliseconds of show time.
    int32_t duration;
    int32_t startTime;
    int32_t endTime;       // the span excludes it
    int32_t syncEndTime;   // end of a sync scene's whole life
    int32_t track;
    int32_t type;          // 0 model, 1 image, anything else draws nothing
    int32_t objectCur, objectStart, objectEnd;
    int32_t maskCur, maskStart, maskEnd;
    int32_t blendSrc;
    int32_t blendDst;
    int32_t imageWidth;
    int32_t imageHeight;
    int32_t syncList;
    int32_t syncPos;       // next mark to take; -1 before the first
    int32_t syncNextTime;  // planned end of the current sync segment
    int32_t sceneNumber;   // 0 ordinary, 1 the tube

    // Floats.
    float opacityCur, opacityStart, opacityEnd;
    float angleCur, angleStart, angleEnd;
    float position;  // 1 at startTime, 0 at endTime
    float colorCur[3], colorStart[3], colorEnd[3];
    float axisCur[3], axisStart[3], axisEnd[3];
    float scaleCur[3], scaleStart[3], scaleEnd[3];
    float translateCur[3], translateStart[3], translateEnd[3];
    float moveCur[2], moveStart[2], moveEnd[2];

    void timeUpdate();
    template <typename T> T valuePosition(T start, T end);
    void typeUpdate();
    void objUpdate();
    void imgUpdate();
    bool isRunning();
    void copy(const CScene& other);
};

static_assert(std::is_trivially_copyable<CScene>::value, "scene lists move records as plain memory");
