#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pravik {

// The entry editor's sheet check list as the sheet code sees it: item texts
// (CP932 sheet names) with a checked flag. The editor adapts its widget;
// CheckItems is the plain form.
class CheckList {
public:
    virtual ~CheckList() = default;
    virtual int count() const = 0;
    virtual std::string itemText(int index) const = 0;
    virtual bool isChecked(int index) const = 0;
    virtual void setChecked(int index, bool checked) = 0;
    virtual void addUnchecked(const std::string& text) = 0;
};

struct CheckItem {
    std::string name;
    bool checked = false;
    bool operator==(const CheckItem&) const = default;
};

class CheckItems : public CheckList {
public:
    CheckItems() = default;
    CheckItems(std::vector<CheckItem> items) : items(std::move(items)) {}

    int count() const override { return static_cast<int>(items.size()); }
    std::string itemText(int index) const override { return items.at(index).name; }
    bool isChecked(int index) const override { return items.at(index).checked; }
    void setChecked(int index, bool checked) override { items.at(index).checked = checked; }
    void addUnchecked(const std::string& text) override { items.push_back({text, false}); }

    std::vector<CheckItem> items;
};

// Shown (caption kSheetNameQuoteCaption, exclamation icon) when writing is
// refused. UTF-8.
inline constexpr const char* kSheetNameQuoteMessage =
    "シート名にダブルクォーテーション（\"）が含まれている為、保存できませんでした";
inline constexpr const char* kSheetNameQuoteCaption = "例外発生";

// The sheet-list text of the checked items, in list order: each name in
// double quotes, joined by commas; "" when none is checked. nullopt when a
// checked name holds a double quote, which the text cannot carry.
std::optional<std::string> writeSheetList(const CheckList& list);

// The names of a sheet-list text by the comma-text rule: quoted names keep
// spaces and commas and turn "" into ", unquoted names end at a comma or a
// byte 1..32, an unclosed quote takes the rest. A CP932 lead byte and its
// trail byte are one character, so a trail byte never ends a name.
std::vector<std::string> readSheetList(std::string_view text);

// Page-range text of a Word row: "" for all pages, else the typed ranges in
// one double quote at each end.
std::string pageRangeText(std::string_view typed);

// The typed ranges of a stored page-range text: the enclosing double quotes
// removed, each only where it is there.
std::string pageRangesOf(std::string_view stored);

} // namespace pravik
