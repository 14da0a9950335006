#include "AutomationErrors.h"
#include "ValueCoercion.h"

#include <gtest/gtest.h>

namespace pravik::office {
namespace {

std::int32_t codeOf(const std::function<void()>& call)
{
    try {
        call();
    } catch (const EOleSysError& e) {
        return e.code();
    }
    return 0;
}

TEST(ValueCoercion, BooleansComeAsTextsOrNumbers)
{
    // The Excel job passes "True" and "False" as texts.
    EXPECT_TRUE(toBoolean(Variant::fromText("True"), "x"));
    EXPECT_FALSE(toBoolean(Variant::fromText("False"), "x"));
    EXPECT_TRUE(toBoolean(Variant::fromText(" TRUE "), "x"));
    EXPECT_TRUE(toBoolean(Variant::fromText("-1"), "x"));
    EXPECT_FALSE(toBoolean(Variant::fromText("0"), "x"));
    EXPECT_FALSE(toBoolean(Variant::fromBool(false), "x"));
    EXPECT_TRUE(toBoolean(Variant::fromInt(2), "x"));

    for (const Variant& refused : {Variant::fromText(""), Variant::fromText("yes"), Variant(),
                                   Variant::fromTextArray({"True"})})
        EXPECT_EQ(codeOf([&] { toBoolean(refused, "Collate"); }), olecode::TypeMismatch);
}

TEST(ValueCoercion, CountsAreDecimalAndWithinTheirRange)
{
    EXPECT_EQ(toInteger(Variant::fromText("2"), "x", 1, 9999), 2);
    EXPECT_EQ(toInteger(Variant::fromText(" 12 "), "x", 1, 9999), 12);
    EXPECT_EQ(toInteger(Variant::fromText("+3"), "x", 1, 9999), 3);
    EXPECT_EQ(toInteger(Variant::fromInt(4), "x", 1, 9999), 4);

    // Copies as stored by hand in a list file: never guessed at.
    for (const char* text : {"", "abc", "2x", "1.5", "0x10", "- 1"})
        EXPECT_EQ(codeOf([&] { toInteger(Variant::fromText(text), "Copies", 1, 9999); }),
                  olecode::TypeMismatch)
            << text;
    for (const char* text : {"0", "-1", "10000", "99999999999999999999"})
        EXPECT_NE(codeOf([&] { toInteger(Variant::fromText(text), "Copies", 1, 9999); }), 0) << text;
    EXPECT_EQ(codeOf([&] { toInteger(Variant::fromText("0"), "Copies", 1, 9999); }), olecode::Overflow);
}

TEST(ValueCoercion, RefusalsNameWhatTheValueWasFor)
{
    try {
        toInteger(Variant::fromText("abc"), "部数", 1, 9999);
        FAIL();
    } catch (const EOleSysError& e) {
        EXPECT_STREQ(e.what(), "部数 に 'abc' は使えません（型が一致しません）");
    }
}

TEST(ValueCoercion, NamesComeAsOneTextOrAnArray)
{
    EXPECT_EQ(toNames(Variant::fromText("Sheet1"), "x"), std::vector<std::string>{"Sheet1"});
    EXPECT_EQ(toNames(Variant::fromTextArray({"a", "b"}), "x"), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(codeOf([] { toNames(Variant::fromInt(1), "Sheets"); }), olecode::TypeMismatch);
    EXPECT_EQ(codeOf([] { toText(Variant::fromBool(true), "Open"); }), olecode::TypeMismatch);
}

} // namespace
} // namespace pravik::office
