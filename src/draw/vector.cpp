#include "draw/vector.h"

#include <cmath>

CVector::CVector() : x(0), y(0), z(0) {}

CVector::CVector(float x, float y, float z) : x(x), y(y), z(z) {}

float CVector::length() {
    const long double sum = static_cast<long double>(x) * x + static_cast<long double>(y) * y +
                            static_cast<long double>(z) * z;
    return static_cast<float>(std::sqrt(sum));
}

float CVector::distance(const CVector& other) {
    CVector d(x - other.x, y - other.y, z - other.z);
    return d.length();
}

// No guard for the zero vector: it gives three not-a-number components.
CVector CVector::normalize() {
    const float n = length();
    tmpX = x / n;
    tmpY = y / n;
    tmpZ = z / n;
    return CVector(tmpX, tmpY, tmpZ);
}

float CVector::dotProduct(const CVector& v) { return x * v.x + y * v.y + z * v.z; }

CVector CVector::crossProduct(const CVector& v) {
    tmpX = y * v.z - z * v.y;
    tmpY = z * v.x - x * v.z;
    tmpZ = x * v.y - y * v.x;
    return CVector(tmpX, tmpY, tmpZ);
}

// Not clamped: float error or a zero-length operand can give not-a-number.
float CVector::angle(CVector v) {
    const float d = dotProduct(v);
    const float a = length();
    const float b = v.length();
    const float p = b * a;
    return static_cast<float>(std::acos(d / p));
}

bool CVector::operator==(const CVector& v) { return x == v.x && y == v.y && z == v.z; }

void CVector::operator=(const CVector& v) {
    x = v.x;
    y = v.y;
    z = v.z;
}

CVector CVector::operator+(const CVector& v) {
    tmpX = x + v.x;
    tmpY = y + v.y;
    tmpZ = z + v.z;
    return CVector(tmpX, tmpY, tmpZ);
}

CVector CVector::operator+=(const CVector& v) {
    x += v.x;
    y += v.y;
    z += v.z;
    return CVector(x, y, z);
}

CVector CVector::operator-(const CVector& v) {
    tmpX = x - v.x;
    tmpY = y - v.y;
    tmpZ = z - v.z;
    return CVector(tmpX, tmpY, tmpZ);
}

CVector CVector::operator-=(const CVector& v) {
    x -= v.x;
    y -= v.y;
    z -= v.z;
    return CVector(x, y, z);
}

CVector CVector::operator*(const float& s) {
    tmpX = x * s;
    tmpY = y * s;
    tmpZ = z * s;
    return CVector(tmpX, tmpY, tmpZ);
}

CVector CVector::operator*=(const float& s) {
    x *= s;
    y *= s;
    z *= s;
    return CVector(x, y, z);
}

CVector CVector::operator/(const float& s) {
    tmpX = x / s;
    tmpY = y / s;
    tmpZ = z / s;
    return CVector(tmpX, tmpY, tmpZ);
}

CVector CVector::operator/=(const float& s) {
    x /= s;
    y /= s;
    z /= s;
    return CVector(x, y, z);
}
