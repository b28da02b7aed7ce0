#pragma once

// Between the platform's property-list objects and the document's value model.
//
// Into the model, each object is classified once, depth first: a boolean is a
// Bool (never a number); a number whose value is whole and within the signed
// 64-bit range is an Int, whether the file stored it as an integer or a real
// (so 3.0 reads as Int 3); any other number is a Double when a Double holds it
// exactly; strings, dates and data keep their shape. An object that fits none
// of these fails the whole conversion: no entry is skipped and nothing of a
// partial result survives.
//
// Back out, each shape becomes its platform object (Int an integer, Double a
// real), for the serialiser.

#include <optional>

#include "platform/plist_object.h"
#include "plist/plist_value.h"

namespace zoral::plist {

std::optional<PListDictionary> convertDictionary(const platform::PlistDictionary& source);
std::optional<PListArray> convertArray(const platform::PlistArray& source);
std::optional<PListValue> convertObject(const platform::PlistObject& source);

platform::PlistObject toPlistObject(const PListValue& value);
platform::PlistObject toPlistObject(const PListDictionary& dictionary);

}  // namespace zoral::plist
