#include <gtest/gtest.h>

#include <cmath>

#include "draw/vector.h"

TEST(Vector, NormalizeReturnsUnitVectorAndLeavesComponents) {
    CVector v(3, 0, 4);
    CVector n = v.normalize();
    EXPECT_FLOAT_EQ(n.x, 0.6f);
    EXPECT_FLOAT_EQ(n.y, 0.0f);
    EXPECT_FLOAT_EQ(n.z, 0.8f);
    EXPECT_EQ(v.x, 3);
    EXPECT_EQ(v.z, 4);
    EXPECT_FLOAT_EQ(v.tmpX, 0.6f);  // the scratch triple holds the result
}

TEST(Vector, ZeroVectorNormalizesToNotANumber) {
    CVector zero;
    CVector n = zero.normalize();
    EXPECT_TRUE(std::isnan(n.x) && std::isnan(n.y) && std::isnan(n.z));
}

TEST(Vector, Angles) {
    CVector x(1, 0, 0), y(0, 1, 0), zero;
    EXPECT_NEAR(x.angle(y), M_PI / 2, 1e-6);
    EXPECT_TRUE(std::isnan(x.angle(zero)));
}

TEST(Vector, ArithmeticAndCompoundOperators) {
    CVector v(2, 4, 6);
    CVector h = v / 2;
    EXPECT_EQ(h.x, 1);
    EXPECT_EQ(h.y, 2);
    EXPECT_EQ(h.z, 3);
    EXPECT_EQ(v.x, 2);  // unchanged
    CVector s = v + CVector(1, 1, 1);
    EXPECT_EQ(s.z, 7);
    CVector d = v - CVector(1, 1, 1);
    EXPECT_EQ(d.x, 1);
    CVector m = v * 0.5f;
    EXPECT_EQ(m.y, 2);
    CVector c = v *= 2;
    EXPECT_EQ(v.x, 4);
    EXPECT_EQ(c.x, 4);
    v /= 4;
    EXPECT_EQ(v.z, 3);
    v += CVector(1, 2, 3);
    v -= CVector(1, 1, 1);
    EXPECT_EQ(v.x, 1);
    EXPECT_EQ(v.y, 3);
    EXPECT_EQ(v.z, 5);
    EXPECT_FLOAT_EQ(CVector(1, 2, 3).dotProduct(CVector(4, 5, 6)), 32);
    EXPECT_FLOAT_EQ(CVector(3, 4, 0).length(), 5);
}

TEST(Vector, CrossProductAndDistance) {
    CVector x(1, 0, 0);
    CVector z = x.crossProduct(CVector(0, 1, 0));
    EXPECT_EQ(z.z, 1);
    EXPECT_EQ(x.x, 1);
    EXPECT_FLOAT_EQ(CVector(1, 1, 1).distance(CVector(1, 4, 5)), 5);
}

TEST(Vector, NotANumberIsNotEqualToItself) {
    CVector v(NAN, 0, 0);
    EXPECT_FALSE(v == v);
    CVector w(1, 2, 3);
    EXPECT_TRUE(w == CVector(1, 2, 3));
}

TEST(Vector, AssignmentKeepsTargetScratch) {
    CVector target(1, 1, 1);
    target.normalize();
    const float scratch = target.tmpX;
    CVector source(7, 8, 9);
    source.tmpX = 100;
    target = source;
    EXPECT_EQ(target.x, 7);
    EXPECT_EQ(target.z, 9);
    EXPECT_EQ(target.tmpX, scratch);
}
