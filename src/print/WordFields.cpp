#include "WordFields.h"

namespace pravik {

namespace {

constexpr std::int32_t kFieldAsk = 38;    // wdFieldAsk
constexpr std::int32_t kFieldFillIn = 39; // wdFieldFillIn
// wdMainTextStory .. wdFirstPageFooterStory: text, notes, comments, text
// boxes, headers and footers. The note separators above them hold no fields.
constexpr std::int32_t kFirstStory = 1;
constexpr std::int32_t kLastStory = 11;

int lockInRange(AutomationCall& automation, const Variant& range)
{
    const Variant fields = automation.execute(range, AutoCmd(CallKind::PropertyGet, "Fields"));
    const std::int32_t count = automation.execute(fields, AutoCmd(CallKind::PropertyGet, "Count")).asInteger();
    int locked = 0;
    for (std::int32_t i = 1; i <= count; ++i) {
        const Variant field =
            automation.execute(fields, AutoCmd(CallKind::Function, "Item").arg(Variant::fromInt(i)));
        const std::int32_t type = automation.execute(field, AutoCmd(CallKind::PropertyGet, "Type")).asInteger();
        if (type == kFieldAsk || type == kFieldFillIn) {
            automation.execute(field, AutoCmd(CallKind::PropertySet, "Locked").arg(Variant::fromBool(true)));
            ++locked;
        }
    }
    return locked;
}

} // namespace

int lockFieldsThatAsk(AutomationCall& automation, const Variant& document)
{
    const Variant stories = automation.execute(document, AutoCmd(CallKind::PropertyGet, "StoryRanges"));
    int locked = 0;
    for (std::int32_t type = kFirstStory; type <= kLastStory; ++type) {
        Variant range;
        try {
            range = automation.execute(stories, AutoCmd(CallKind::Function, "Item").arg(Variant::fromInt(type)));
        } catch (const EOleException&) {
            continue; // Word has no story of that type in this document
        }
        // Each section's headers, and each text box, are further ranges of
        // the story, reached one from the other.
        while (range.isObject()) {
            locked += lockInRange(automation, range);
            range = automation.execute(range, AutoCmd(CallKind::PropertyGet, "NextStoryRange"));
        }
    }
    return locked;
}

} // namespace pravik
