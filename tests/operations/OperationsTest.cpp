// The operation set as tables of calls and their results, in both the full set and OrvexVM's copy.
#include "operations/Operations.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

using namespace std::literals;

namespace {

struct Call {
    std::string_view interfaceName;
    std::string_view operationName;
    std::string_view left;
    std::string_view right;
    std::string_view expected;
};

void PrintTo(const Call& call, std::ostream* os) {
    *os << testing::PrintToString(call.interfaceName) << ' ' << testing::PrintToString(call.operationName)
        << ' ' << testing::PrintToString(call.left) << ' ' << testing::PrintToString(call.right);
}

std::string apply(const Call& call, Interfaces interfaces) {
    return applyOperation(call.interfaceName, call.operationName, call.left, call.right, interfaces);
}

// Calls whose result is the same with or without the "<Math>" interface.
const Call sharedCalls[] = {
    // Integer arithmetic wraps in 32 bits; '/' truncates toward zero and '%' follows the left sign.
    {"String", "<+>", "<2>", "<3>", "<5>"},
    {"String", "<+>", "<>", "<5>", "<5>"},
    {"String", "<+>", "<+>", "<->", "<0>"},
    {"String", "<+>", "<+007>", "<-0>", "<7>"},
    {"String", "</>", "<7>", "<2>", "<3>"},
    {"String", "</>", "<-7>", "<2>", "<-3>"},
    {"String", "<%>", "<-7>", "<2>", "<-1>"},
    {"String", "<%>", "<7>", "<-2>", "<1>"},
    {"String", "<+>", "<999999999>", "<-1000000000>", "<-1>"},
    {"String", "<+>", "<2147483647>", "<1>", "<-2147483648>"},
    {"String", "<->", "<-2147483648>", "<1>", "<2147483647>"},
    {"String", "<*>", "<65536>", "<65536>", "<0>"},
    {"String", "<*>", "<-2147483648>", "<-1>", "<-2147483648>"},
    {"String", "</>", "<-2147483648>", "<-1>", "<-2147483648>"},
    {"String", "<%>", "<-2147483648>", "<-1>", "<0>"},
    {"String", "</>", "<5>", "<0>", "nil"},
    {"String", "<%>", "<5>", "<>", "nil"},
    // Integer literals beyond 32 bits fail integer arithmetic but read as doubles beside a float.
    {"String", "<+>", "<2147483648>", "<0>", "nil"},
    {"String", "<->", "<0>", "<-2147483649>", "nil"},
    {"String", "<+>", "<-2147483648>", "<0>", "<-2147483648>"},
    {"String", "<+>", "<10000000000>", "<0.5>", "<1e+010>"},
    // A float literal on either side computes in doubles; the remainder then fails.
    {"String", "<+>", "<2>", "<0.5>", "<2.5>"},
    {"String", "<+>", "<1.5>", "<1.5>", "<3.0>"},
    {"String", "</>", "<7.0>", "<2>", "<3.5>"},
    {"String", "<%>", "<7.0>", "<2>", "nil"},
    {"String", "<%>", "<7>", "<.5>", "nil"},
    {"String", "<+>", "<.5>", "<5.>", "<5.5>"},
    {"String", "<*>", "<1.5e3>", "<2>", "<3000.0>"},
    {"String", "<+>", "<-1.5E+3>", "<0>", "<-1500.0>"},
    {"String", "<+>", "<.>", "<+.>", "<0.0>"},
    {"String", "<+>", "<1.e>", "<0>", "<1.0>"},
    {"String", "<+>", "<1.5e->", "<0>", "<1.5>"},
    {"String", "<*>", "<-0>", "<1.0>", "<0.0>"},
    {"String", "<*>", "<-0>", "<2.5>", "<0.0>"},
    {"String", "</>", "<-1.5>", "<-0>", "<-inf>"},
    {"String", "<+>", "<2147483648>", "<0.0>", "<2.14748e+009>"},
    {"String", "<*>", "<-1.0>", "<0>", "<-0.0>"},
    // Number texts: six significant digits, three exponent digits, ".0" after whole 32-bit values.
    {"String", "<*>", "<1234567.0>", "<1>", "<1.23457e+006.0>"},
    {"String", "<+>", "<10000000000.0>", "<0>", "<1e+010>"},
    {"String", "<*>", "<1000000.0>", "<1>", "<1e+006.0>"},
    {"String", "<+>", "<999999.0>", "<0>", "<999999.0>"},
    {"String", "<+>", "<999999.5>", "<0>", "<1e+006>"},
    // An exact tie at the sixth digit goes to the even neighbour. 0.1234565 is no tie: its double
    // lies just below it.
    {"String", "<+>", "<123456.5>", "<0.0>", "<123456>"},
    {"String", "<+>", "<123457.5>", "<0.0>", "<123458>"},
    {"String", "<+>", "<0.1234565>", "<0.0>", "<0.123456>"},
    {"String", "<+>", "<2147483647.0>", "<0>", "<2.14748e+009.0>"},
    {"String", "<+>", "<2147483648.0>", "<0>", "<2.14748e+009>"},
    {"String", "<+>", "<-2147483648.0>", "<0>", "<-2.14748e+009.0>"},
    {"String", "</>", "<1.0>", "<3>", "<0.333333>"},
    {"String", "<+>", "<0.0001>", "<0>", "<0.0001>"},
    {"String", "</>", "<1.0>", "<100000>", "<1e-005>"},
    {"String", "<*>", "<1.e100>", "<1>", "<1e+100>"},
    {"String", "<*>", "<1.e-300>", "<1.e-300>", "<0.0>"},
    {"String", "</>", "<1.0>", "<0>", "<inf>"},
    {"String", "</>", "<-1.0>", "<0>", "<-inf>"},
    {"String", "</>", "<1.0>", "<-0.0>", "<-inf>"},
    {"String", "</>", "<0.0>", "<0>", "<nan>"},
    {"String", "<*>", "<1.e308>", "<10>", "<inf>"},
    {"String", "<->", "<1.e999>", "<1.e999>", "<nan>"},
    // Without two numbers, '+' with a literal on the right concatenates inner texts; the rest fail.
    {"String", "<+>", "<ab>", "<cd>", "<abcd>"},
    {"String", "<+>", "<a>", "<b>", "<ab>"},
    {"String", "<+>", "<1>", "<x>", "<1x>"},
    {"String", "<+>", "hello", "<x>", "<ellx>"},
    {"String", "<+>", "<x>", "hello", "nil"},
    {"String", "<->", "<ab>", "<cd>", "nil"},
    {"String", "<+>", "<1e5>", "<1>", "<1e51>"},
    {"String", "<+>", "<12a>", "<1>", "<12a1>"},
    {"String", "<+>", "<1..5>", "<0>", "<1..50>"},
    {"String", "<+>", "<--1>", "<1>", "<--11>"},
    {"String", "<+>", "<0x10>", "<1>", "<0x101>"},
    {"String", "<+>", "<inf>", "<1.0>", "<inf1.0>"},
    // Two numbers compare by value, anything else as whole texts of unsigned bytes.
    {"String", "<==>", "<5>", "<5.0>", "true"},
    {"String", "<==>", "<>", "<-0.0>", "true"},
    {"String", "<==>", "<99999999999>", "<99999999999.0>", "true"},
    {"String", "<<>", "<2147483647>", "<2147483648>", "true"},
    {"String", "<<>", "<10>", "<9>", "false"},
    {"String", "<==>", "<+0>", "<->", "true"},
    {"String", "<<>", "<-999999999>", "<+0999999999>", "true"},
    {"String", "<<>", "<-1>", "<.5>", "true"},
    {"String", "<<>", "<5>", "<5>", "false"},
    {"String", "<==>", "<abc>", "<abc>", "true"},
    {"String", "<==>", "a\0b"sv, "a\0c"sv, "false"},
    {"String", "<<>", "<10>", "<9x>", "true"},
    {"String", "<<>", "<ab!>", "<ab>", "true"},
    {"String", "<<>", "<ab>", "<ab!>", "false"},
    {"String", "<<>", "<a>", "<\xff>", "true"},
    {"String", "<<>", "\xff", "a", "false"},
    {"String", "<<>", "ab", "abc", "true"},
    // Append and length need string literals.
    {"String", "<append>", "<ab>", "<cd>", "<abcd>"},
    {"String", "<append>", "<1>", "<2>", "<12>"},
    {"String", "<append>", "<a>", "b", "nil"},
    {"String", "<length>", "<hello>", "anything", "<5>"},
    {"String", "<length>", "<>", "", "<0>"},
    {"String", "<length>", "<\xff\0>"sv, "", "<2>"},
    {"String", "<length>", "hello", "", "nil"},
    // Names match whole and case-sensitively; each operation belongs to one interface.
    {"string", "<+>", "<1>", "<2>", "nil"},
    {"<String>", "<+>", "<1>", "<2>", "nil"},
    {"String", "+", "<1>", "<2>", "nil"},
    {"String", "<+> ", "<1>", "<2>", "nil"},
    {"Math", "<random>", "", "<5>", "nil"},
    {"String", "<trunc>", "", "<2.5>", "nil"},
};

// Calls of the "<Math>" interface, which OrvexVM's copy answers with "nil".
const Call mathCalls[] = {
    {"<Math>", "<trunc>", "", "<-2.7>", "<-2>"},
    {"<Math>", "<trunc>", "", "<5>", "<5>"},
    {"<Math>", "<trunc>", "<5>", "", "nil"},
    {"<Math>", "<trunc>", "", "<+007>", "<7>"},
    {"<Math>", "<trunc>", "", "<-0.5>", "<0>"},
    {"<Math>", "<trunc>", "", "<.>", "<0>"},
    {"<Math>", "<trunc>", "", "<2147483647.9>", "<2147483647>"},
    {"<Math>", "<trunc>", "", "<-2147483648.9>", "<-2147483648>"},
    {"<Math>", "<trunc>", "", "<2147483648.0>", "nil"},
    {"<Math>", "<trunc>", "", "<-2147483649.0>", "nil"},
    {"<Math>", "<trunc>", "", "<1.e999>", "nil"},
    {"<Math>", "<trunc>", "", "<2147483648>", "nil"},
    {"<Math>", "<trunc>", "", "<abc>", "nil"},
    {"<Math>", "<round>", "", "<2.5>", "nil"},
    {"<Math>", "<random>", "", "<0>", "<0>"},
    {"<Math>", "<random>", "", "<1.5>", "nil"},
    {"<Math>", "<random>", "", "<2147483648>", "nil"},
    {"<Math>", "<random>", "<10>", "", "nil"},
    {"<Math>", "<+>", "<1>", "<2>", "nil"},
};

class SharedCall : public testing::TestWithParam<Call> {};

TEST_P(SharedCall, GivesItsResultInBothCopies) {
    EXPECT_EQ(apply(GetParam(), Interfaces::All), GetParam().expected);
    EXPECT_EQ(apply(GetParam(), Interfaces::StringOnly), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Operations, SharedCall, testing::ValuesIn(sharedCalls));

class MathCall : public testing::TestWithParam<Call> {};

TEST_P(MathCall, IsKnownOnlyToTheFullSet) {
    EXPECT_EQ(apply(GetParam(), Interfaces::All), GetParam().expected);
    EXPECT_EQ(apply(GetParam(), Interfaces::StringOnly), "nil");
}

INSTANTIATE_TEST_SUITE_P(Operations, MathCall, testing::ValuesIn(mathCalls));

std::uint32_t injectedSeconds = 0;
std::uint32_t readInjectedSeconds() {
    return injectedSeconds;
}

class RandomNumber : public testing::Test {
  protected:
    void SetUp() override { setOperationClock(readInjectedSeconds); }
    void TearDown() override { setOperationClock(nullptr); }
};

// Expected draws worked out by hand: the state after one step is seed * 214013 + 2531011 mod 2^32, and
// the draw is bits 16 to 30 of it. Seed 1700000000 sets bit 31, which the draw must drop.
TEST_F(RandomNumber, DrawsOnceFromTheClockAtEveryCall) {
    struct Draw {
        std::uint32_t seed;
        std::string_view bound;
        std::string_view expected;
    };
    const Draw draws[] = {
        {0, "<100>", "<38>"},
        {0, "<10>", "<8>"},
        {1, "<100>", "<41>"},
        {1700000000, "<100000>", "<28462>"},
        {1700000000, "<1000>", "<462>"},
        {1700000000, "<-1000>", "<462>"},
        {1700000000, "<7>", "<0>"},
        {1700000000, "<-2147483648>", "<28462>"},
    };
    for (const Draw& draw : draws) {
        injectedSeconds = draw.seed;
        SCOPED_TRACE(testing::Message() << draw.seed << ' ' << draw.bound);
        // Twice, because a generator that kept its state between calls would differ the second time.
        EXPECT_EQ(applyOperation("<Math>", "<random>", "", draw.bound), draw.expected);
        EXPECT_EQ(applyOperation("<Math>", "<random>", "", draw.bound), draw.expected);
    }
}

TEST_F(RandomNumber, StaysBelowTheBoundWithTheSystemClock) {
    setOperationClock(nullptr);
    std::string result = applyOperation("<Math>", "<random>", "", "<10>");
    ASSERT_EQ(result.size(), 3u);
    EXPECT_TRUE(result[1] >= '0' && result[1] <= '9') << result;
}

// Operands far beyond any buffer or integer width must be read without overflow or crash.
TEST(Operations, ReadsHugeOperands) {
    const std::string zeros(1'000'000, '0');
    const std::string paddedSeven = "<" + zeros + "7>";
    const std::string hugeNumber = "<1" + zeros + ">";
    EXPECT_EQ(applyOperation("String", "<+>", paddedSeven, "<1>"), "<8>");
    EXPECT_EQ(applyOperation("String", "<+>", hugeNumber, "<1>"), "nil");
    EXPECT_EQ(applyOperation("String", "<*>", hugeNumber, "<1.0>"), "<inf>");
    EXPECT_EQ(applyOperation("String", "<<>", "<1.e308>", hugeNumber), "true");
    EXPECT_EQ(applyOperation("String", "<+>", "<1.0>", "<." + zeros + "1>"), "<1.0>");
    EXPECT_EQ(applyOperation("String", "<length>", hugeNumber, ""), "<1000001>");
}

} // namespace
