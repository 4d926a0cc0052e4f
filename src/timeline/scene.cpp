// The scene record: its span, the interpolation of every parameter, and the
// per-frame updates that the compositor and the tube call.
#include "timeline/scene.h"

#include <GL/gl.h>  // Required for: glColor4f, glTranslatef, glRotatef, glScalef

#include <cmath>
#include <limits>
#include <type_traits>

#include "shell/timer.h"  // Required for: timer.elapsed, the show time

void CScene::timeUpdate() {
    // 64-bit differences: a span or a distance beyond 32 bits must not wrap.
    const int64_t span = int64_t(startTime) - int64_t(endTime);
    if (span == 0) {
        // An empty span shows the end value instead of dividing by zero.
        position = 0.0f;
        return;
    }
    const int64_t gone = int64_t(startTime) - int64_t(timer.elapsed);
    position = static_cast<float>(1.0 - double(gone) / double(span));
}

// Whole numbers step through every value between start and end: the product
// and the sum are formed in 32-bit floating point, as the position is, so a
// step lands on the frame its millisecond names (at 0.8 from 1 to 6 the value
// is 2, where double precision gives 1.99999994); then truncated toward zero
// and kept inside the int range.
static int interpolateInt(int start, int end, float position) {
    const float difference = static_cast<float>(int64_t(start) - int64_t(end));
    const float product = difference * position;
    const float value = static_cast<float>(end) + product;
    if (std::isnan(value)) return end;
    if (value >= 2147483648.0f) return std::numeric_limits<int>::max();
    if (value <= -2147483648.0f) return std::numeric_limits<int>::min();
    return static_cast<int>(value);
}

template <typename T> T CScene::valuePosition(T start, T end) {
    if constexpr (std::is_integral<T>::value)
        return interpolateInt(start, end, position);
    else
        return end + (start - end) * position;
}

template float CScene::valuePosition<float>(float, float);
template int CScene::valuePosition<int>(int, int);

// One parameter of n components: the interpolated value when animated, the
// start value otherwise.
template <typename T>
static void animate(CScene& scene, bool animated, T* current, const T* start, const T* end, int n) {
    for (int i = 0; i < n; i++) current[i] = animated ? scene.valuePosition<T>(start[i], end[i]) : start[i];
}

void CScene::typeUpdate() {
    animate(*this, objectAnim, &objectCur, &objectStart, &objectEnd, 1);
    animate(*this, maskAnim, &maskCur, &maskStart, &maskEnd, 1);
    animate(*this, angleAnim, &angleCur, &angleStart, &angleEnd, 1);
    animate(*this, axisAnim, axisCur, axisStart, axisEnd, 3);
    animate(*this, opacityAnim, &opacityCur, &opacityStart, &opacityEnd, 1);
    animate(*this, colorAnim, colorCur, colorStart, colorEnd, 3);
}

void CScene::objUpdate() {
    animate(*this, translateAnim, translateCur, translateStart, translateEnd, 3);
    animate(*this, scaleAnim, scaleCur, scaleStart, scaleEnd, 3);
    if (!opacityOn) opacityCur = 1.0f;

    if (colorOn)
        glColor4f(colorCur[0], colorCur[1], colorCur[2], opacityCur);
    else if (opacityOn)
        glColor4f(1.0f, 1.0f, 1.0f, opacityCur);

    // Applied in this order, so a model is scaled, then rotated, then moved.
    if (translateOn) glTranslatef(translateCur[0], translateCur[1], translateCur[2]);
    if (rotateOn) glRotatef(angleCur, axisCur[0], axisCur[1], axisCur[2]);
    if (scaleOn) glScalef(scaleCur[0], scaleCur[1], scaleCur[2]);
}

void CScene::imgUpdate() {
    animate(*this, moveAnim, moveCur, moveStart, moveEnd, 2);
    animate(*this, scaleAnim, scaleCur, scaleStart, scaleEnd, 3);
}

bool CScene::isRunning() {
    if (sync) return timer.elapsed < syncEndTime;
    if (insync) return false;
    return timer.elapsed < endTime;
}

void CScene::copy(const CScene& other) {
    // The target keeps its own sync state and image size; the current values
    // and the position are rebuilt by the updates before any use, so they are
    // left alone as well.
    const CScene own = *this;
    static_cast<CScene&>(*this) = other;

    sync = own.sync;
    insync = own.insync;
    syncEndTime = own.syncEndTime;
    syncList = own.syncList;
    syncPos = own.syncPos;
    syncNextTime = own.syncNextTime;
    imageWidth = own.imageWidth;
    imageHeight = own.imageHeight;
    position = own.position;

    objectCur = own.objectCur;
    maskCur = own.maskCur;
    opacityCur = own.opacityCur;
    angleCur = own.angleCur;
    for (int i = 0; i < 3; i++) {
        colorCur[i] = own.colorCur[i];
        axisCur[i] = own.axisCur[i];
        scaleCur[i] = own.scaleCur[i];
        translateCur[i] = own.translateCur[i];
    }
    moveCur[0] = own.moveCur[0];
    moveCur[1] = own.moveCur[1];
}
