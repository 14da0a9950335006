#pragma once

#include "Variant.h"

#include <climits>
#include <string>
#include <string_view>
#include <vector>

// Values as the office adapters take them: the jobs pass booleans and counts
// as texts ("True", "2") and leave the coercion to the server, as servers of
// this kind coerce. A value that does not coerce is refused with
// EOleSysError (type mismatch) and a text naming what it was for; nothing is
// made up.
namespace pravik::office {

// A boolean, an integer (non-zero is true), or a text "True"/"False" in any
// letter case, or a decimal number.
bool toBoolean(const Variant& value, std::string_view what);

// An integer, or a text holding a decimal integer (blanks around it allowed),
// within [min, max]; outside it the value is refused as out of range.
int toInteger(const Variant& value, std::string_view what, int min = INT_MIN, int max = INT_MAX);

// A text value as it was given (CP932).
const std::string& toText(const Variant& value, std::string_view what);

// A text or an array of texts, as a list of names.
std::vector<std::string> toNames(const Variant& value, std::string_view what);

} // namespace pravik::office
