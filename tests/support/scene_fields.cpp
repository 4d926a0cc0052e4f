#include "support/scene_fields.h"

#include <cstdio>
#include <cstring>
#include <type_traits>

#define FIELD(f) Field{#f, offsetof(CScene, f), sizeof(CScene::f), std::is_same<decltype(CScene::f), bool>::value}

const std::vector<Field>& sceneFields() {
    static const std::vector<Field> fields = {
        FIELD(blend), FIELD(envmap), FIELD(wireframe), FIELD(axisAnim), FIELD(translateAnim), FIELD(scaleAnim),
        FIELD(moveAnim), FIELD(colorAnim), FIELD(angleAnim), FIELD(objectAnim), FIELD(opacityAnim),
        FIELD(rotateOn), FIELD(translateOn), FIELD(scaleOn), FIELD(moveOn), FIELD(colorOn), FIELD(opacityOn),
        FIELD(maskOn), FIELD(maskAnim), FIELD(sync), FIELD(insync), FIELD(center),
        FIELD(duration), FIELD(startTime), FIELD(endTime), FIELD(syncEndTime), FIELD(track), FIELD(type),
        FIELD(objectCur), FIELD(objectStart), FIELD(objectEnd), FIELD(maskCur), FIELD(maskStart), FIELD(maskEnd),
        FIELD(blendSrc), FIELD(blendDst), FIELD(imageWidth), FIELD(imageHeight), FIELD(syncList), FIELD(syncPos),
        FIELD(syncNextTime), FIELD(sceneNumber),
        FIELD(opacityCur), FIELD(opacityStart), FIELD(opacityEnd), FIELD(angleCur), FIELD(angleStart),
        FIELD(angleEnd), FIELD(position), FIELD(colorCur), FIELD(colorStart), FIELD(colorEnd), FIELD(axisCur),
        FIELD(axisStart), FIELD(axisEnd), FIELD(scaleCur), FIELD(scaleStart), FIELD(scaleEnd),
        FIELD(translateCur), FIELD(translateStart), FIELD(translateEnd), FIELD(moveCur), FIELD(moveStart),
        FIELD(moveEnd)};
    return fields;
}

bool isDerivedField(const Field& field) {
    const size_t length = std::strlen(field.name);
    return std::strcmp(field.name, "position") == 0 ||
           (length > 3 && std::strcmp(field.name + length - 3, "Cur") == 0);
}

static std::string hexBytes(const unsigned char* bytes, size_t size) {
    std::string text;
    char pair[3];
    for (size_t i = 0; i < size; i++) {
        std::snprintf(pair, sizeof pair, "%02x", bytes[i]);
        text += pair;
    }
    return text;
}

std::string stateDifferences(const CScene& a, const CScene& b) {
    const auto* x = reinterpret_cast<const unsigned char*>(&a);
    const auto* y = reinterpret_cast<const unsigned char*>(&b);
    std::string differences;
    for (const Field& f : sceneFields()) {
        if (isDerivedField(f) || std::memcmp(x + f.offset, y + f.offset, f.size) == 0) continue;
        differences += std::string(f.name) + " " + hexBytes(x + f.offset, f.size) + " vs " +
                       hexBytes(y + f.offset, f.size) + "; ";
    }
    return differences;
}
