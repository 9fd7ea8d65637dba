#include "base/str_to_num.h"

#include <gtest/gtest.h>

namespace {

struct NumCase {
    const char* text;
    int result;
    int32_t value;
};

TEST(StrToNum, Table) {
    const NumCase cases[] = {
        {"0", 1, 0},           {"-12", 1, -12},          {"+7", 1, 7},         {"123456789", 1, 123456789},
        {"-999999999", 1, -999999999}, {"1234567890", 0, 0}, {"", 0, 0},      {"-", 0, 0},
        {"+", 0, 0},           {"12a", 0, 0},            {" 1", 0, 0},         {"1.", 0, 0},
        {"--1", 0, 0},         {"000000001", 1, 1},      {"0000000001", 0, 0},
    };
    for (const NumCase& c : cases) {
        SCOPED_TRACE(c.text);
        int32_t out = 4242;
        EXPECT_EQ(StrToNum(c.text, &out), c.result);
        EXPECT_EQ(out, c.result ? c.value : 4242);
    }
    EXPECT_EQ(StrToNum(nullptr, nullptr), 0);
}

} // namespace
