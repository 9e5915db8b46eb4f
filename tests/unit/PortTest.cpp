#include "common/Port.h"

#include <gtest/gtest.h>

namespace {

TEST(ParsePort, TakesOneToFiveDigitsFrom1To65535)
{
    const struct
    {
        const char *text;
        std::optional<int> port;
    } cases[] = {
        {"21", 21},
        {" 587\t", 587},
        {"1", 1},
        {"65535", 65535},
        {"00021", 21},
        {"0", std::nullopt},
        {"65536", std::nullopt},
        {"99999", std::nullopt},
        {"000021", std::nullopt}, // six digits
        {"", std::nullopt},
        {"  ", std::nullopt},
        {"+21", std::nullopt},
        {"-21", std::nullopt},
        {"21a", std::nullopt},
        {"2 1", std::nullopt},
        {"0x15", std::nullopt},
        {"twenty-one", std::nullopt},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ParsePort(QString::fromUtf8(c.text)), c.port);
    }
    // Full-width digits are not decimal digits here.
    EXPECT_EQ(ParsePort(QStringLiteral("２１")), std::nullopt);
}

} // namespace
