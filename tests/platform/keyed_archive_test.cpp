#include "platform/keyed_archive.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/plist_serialization.h"
#include "plist_builders.h"

namespace zoral::platform {
namespace {

using plist_builders::dict;
using plist_builders::str;

using Bytes = std::vector<std::uint8_t>;
using ::testing::HasSubstr;

struct Swatch {
    static constexpr std::string_view className = "Swatch";
    static constexpr bool supportsSecureCoding = true;

    std::string name;
    double red = 0;
    bool pinned = false;
    std::int64_t uses = 0;
    std::vector<std::string> tags;
    std::optional<std::string> note;

    void encodeWithCoder(KeyedArchiver& coder) const {
        coder.encodeObject(name, "name");
        coder.encodeDouble(red, "red");
        coder.encodeBool(pinned, "pinned");
        coder.encodeInt64(uses, "uses");
        coder.encodeObject(tags, "tags");
        coder.encodeObject(note, "note");
    }
    static Swatch initWithCoder(KeyedUnarchiver& coder) {
        auto name = coder.decodeObjectOfClass<std::string>("name");
        if (!name)
            coder.failWithError("a swatch without a name");
        return Swatch{std::move(*name),
                      coder.decodeDoubleForKey("red").value_or(0),
                      coder.decodeBoolForKey("pinned").value_or(false),
                      coder.decodeInt64ForKey("uses").value_or(0),
                      coder.decodeArrayOfObjectsOfClass<std::string>("tags").value_or(
                          std::vector<std::string>{}),
                      coder.decodeObjectOfClass<std::string>("note")};
    }
    friend bool operator==(const Swatch&, const Swatch&) = default;
};

struct Palette {
    static constexpr std::string_view className = "Palette";
    static constexpr bool supportsSecureCoding = true;

    std::string title;
    std::vector<Swatch> swatches;
    std::optional<Swatch> featured;
    PlistData thumbnail;

    void encodeWithCoder(KeyedArchiver& coder) const {
        coder.encodeObject(title, "title");
        coder.encodeObject(swatches, "swatches");
        coder.encodeObject(featured, "featured");
        coder.encodeObject(thumbnail, "thumbnail");
    }
    static Palette initWithCoder(KeyedUnarchiver& coder) {
        return Palette{
            coder.decodeObjectOfClass<std::string>("title").value_or(""),
            coder.decodeArrayOfObjectsOfClass<Swatch>("swatches").value_or(std::vector<Swatch>{}),
            coder.decodeObjectOfClass<Swatch>("featured"),
            coder.decodeObjectOfClass<PlistData>("thumbnail").value_or(PlistData{})};
    }
    friend bool operator==(const Palette&, const Palette&) = default;
};

// Archives by keys, but not securely.
struct Legacy {
    static constexpr std::string_view className = "Legacy";
    static constexpr bool supportsSecureCoding = false;

    std::int64_t value = 0;

    void encodeWithCoder(KeyedArchiver& coder) const { coder.encodeInt64(value, "value"); }
    static Legacy initWithCoder(KeyedUnarchiver& coder) {
        return Legacy{coder.decodeInt64ForKey("value").value_or(0)};
    }
    friend bool operator==(const Legacy&, const Legacy&) = default;
};

// Keys of its own that look like the layout's.
struct Dollars {
    static constexpr std::string_view className = "Dollars";
    static constexpr bool supportsSecureCoding = true;

    std::int64_t classValue = 0;
    std::int64_t nullValue = 0;

    void encodeWithCoder(KeyedArchiver& coder) const {
        coder.encodeInt64(classValue, "$class");
        coder.encodeInt64(nullValue, "$null");
    }
    static Dollars initWithCoder(KeyedUnarchiver& coder) {
        return Dollars{coder.decodeInt64ForKey("$class").value_or(-1),
                       coder.decodeInt64ForKey("$null").value_or(-1)};
    }
    friend bool operator==(const Dollars&, const Dollars&) = default;
};

// A tree, for nesting without bound.
struct Node {
    static constexpr std::string_view className = "Node";
    static constexpr bool supportsSecureCoding = true;

    std::vector<Node> children;

    void encodeWithCoder(KeyedArchiver& coder) const { coder.encodeObject(children, "children"); }
    static Node initWithCoder(KeyedUnarchiver& coder) {
        return Node{
            coder.decodeArrayOfObjectsOfClass<Node>("children").value_or(std::vector<Node>{})};
    }
    friend bool operator==(const Node&, const Node&) = default;
};

Node chain(std::size_t length) {
    Node node;
    for (std::size_t i = 1; i < length; ++i)
        node = Node{{std::move(node)}};
    return node;
}

PlistObject uid(std::uint64_t value) {
    return PlistObject::uid(value);
}
PlistObject classEntry(const std::string& name) {
    return dict({{"$classname", str(name)},
                 {"$classes", PlistObject::array({str(name), str("NSObject")})}});
}
PlistObject archiveOf(PlistArray objects, PlistObject root = uid(1)) {
    return dict({{"$archiver", str("NSKeyedArchiver")},
                 {"$version", PlistObject::integer(100000)},
                 {"$top", dict({{"root", std::move(root)}})},
                 {"$objects", PlistObject::array(std::move(objects))}});
}
Bytes binary(const PlistObject& object) {
    return writePlist(object, PlistFormat::binary);
}

// The description of the error that the call throws, its domain and code checked; "no error" when
// it returns.
std::string failure(const std::function<void()>& call,
                    std::int64_t code = KeyedArchiveError::readCorruptError) {
    try {
        call();
    } catch (const KeyedArchiveError& error) {
        EXPECT_EQ(error.domain(), "NSCocoaErrorDomain");
        EXPECT_EQ(error.code(), code);
        return error.description();
    }
    return "no error";
}

template <KeyedArchivable T>
std::string archivingFailure(const T& value) {
    return failure([&] { KeyedArchiver::archivedDataWithRootObject(value, true); },
                   KeyedArchiveError::invalidValueError);
}

template <KeyedArchivable T>
std::string unarchivingFailure(const Bytes& data) {
    return failure([&] { KeyedUnarchiver::unarchivedObjectOfClass<T>(data); });
}

const Swatch teal{"Teal", 0.25, true, 3, {"cool", "Teal"}, std::nullopt};

TEST(KeyedArchive, WritesTheSystemsLayout) {
    const Bytes data = KeyedArchiver::archivedDataWithRootObject(teal, true);
    const PlistReadResult read = readPlist(data);
    EXPECT_EQ(read.format, PlistFormat::binary);
    // The root first, each object before what it holds, a class entry where a class is first
    // used, and the string "Teal" once although it is encoded twice.
    const PlistObject expected = archiveOf({
        str("$null"),
        dict({{"$class", uid(2)},
              {"name", uid(3)},
              {"red", PlistObject::real(0.25)},
              {"pinned", PlistObject::boolean(true)},
              {"uses", PlistObject::integer(3)},
              {"tags", uid(4)},
              {"note", uid(0)}}),
        classEntry("Swatch"),
        str("Teal"),
        dict({{"$class", uid(6)}, {"NS.objects", PlistObject::array({uid(5), uid(3)})}}),
        str("cool"),
        classEntry("NSArray"),
    });
    EXPECT_EQ(read.object, expected);

    // Keys of a class that start with "$" take one more, and come back as they were.
    const Dollars dollars{7, 8};
    const Bytes escaped = KeyedArchiver::archivedDataWithRootObject(dollars, true);
    EXPECT_EQ(readPlist(escaped).object, archiveOf({str("$null"),
                                                    dict({{"$class", uid(2)},
                                                          {"$$class", PlistObject::integer(7)},
                                                          {"$$null", PlistObject::integer(8)}}),
                                                    classEntry("Dollars")}));
    EXPECT_EQ(KeyedUnarchiver::unarchivedObjectOfClass<Dollars>(escaped), dollars);
}

TEST(KeyedArchive, ObjectGraphsRoundTrip) {
    const Swatch sand{"Sand", 0.9, false, -4, {}, "warm"};
    const Palette palette{"Beach", {teal, sand, teal}, sand, PlistData{0, 1, 2, 255}};
    const Bytes data = KeyedArchiver::archivedDataWithRootObject(palette, true);
    EXPECT_EQ(KeyedUnarchiver::unarchivedObjectOfClass<Palette>(data), palette);
    EXPECT_EQ(KeyedUnarchiver::unarchiveTopLevelObjectWithData<Palette>(data), palette);

    const Palette bare{"", {}, std::nullopt, {}};
    EXPECT_EQ(KeyedUnarchiver::unarchivedObjectOfClass<Palette>(
                  KeyedArchiver::archivedDataWithRootObject(bare, true)),
              bare);

    // Roots of the system's own classes.
    const auto roundTrip = [](const auto& value) {
        using T = std::decay_t<decltype(value)>;
        return KeyedUnarchiver::unarchivedObjectOfClass<T>(
            KeyedArchiver::archivedDataWithRootObject(value, true));
    };
    EXPECT_EQ(roundTrip(std::string("héllo")), "héllo");
    EXPECT_EQ(roundTrip(PlistData{9, 8}), (PlistData{9, 8}));
    EXPECT_EQ(roundTrip(std::int64_t{-5}), -5);
    EXPECT_EQ(roundTrip(2.5), 2.5);
    EXPECT_EQ(roundTrip(false), false);
    const std::vector<std::vector<std::string>> nested{{"a", "b"}, {}, {"a"}};
    EXPECT_EQ(roundTrip(nested), nested);

    // A null root decodes as no value.
    EXPECT_EQ(
        KeyedUnarchiver::unarchivedObjectOfClass<Swatch>(binary(archiveOf({str("$null")}, uid(0)))),
        std::nullopt);
}

TEST(KeyedArchive, RootOfAnotherClassIsRefused) {
    const Bytes swatch = KeyedArchiver::archivedDataWithRootObject(teal, true);
    const Bytes text = KeyedArchiver::archivedDataWithRootObject(std::string("Teal"), true);
    EXPECT_THAT(unarchivingFailure<Palette>(swatch),
                HasSubstr(R"(value under key "root" is of class "Swatch", not "Palette")"));
    EXPECT_THAT(unarchivingFailure<Swatch>(text), HasSubstr(R"(class "NSString", not "Swatch")"));
    EXPECT_THAT(unarchivingFailure<std::string>(swatch),
                HasSubstr(R"(class "Swatch", not "NSString")"));
    EXPECT_THAT(unarchivingFailure<std::vector<Swatch>>(swatch),
                HasSubstr(R"(class "Swatch", not "NSArray")"));

    // Without secure coding, a root of another class is no value rather than an error.
    EXPECT_EQ(KeyedUnarchiver::unarchiveTopLevelObjectWithData<Palette>(swatch), std::nullopt);
    EXPECT_EQ(KeyedUnarchiver::unarchiveTopLevelObjectWithData<std::string>(swatch), std::nullopt);
    EXPECT_EQ(KeyedUnarchiver::unarchiveTopLevelObjectWithData<Swatch>(text), std::nullopt);
}

TEST(KeyedArchive, SecureCodingIsRequiredOfEveryClassOfTheGraph) {
    EXPECT_THAT(archivingFailure(Legacy{1}), HasSubstr(R"(class "Legacy" does not support)"));
    EXPECT_THAT(archivingFailure(std::vector<Legacy>{{1}}), HasSubstr(R"(class "Legacy")"));

    const Bytes data = KeyedArchiver::archivedDataWithRootObject(Legacy{5}, false);
    EXPECT_EQ(KeyedUnarchiver::unarchiveTopLevelObjectWithData<Legacy>(data), Legacy{5});
    EXPECT_THAT(unarchivingFailure<Legacy>(data), HasSubstr(R"(class "Legacy" does not support)"));
}

TEST(KeyedArchive, WhatCannotBeWrittenIsAnError) {
    EXPECT_THAT(archivingFailure(std::string("\xC3")), HasSubstr("not valid UTF-8"));
    // Every level of the tree is a node and an array of children.
    EXPECT_THAT(archivingFailure(chain(300)), HasSubstr("nested deeper than 512"));
    const Node deepest = chain(255);
    EXPECT_EQ(KeyedUnarchiver::unarchivedObjectOfClass<Node>(
                  KeyedArchiver::archivedDataWithRootObject(deepest, true)),
              deepest);
}

// The value of the kind the test expects there.
template <class T>
T& as(PlistObject& object) {
    T* value = object.getIf<T>();
    if (value == nullptr)
        throw std::logic_error(std::string("not a ") + kindName(object.kind()));
    return *value;
}

PlistDictionary& object(PlistArray& objects, std::uint64_t index) {
    return as<PlistDictionary>(objects.at(index));
}

std::uint64_t referenced(PlistArray& objects, std::uint64_t index, const std::string& key) {
    return object(objects, index).at(key).get<PlistUid>().value;
}

TEST(KeyedArchive, MalformedArchivesAreErrorsSayingWhat) {
    const Palette palette{"Beach", {teal}, teal, PlistData{1}};
    const PlistObject valid =
        readPlist(KeyedArchiver::archivedDataWithRootObject(palette, true)).object;

    // Where the parts of the palette stand in the table: the palette itself at 1, ...
    struct At {
        std::uint64_t title, swatches, swatch, swatchClass;
    };
    const auto locate = [](PlistArray& o) {
        const std::uint64_t swatches = referenced(o, 1, "swatches");
        const std::uint64_t swatch =
            object(o, swatches).at("NS.objects").get<PlistArray>().at(0).get<PlistUid>().value;
        return At{referenced(o, 1, "title"), swatches, swatch, referenced(o, swatch, "$class")};
    };
    struct Damage {
        const char* name;
        std::function<void(PlistDictionary& archive, PlistArray& objects, const At& at)> apply;
        std::string message;
    };
    const Damage damages[] = {
        {"wrong archiver", [](auto& a, auto&, auto&) { a["$archiver"] = str("Other"); },
         "archiver is not \"NSKeyedArchiver\""},
        {"archiver missing", [](auto& a, auto&, auto&) { a.erase("$archiver"); }, "archiver"},
        {"other version", [](auto& a, auto&, auto&) { a["$version"] = PlistObject::integer(2); },
         "version is not 100000"},
        {"object table missing", [](auto& a, auto&, auto&) { a.erase("$objects"); },
         "no object table"},
        {"object table of another type", [](auto& a, auto&, auto&) { a["$objects"] = dict({}); },
         "no object table"},
        {"top missing", [](auto& a, auto&, auto&) { a.erase("$top"); }, "no top dictionary"},
        {"root no reference",
         [](auto& a, auto&, auto&) {
             a["$top"] = dict({{"root", PlistObject::integer(1)}});
         },
         "root is a integer, not a reference to an object"},
        {"root out of range",
         [](auto& a, auto&, auto&) {
             a["$top"] = dict({{"root", uid(400)}});
         },
         R"(reference 400 under key "root" out of range)"},
        {"reference out of range", [](auto&, auto& o, auto&) { object(o, 1)["title"] = uid(400); },
         R"(reference 400 under key "title" out of range)"},
        {"object holding itself", [](auto&, auto& o, auto&) { object(o, 1)["featured"] = uid(1); },
         R"(object 1 under key "featured" contains itself (reference cycle))"},
        {"cycle through an array",
         [](auto&, auto& o, auto& at) {
             object(o, at.swatches)["NS.objects"] = PlistObject::array({uid(1)});
         },
         R"(object 1 under key "swatches" contains itself)"},
        {"class entry missing",
         [](auto&, auto& o, auto& at) { object(o, at.swatch).erase("$class"); },
         R"(object under key "swatches" has no class entry)"},
        {"class no reference",
         [](auto&, auto& o, auto& at) { object(o, at.swatch)["$class"] = str("Swatch"); },
         R"(the class of the object under key "swatches" is no reference)"},
        {"class reference out of range",
         [](auto&, auto& o, auto& at) { object(o, at.swatch)["$class"] = uid(400); },
         R"(reference 400 under key "swatches" out of range)"},
        {"class reference to a string",
         [](auto&, auto& o, auto& at) { object(o, at.swatch)["$class"] = uid(at.title); },
         R"(the class of the object under key "swatches", is no class entry)"},
        {"class name of another type",
         [](auto&, auto& o, auto& at) {
             object(o, at.swatchClass)["$classname"] = PlistObject::integer(1);
         },
         "is no class entry"},
        {"object of another class",
         [](auto&, auto& o, auto& at) { object(o, 1)["featured"] = uid(at.title); },
         R"(value under key "featured" is of class "NSString", not "Swatch")"},
        {"scalar of another type",
         [](auto&, auto& o, auto& at) { object(o, at.swatch)["red"] = str("red"); },
         R"(value under key "red" is a string, not a number)"},
        {"boolean of another type",
         [](auto&, auto& o, auto& at) { object(o, at.swatch)["pinned"] = PlistObject::integer(1); },
         R"(value under key "pinned" is a integer, not a boolean)"},
        {"integer beyond 64 bits signed",
         [](auto&, auto& o, auto& at) {
             object(o, at.swatch)["uses"] = PlistObject::unsignedInteger(~0ull);
         },
         R"(integer under key "uses" is beyond the 64-bit signed range)"},
        {"object inline instead of referenced",
         [](auto&, auto& o, auto&) { object(o, 1)["title"] = str("Beach"); },
         R"(value under key "title" is a string, not a reference to an object)"},
        {"array holding the null object",
         [](auto&, auto& o, auto& at) {
             object(o, at.swatches)["NS.objects"] = PlistObject::array({uid(0)});
         },
         R"(array under key "swatches" holds the null object)"},
        {"array element inline",
         [](auto&, auto& o, auto& at) {
             object(o, at.swatches)["NS.objects"] = PlistObject::array({str("x")});
         },
         R"(element of the array under key "swatches" is a string)"},
        {"array without elements",
         [](auto&, auto& o, auto& at) { object(o, at.swatches).erase("NS.objects"); },
         R"(array under key "swatches" has no elements entry)"},
        {"bare date in the table",
         [](auto&, auto& o, auto& at) { o.at(at.title) = PlistObject::date(Date{0}); },
         R"(object under key "title" is a bare date)"},
        {"value that initWithCoder requires missing",
         [](auto&, auto& o, auto& at) { object(o, at.swatch).erase("name"); },
         "a swatch without a name"},
    };
    for (const Damage& damage : damages) {
        SCOPED_TRACE(damage.name);
        PlistObject archive = valid;
        auto& top = as<PlistDictionary>(archive);
        auto& objects = as<PlistArray>(top.at("$objects"));
        damage.apply(top, objects, locate(objects));
        EXPECT_THAT(unarchivingFailure<Palette>(binary(archive)), HasSubstr(damage.message));
    }
}

TEST(KeyedArchive, InputThatIsNoArchiveIsAnError) {
    const Bytes valid = KeyedArchiver::archivedDataWithRootObject(teal, true);
    struct Case {
        const char* name;
        Bytes data;
        const char* message;
    };
    const std::string xml = "<?xml version=\"1.0\"?><plist><dict/></plist>";
    const Case cases[] = {
        {"empty", {}, "not a binary property list"},
        {"XML", Bytes(xml.begin(), xml.end()), "not a binary property list"},
        {"truncated", Bytes(valid.begin(), valid.end() - 1), "binary property list: "},
        {"array at the top", binary(PlistObject::array()), "the archive is a array"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_THAT(
            failure([&] { KeyedUnarchiver::unarchiveTopLevelObjectWithData<Swatch>(c.data); }),
            HasSubstr(c.message));
    }
}

TEST(KeyedArchive, HostileGraphsEndInAnErrorNotInExhaustion) {
    // A node among its own children.
    const PlistArray loop{str("$null"), classEntry("Node"), classEntry("NSArray"),
                          dict({{"$class", uid(1)}, {"children", uid(4)}}),
                          dict({{"$class", uid(2)}, {"NS.objects", PlistObject::array({uid(3)})}})};
    EXPECT_THAT(unarchivingFailure<Node>(binary(archiveOf(loop, uid(3)))),
                HasSubstr(R"(object 3 under key "children" contains itself)"));

    // A chain of nodes deeper than any archive written here.
    PlistArray deep{str("$null"), classEntry("Node"), classEntry("NSArray")};
    const std::size_t levels = 300;
    for (std::size_t level = 0; level < levels; ++level) {
        const std::uint64_t node = deep.size();
        const bool last = level + 1 == levels;
        deep.push_back(dict({{"$class", uid(1)}, {"children", uid(node + 1)}}));
        deep.push_back(dict(
            {{"$class", uid(2)},
             {"NS.objects", PlistObject::array(last ? PlistArray{} : PlistArray{uid(node + 2)})}}));
    }
    EXPECT_THAT(unarchivingFailure<Node>(binary(archiveOf(deep, uid(3)))),
                HasSubstr("nested deeper than 512"));

    // Forty levels of nodes whose children are the next node twice: 2^40 nodes from a few
    // hundred bytes.
    PlistArray doubling{str("$null"), classEntry("Node"), classEntry("NSArray")};
    for (std::size_t level = 0; level < 40; ++level) {
        const std::uint64_t node = doubling.size();
        doubling.push_back(dict({{"$class", uid(1)}, {"children", uid(node + 1)}}));
        doubling.push_back(
            dict({{"$class", uid(2)},
                  {"NS.objects", PlistObject::array({uid(node + 2), uid(node + 2)})}}));
    }
    doubling.push_back(dict({{"$class", uid(1)}}));
    EXPECT_THAT(unarchivingFailure<Node>(binary(archiveOf(doubling, uid(3)))),
                HasSubstr("expand beyond"));
}

// One UID as a whole binary file: header, the object, a one-entry offset table and the trailer.
Bytes binaryUid(const Bytes& object) {
    Bytes out{'b', 'p', 'l', 'i', 's', 't', '0', '0'};
    out.insert(out.end(), object.begin(), object.end());
    const auto tableOffset = static_cast<std::uint8_t>(out.size());
    out.push_back(8);
    const Bytes trailer{0, 0, 0, 0, 0, 0, 1, 1, 0, 0, 0, 0, 0, 0, 0, 1,
                        0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, tableOffset};
    out.insert(out.end(), trailer.begin(), trailer.end());
    return out;
}

TEST(PlistUid, BinaryFilesHoldUidsOfOneToEightBytes) {
    struct Case {
        std::uint64_t value;
        Bytes written;  // marker and bytes
    };
    const Case cases[] = {
        {0, {0x80, 0x00}},
        {255, {0x80, 0xFF}},
        {256, {0x81, 0x01, 0x00}},
        {65536, {0x83, 0x00, 0x01, 0x00, 0x00}},
        {std::uint64_t{1} << 32, {0x87, 0, 0, 0, 1, 0, 0, 0, 0}},
        {~std::uint64_t{0}, {0x87, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        const Bytes file = binary(uid(c.value));
        EXPECT_EQ(Bytes(file.begin() + 8, file.begin() + 8 + static_cast<long>(c.written.size())),
                  c.written);
        EXPECT_EQ(readPlist(file).object, uid(c.value));
    }
    // Widths that are no power of two are read as well.
    EXPECT_EQ(readPlist(binaryUid({0x82, 0x01, 0x02, 0x03})).object, uid(0x010203));

    // XML has no UIDs.
    try {
        writePlist(PlistObject::array({uid(1)}), PlistFormat::xml);
        ADD_FAILURE() << "a UID was written as XML";
    } catch (const PlistSerializationError& error) {
        EXPECT_THAT(error.what(), HasSubstr("UID"));
    }
}

}  // namespace
}  // namespace zoral::platform
