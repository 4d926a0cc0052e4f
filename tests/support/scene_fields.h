// The fields of the scene record by name and byte range, for tests that
// compare records field by field (the record has padding, so never whole).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "timeline/scene.h"

struct Field {
    const char* name;
    size_t offset;
    size_t size;
    bool isBool;
};

// Every field, in declaration order.
const std::vector<Field>& sceneFields();

// The position and the current values: rebuilt from the other fields
// before every use, so no later frame reads what a frame left in them.
bool isDerivedField(const Field& field);

// The names of the fields that are not derived and in which a and b
// differ, each with both values in hexadecimal bytes; empty when none.
std::string stateDifferences(const CScene& a, const CScene& b);
