#pragma once

// The keys of world files: a world file's JSON read strictly into a WorldDescription, and written
// back. Every key, its type and the values it may take are in the tables of world_format.cpp.
//
// Attribute values are JSON strings, booleans and numbers (integers stay integers), arrays, and
// one-key objects for the other kinds: {"point": [x, y]}, {"size": [w, h]}, {"rect": [x, y, w,
// h]}, {"range": [location, length]}, {"url": "file:///..."}, {"element": "<id>"} (null for an
// element that is gone) and {"error": -25204}.

#include "platform/json.h"
#include "sim/json_codec.h"
#include "sim/world_description.h"

namespace zoral::sim {

// Throws json_codec::FormatError, naming the place of the first fault.
WorldDescription parseWorldDescription(const platform::Json& json);
platform::Json formatWorldDescription(const WorldDescription& world);

}  // namespace zoral::sim

namespace zoral::sim::json_codec {

template <>
struct Codec<AttributeValue> {
    static AttributeValue read(const Json& json, const Place& place);
    static Json write(const AttributeValue& value);
};

}  // namespace zoral::sim::json_codec
