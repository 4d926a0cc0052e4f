// Three-component float vectors: the plain VECTOR record shared by the model
// loader, the camera and the tube, and the stand-alone CVector value class.
#pragma once

// A position: three 32-bit floats.
struct VECTOR {
    float x, y, z;
};

// A vector with the usual arithmetic. The value-returning operations store
// their result in the scratch triple of the left operand first, so they are
// not const; the compound operators return a copy, not a reference.
class CVector {
public:
    float tmpX, tmpY, tmpZ;  // scratch result of the last value-returning operation
    float x, y, z;

    CVector();
    CVector(float x, float y, float z);
    CVector(const CVector&) = default;

    float length();
    float distance(const CVector& other);
    CVector normalize();
    float dotProduct(const CVector& v);
    CVector crossProduct(const CVector& v);
    float angle(CVector v);

    bool operator==(const CVector& v);
    void operator=(const CVector& v);
    CVector operator+(const CVector& v);
    CVector operator+=(const CVector& v);
    CVector operator-(const CVector& v);
    CVector operator-=(const CVector& v);
    CVector operator*(const float& s);
    CVector operator*=(const float& s);
    CVector operator/(const float& s);
    CVector operator/=(const float& s);
};
