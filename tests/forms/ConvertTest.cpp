#include "forms/Convert.h"

#include <gtest/gtest.h>

TEST(TextToInt, ReadsTheLeadingNumber) {
    struct Case {
        const char* text;
        int32_t value;
    } cases[] = {
        {"", 0},
        {"16", 16},
        {" 16", 16},
        {"\t\r\n\v\f16", 16},
        {"16abc", 16},
        {"-5", -5},
        {"+7", 7},
        {"3.7", 3},
        {"abc", 0},
        {"-", 0},
        {"- 5", 0},
        {"\xA3\xB1\xA3\xB6", 16},          // full-width "１６"
        {"\xA3\xAD\xA3\xB5", -5},          // full-width "－５"
        {"\xA1\xA1" "12", 12},             // ideographic space, then 12
        {"\xB0\xA1" "12", 0},              // another double-byte character first
        {"2147483647", 2147483647},
        {"2147483648", INT32_MIN},         // wraps in 32 bits
        {"4294967296", 0},
        {"4294967297", 1},
        {"-2147483648", INT32_MIN},
        {"99999999999", 1215752191},       // 99999999999 mod 2^32
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.value, forms::textToInt(c.text)) << "text \"" << c.text << "\"";
}

TEST(IntToText, DecimalWithoutLeadingZeros) {
    EXPECT_EQ("1", forms::intToText(1));
    EXPECT_EQ("10000", forms::intToText(10000));
    EXPECT_EQ("-5", forms::intToText(-5));
    EXPECT_EQ("0", forms::intToText(0));
}
