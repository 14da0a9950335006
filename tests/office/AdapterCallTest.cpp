#include "AdapterCall.h"

#include <gtest/gtest.h>

#include <vector>

namespace pravik::office {
namespace {

struct Call {
    std::vector<Variant> args;
    std::vector<NamedParm> named;
    Invocation invocation(CallKind kind, const char* member, CallForm form = CallForm::Command) const
    {
        return {kind, member, args, named, form};
    }
};

TEST(MemberCall, NamesMatchWithoutRegardToLetterCase)
{
    const Call call;
    const Invocation invocation = call.invocation(CallKind::PropertyGet, "item");
    EXPECT_TRUE(MemberCall(invocation).is("Item"));
    EXPECT_FALSE(MemberCall(invocation).is("Items"));
    EXPECT_TRUE(sameName("WorkSheets", "Worksheets"));
}

TEST(MemberCall, RefusesCallsTheMemberCannotTake)
{
    Call call;
    call.args = {Variant::fromInt(1)};
    const Invocation put = call.invocation(CallKind::PropertySet, "Workbooks");
    try {
        MemberCall(put).expect(Shape::Get);
        FAIL();
    } catch (const EOleSysError& e) {
        EXPECT_EQ(e.code(), kMemberNotFound);
    }

    const Invocation tooMany = call.invocation(CallKind::Function, "Quit");
    try {
        MemberCall(tooMany).expect(Shape::Method);
        FAIL();
    } catch (const EOleSysError& e) {
        EXPECT_EQ(e.code(), olecode::BadParamCount);
    }
    EXPECT_NO_THROW(MemberCall(tooMany).expect(Shape::Method, 1, 1));
}

TEST(MemberCall, AnUnknownNamedArgumentIsAnUnknownName)
{
    Call call;
    call.named = {{"Copies", Variant::fromText("1")}, {"From", Variant::fromInt(2)}};
    try {
        MemberCall(call.invocation(CallKind::Procedure, "PrintOut")).expect(Shape::Method, 0, 0, {"copies"});
        FAIL();
    } catch (const EOleError& e) {
        EXPECT_EQ(e.member(), "From");
    }
    const Invocation printOut = call.invocation(CallKind::Procedure, "PrintOut");
    const MemberCall known(printOut);
    EXPECT_NO_THROW(known.expect(Shape::Method, 0, 0, {"Copies", "from"}));
    ASSERT_NE(known.named("COPIES"), nullptr);
    EXPECT_EQ(known.named("COPIES")->text(), "1");
    EXPECT_EQ(known.named("Collate"), nullptr);
}

TEST(MemberCall, AnUnknownMemberIsNamedInEitherForm)
{
    const Call call;
    try {
        MemberCall(call.invocation(CallKind::PropertyGet, "Charts")).unknownMember();
        FAIL();
    } catch (const EOleError& e) {
        EXPECT_EQ(e.member(), "Charts");
    }
    try {
        MemberCall(call.invocation(CallKind::PropertyGet, "Charts", CallForm::Shorthand)).unknownMember();
        FAIL();
    } catch (const EOleSysError& e) {
        EXPECT_EQ(e.code(), olecode::UnknownName);
        EXPECT_NE(std::string(e.what()).find("'Charts'"), std::string::npos);
    }
}

} // namespace
} // namespace pravik::office
