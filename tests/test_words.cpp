#include <gtest/gtest.h>

#include <cmath>

#include "script/words.h"

TEST(Words, SplitsOnEveryBlankKind) {
    const std::string text = " \tab\vc\fd\r\ne ";
    std::vector<std::string> words;
    size_t pos = 0, b, e;
    while (nextWord(text, pos, b, e)) {
        words.push_back(text.substr(b, e - b));
        pos = e;
    }
    EXPECT_EQ(words, (std::vector<std::string>{"ab", "c", "d", "e"}));
}

TEST(Words, IntegersReadTheLeadingNumber) {
    int32_t v = 99;
    EXPECT_TRUE(readInt("12abc", v));
    EXPECT_EQ(v, 12);
    EXPECT_TRUE(readInt("-7", v));
    EXPECT_EQ(v, -7);
    EXPECT_TRUE(readInt("+5", v));
    EXPECT_EQ(v, 5);
    EXPECT_TRUE(readInt("1.9", v));
    EXPECT_EQ(v, 1);
    v = 99;
    EXPECT_FALSE(readInt("abc", v));
    EXPECT_FALSE(readInt("-", v));
    EXPECT_FALSE(readInt("", v));
    EXPECT_EQ(v, 99);
}

TEST(Words, IntegersSaturate) {
    int32_t v = 0;
    EXPECT_TRUE(readInt("99999999999999999999", v));
    EXPECT_EQ(v, INT32_MAX);
    EXPECT_TRUE(readInt("-99999999999999999999", v));
    EXPECT_EQ(v, INT32_MIN);
    EXPECT_TRUE(readInt("-2147483648", v));
    EXPECT_EQ(v, INT32_MIN);
}

TEST(Words, FloatsReadTheLongestNumber) {
    float f = 42;
    EXPECT_TRUE(readFloat("0.5", f));
    EXPECT_FLOAT_EQ(f, 0.5f);
    EXPECT_TRUE(readFloat(".5x", f));
    EXPECT_FLOAT_EQ(f, 0.5f);
    EXPECT_TRUE(readFloat("2.", f));
    EXPECT_FLOAT_EQ(f, 2.0f);
    EXPECT_TRUE(readFloat("-1.5e2", f));
    EXPECT_FLOAT_EQ(f, -150.0f);
    EXPECT_TRUE(readFloat("1e", f));
    EXPECT_FLOAT_EQ(f, 1.0f);
    EXPECT_TRUE(readFloat("1.2.3", f));
    EXPECT_FLOAT_EQ(f, 1.2f);
    f = 42;
    EXPECT_FALSE(readFloat("nan", f));
    EXPECT_FALSE(readFloat("inf", f));
    EXPECT_FALSE(readFloat(".", f));
    EXPECT_FALSE(readFloat("x1", f));
    EXPECT_EQ(f, 42);
}

// The nearest float to the digits, not the float nearest the double
// nearest them: 16777217 lies halfway between two floats, and the digits
// after it decide.
TEST(Words, FloatsAreRoundedOnceFromTheirDigits) {
    float f = 0;
    EXPECT_TRUE(readFloat("16777217.000000001", f));
    EXPECT_EQ(f, 16777218.0f);
    EXPECT_TRUE(readFloat("-16777217.000000001", f));
    EXPECT_EQ(f, -16777218.0f);
    EXPECT_TRUE(readFloat("16777217", f));
    EXPECT_EQ(f, 16777216.0f);  // a tie goes to the even one
    double d = 0;
    EXPECT_TRUE(readDouble("16777217.000000001", d));
    EXPECT_EQ(d, 16777217.0);
}

TEST(Words, FloatsOutOfRange) {
    float f = 0;
    EXPECT_TRUE(readFloat("1e999", f));
    EXPECT_TRUE(std::isinf(f));
    EXPECT_TRUE(readFloat("1e-999", f));
    EXPECT_EQ(f, 0.0f);
}
