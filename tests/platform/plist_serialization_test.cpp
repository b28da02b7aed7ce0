#include "platform/plist_serialization.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/plist_xml_reader.h"
#include "plist_builders.h"

namespace zoral::platform {
namespace {

using plist_builders::dict;
using plist_builders::integer;
using plist_builders::str;

using Bytes = std::vector<std::uint8_t>;

Bytes bytesOf(std::string_view text) {
    return Bytes(text.begin(), text.end());
}
std::string textOf(const Bytes& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

// ASCII text as UTF-16 with a byte-order mark.
Bytes utf16(std::string_view text, bool bigEndian) {
    Bytes out = bigEndian ? Bytes{0xFE, 0xFF} : Bytes{0xFF, 0xFE};
    for (const char c : text) {
        const auto unit = static_cast<std::uint8_t>(c);
        if (bigEndian)
            out.push_back(0);
        out.push_back(unit);
        if (!bigEndian)
            out.push_back(0);
    }
    return out;
}

// UTF-16 code units as bytes, with a byte-order mark when asked.
Bytes utf16Units(std::u16string_view text, bool bigEndian, bool byteOrderMark = false) {
    Bytes out;
    auto put = [&](char16_t unit) {
        const auto high = static_cast<std::uint8_t>(unit >> 8);
        const auto low = static_cast<std::uint8_t>(unit & 0xFF);
        out.push_back(bigEndian ? high : low);
        out.push_back(bigEndian ? low : high);
    };
    if (byteOrderMark)
        put(u'\xFEFF');
    for (const char16_t unit : text)
        put(unit);
    return out;
}

// `levels` arrays inside one another, the innermost empty.
PlistObject nestedArrays(std::size_t levels) {
    PlistObject value = PlistObject::array();
    for (std::size_t i = 1; i < levels; ++i)
        value = PlistObject::array({std::move(value)});
    return value;
}

constexpr std::string_view xmlPrologue =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
    "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n";

std::string xmlDocument(std::string_view body) {
    return std::string(xmlPrologue) + "<plist version=\"1.0\">\n" + std::string(body) +
           "\n</plist>\n";
}

// A binary file assembled object by object, with a trailer that may lie.
struct BinaryLayout {
    std::vector<Bytes> objects;
    std::uint8_t offsetSize = 1;
    std::uint8_t referenceSize = 1;
    std::optional<std::uint64_t> objectCount;
    std::uint64_t topObject = 0;
    std::optional<std::uint64_t> tableOffset;
    std::vector<std::uint64_t> offsets;  // replaces the real offsets when not empty
};

void appendBigEndian(Bytes& out, std::uint64_t value, std::size_t size) {
    for (std::size_t i = size; i-- > 0;)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

Bytes assemble(const BinaryLayout& layout) {
    Bytes out = bytesOf("bplist00");
    std::vector<std::uint64_t> offsets;
    for (const Bytes& object : layout.objects) {
        offsets.push_back(out.size());
        out.insert(out.end(), object.begin(), object.end());
    }
    if (!layout.offsets.empty())
        offsets = layout.offsets;
    const std::uint64_t table = out.size();
    for (const std::uint64_t offset : offsets)
        appendBigEndian(out, offset, layout.offsetSize);
    out.insert(out.end(), 6, 0);
    out.push_back(layout.offsetSize);
    out.push_back(layout.referenceSize);
    appendBigEndian(out, layout.objectCount.value_or(offsets.size()), 8);
    appendBigEndian(out, layout.topObject, 8);
    appendBigEndian(out, layout.tableOffset.value_or(table), 8);
    return out;
}

struct TrailerFields {
    std::uint8_t offsetSize;
    std::uint8_t referenceSize;
    std::uint64_t objectCount;
};

TrailerFields trailerOf(const Bytes& file) {
    const std::size_t trailer = file.size() - 32;
    std::uint64_t count = 0;
    for (std::size_t i = 0; i < 8; ++i)
        count = (count << 8) | file[trailer + 8 + i];
    return {file[trailer + 6], file[trailer + 7], count};
}

TEST(PlistSerialization, DetectsTheFormat) {
    const PlistObject small = dict({{"a", str("b")}});
    struct Case {
        const char* name;
        Bytes input;
        PlistFormat format;
        PlistObject expected;
    };
    const Case cases[] = {
        {"binary", writePlist(small, PlistFormat::binary), PlistFormat::binary, small},
        {"xml with declaration", writePlist(small, PlistFormat::xml), PlistFormat::xml, small},
        {"xml after byte-order mark and white space",
         bytesOf("\xEF\xBB\xBF \n\t" + xmlDocument("<dict><key>a</key><string>b</string></dict>")),
         PlistFormat::xml, small},
        {"xml starting at <plist>", bytesOf("<plist><string>b</string></plist>"), PlistFormat::xml,
         str("b")},
        {"xml starting at a comment", bytesOf("<!-- c --><plist><true/></plist>"), PlistFormat::xml,
         PlistObject::boolean(true)},
        {"xml in UTF-16", utf16("<?xml version=\"1.0\"?><plist><string>b</string></plist>", false),
         PlistFormat::xml, str("b")},
        {"old-style dictionary", bytesOf("{ a = b; }"), PlistFormat::openStep, small},
        {"old-style data is not xml", bytesOf(" <0fbd 77>"), PlistFormat::openStep,
         PlistObject::data({0x0F, 0xBD, 0x77})},
        {"old-style quoted string", bytesOf("\"bplist00\""), PlistFormat::openStep,
         str("bplist00")},
        {"old-style in UTF-16", utf16("{a=b;}", true), PlistFormat::openStep, small},
        {"old-style pairs without braces", bytesOf("a = b;\n"), PlistFormat::openStep, small},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const PlistReadResult result = readPlist(c.input);
        EXPECT_EQ(result.format, c.format);
        EXPECT_EQ(result.object, c.expected);
    }
}

TEST(PlistSerialization, RoundTripsEveryKindInBothFormats) {
    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    constexpr double infinity = std::numeric_limits<double>::infinity();
    PlistArray manyIntegers;
    for (std::int64_t i = 0; i < 70000; ++i)
        manyIntegers.push_back(integer(i * 7919));
    PlistData blob(70000);
    for (std::size_t i = 0; i < blob.size(); ++i)
        blob[i] = static_cast<std::uint8_t>(i * 31 + 7);

    struct Case {
        const char* name;
        PlistObject value;
    };
    const Case cases[] = {
        {"empty string", str("")},
        {"ascii string", str("plain text")},
        {"unicode string", str("\xC3\xBCn\xC3\xAF \xE2\x9C\x93 \xF0\x9F\x98\x80")},
        {"markup string", str("<a href=\"x\">&amp; 'q' ]]></a>")},
        {"white space string", str("  line\nbreak\r\ncrlf\ttab  ")},
        {"string of 20 characters", str("abcdefghijklmnopqrst")},
        {"true", PlistObject::boolean(true)},
        {"false", PlistObject::boolean(false)},
        {"INT64_MIN", integer(std::numeric_limits<std::int64_t>::min())},
        {"-1", integer(-1)},
        {"0", integer(0)},
        {"255", integer(255)},
        {"256", integer(256)},
        {"65536", integer(65536)},
        {"2^32", integer(std::int64_t{1} << 32)},
        {"INT64_MAX", integer(std::numeric_limits<std::int64_t>::max())},
        {"INT64_MAX+1",
         PlistObject::unsignedInteger(std::uint64_t{std::numeric_limits<std::int64_t>::max()} + 1)},
        {"UINT64_MAX", PlistObject::unsignedInteger(std::numeric_limits<std::uint64_t>::max())},
        {"0.1", PlistObject::real(0.1)},
        {"1e300", PlistObject::real(1e300)},
        {"3.0 stays real", PlistObject::real(3.0)},
        {"smallest subnormal", PlistObject::real(std::numeric_limits<double>::denorm_min())},
        {"NaN", PlistObject::real(nan)},
        {"+infinity", PlistObject::real(infinity)},
        {"-infinity", PlistObject::real(-infinity)},
        {"reference date", PlistObject::date(Date{0})},
        {"negative fractional date", PlistObject::date(Date{-1.5})},
        {"fractional date", PlistObject::date(Date{0.1})},
        {"a tenth before the reference date", PlistObject::date(Date{-0.1})},
        {"tiny dates",
         PlistObject::array({PlistObject::date(Date{1e-300}), PlistObject::date(Date{-1e-300}),
                             PlistObject::date(Date{-123456.000001})})},
        {"unix epoch", PlistObject::date(Date{-978307200})},
        {"leap day", PlistObject::date(Date{-978307200 + 951782400})},
        {"large date", PlistObject::date(Date{1e11})},
        {"date before year 1", PlistObject::date(Date{-1e11 + 0.25})},
        {"empty data", PlistObject::data({})},
        {"data", PlistObject::data({0x00, 0x01, 0xFE, 0xFF})},
        {"empty array", PlistObject::array()},
        {"empty dictionary", PlistObject::dictionary()},
        {"nested", dict({{"list", PlistObject::array({integer(1), str("two"),
                                                      PlistObject::array({PlistObject::real(3)}),
                                                      dict({{"", PlistObject::boolean(false)}})})},
                         {"\xC3\xA9t\xC3\xA9", dict({{"k", str("v")}})},
                         {"same", str("v")}})},
        {"large",
         dict({{"blob", PlistObject::data(blob)}, {"many", PlistObject::array(manyIntegers)}})},
    };
    PlistDictionary everything;
    for (const Case& c : cases)
        everything.emplace(c.name, c.value);

    for (const PlistFormat format : {PlistFormat::xml, PlistFormat::binary}) {
        SCOPED_TRACE(static_cast<int>(format));
        for (const Case& c : cases) {
            SCOPED_TRACE(c.name);
            const PlistReadResult result = readPlist(writePlist(c.value, format));
            EXPECT_EQ(result.format, format);
            EXPECT_EQ(result.object, c.value);
        }
        const PlistObject all = PlistObject::dictionary(everything);
        EXPECT_EQ(readPlist(writePlist(all, format)).object, all);

        // Equality cannot see the sign of zero.
        const auto negativeZero = readPlist(writePlist(PlistObject::real(-0.0), format));
        ASSERT_TRUE(negativeZero.object.realValue());
        EXPECT_TRUE(std::signbit(*negativeZero.object.realValue()));
    }
}

TEST(PlistSerialization, WritesXmlInTheStandardLayout) {
    PlistData bytes(60);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>(i);
    const PlistObject value =
        dict({{"array", PlistObject::array({integer(-5), PlistObject::real(0.5)})},
              {"bool", PlistObject::boolean(true)},
              {"data", PlistObject::data(bytes)},
              {"date", PlistObject::date(Date{599529600})},
              {"empty array", PlistObject::array()},
              {"empty dict", PlistObject::dictionary()},
              {"no", PlistObject::boolean(false)},
              {"real", PlistObject::real(1e300)},
              {"text", str("a < b & c > d")}});
    EXPECT_EQ(textOf(writePlist(value, PlistFormat::xml)),
              xmlDocument("<dict>\n"
                          "\t<key>array</key>\n"
                          "\t<array>\n"
                          "\t\t<integer>-5</integer>\n"
                          "\t\t<real>0.5</real>\n"
                          "\t</array>\n"
                          "\t<key>bool</key>\n"
                          "\t<true/>\n"
                          "\t<key>data</key>\n"
                          "\t<data>\n"
                          "\tAAECAwQFBgcICQoLDA0ODxAREhMUFRYXGBkaGxwdHh8gISIjJCUmJygpKissLS4vMDEy\n"
                          "\tMzQ1Njc4OTo7\n"
                          "\t</data>\n"
                          "\t<key>date</key>\n"
                          "\t<date>2020-01-01T00:00:00Z</date>\n"
                          "\t<key>empty array</key>\n"
                          "\t<array/>\n"
                          "\t<key>empty dict</key>\n"
                          "\t<dict/>\n"
                          "\t<key>no</key>\n"
                          "\t<false/>\n"
                          "\t<key>real</key>\n"
                          "\t<real>1e+300</real>\n"
                          "\t<key>text</key>\n"
                          "\t<string>a &lt; b &amp; c &gt; d</string>\n"
                          "</dict>"));
}

TEST(PlistSerialization, BinaryWriterStoresEqualValuesOnce) {
    const PlistObject value = dict({{"a", str("s")},
                                    {"b", str("s")},
                                    {"c", PlistObject::array({integer(1), integer(1)})},
                                    {"d", integer(1)}});
    const Bytes file = writePlist(value, PlistFormat::binary);
    EXPECT_EQ(trailerOf(file).objectCount, 8u);  // the dict, 4 keys, "s", the array, 1
    EXPECT_EQ(readPlist(file).object, value);

    // Key "x" and the string value "x" are one object as well.
    const PlistObject keyAndValue = dict({{"x", str("x")}});
    EXPECT_EQ(trailerOf(writePlist(keyAndValue, PlistFormat::binary)).objectCount, 2u);

    // More objects than one byte can number need wider references.
    PlistArray many;
    for (std::int64_t i = 0; i < 300; ++i)
        many.push_back(integer(i));
    const TrailerFields wide = trailerOf(writePlist(PlistObject::array(many), PlistFormat::binary));
    EXPECT_EQ(wide.referenceSize, 2u);
    EXPECT_EQ(wide.offsetSize, 2u);
}

TEST(PlistSerialization, ReadsBinaryEncodingsThatItDoesNotWrite) {
    // Three-byte references and offsets, a 4-byte real, a 16-byte negative
    // integer, a UTF-16 string with a surrogate pair, a count in its own
    // integer object, and keys that are UTF-16 strings.
    BinaryLayout layout;
    layout.offsetSize = 3;
    layout.referenceSize = 3;
    auto ref = [](std::uint8_t index) { return Bytes{0, 0, index}; };
    Bytes array = {0xAF, 0x10, 0x04};  // array, count 4 in an integer object
    for (std::uint8_t i = 1; i <= 4; ++i) {
        const Bytes r = ref(i);
        array.insert(array.end(), r.begin(), r.end());
    }
    layout.objects = {
        array,
        {0x22, 0x3F, 0xC0, 0x00, 0x00},                         // 1.5f
        {0x14, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,  //
         0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE},       // -2
        {0x63, 0x00, 0x41, 0xD8, 0x3D, 0xDE, 0x00},             // "A😀"
        {0xD1, 0x00, 0x00, 0x05, 0x00, 0x00, 0x06},             // {"é": 1}
        {0x61, 0x00, 0xE9},                                     // "é"
        {0x12, 0x00, 0x00, 0x00, 0x01},                         // 1 in four bytes
    };
    const PlistObject expected =
        PlistObject::array({PlistObject::real(1.5), integer(-2), str("A\xF0\x9F\x98\x80"),
                            dict({{"\xC3\xA9", integer(1)}})});
    EXPECT_EQ(readPlist(assemble(layout)).object, expected);
}

// Keys in file order, one key repeated, and key objects shared by several
// dictionaries, as other writers lay them out.
TEST(PlistSerialization, ReadsBinaryDictionariesWhateverTheOrderOfTheirKeys) {
    BinaryLayout layout;
    layout.objects = {
        {0xA3, 0x01, 0x02, 0x03},                    // [1, 2, 3]
        {0xD2, 0x04, 0x05, 0x06, 0x07},              // {"é": 1, "b": 2}
        {0xD2, 0x05, 0x04, 0x06, 0x07},              // {"b": 1, "é": 2}
        {0xD3, 0x04, 0x05, 0x04, 0x06, 0x07, 0x08},  // {"é": 1, "b": 2, "é": 3}
        {0x61, 0x00, 0xE9},                          // "é" in UTF-16
        {0x51, 'b'},                                 // "b"
        {0x10, 0x01},
        {0x10, 0x02},
        {0x10, 0x03},
    };
    const PlistObject expected =
        PlistObject::array({dict({{"b", integer(2)}, {"\xC3\xA9", integer(1)}}),
                            dict({{"b", integer(1)}, {"\xC3\xA9", integer(2)}}),
                            dict({{"b", integer(2)}, {"\xC3\xA9", integer(3)}})});
    EXPECT_EQ(readPlist(assemble(layout)).object, expected);
}

TEST(PlistSerialization, ReadsOldStyleText) {
    const std::string text = R"(// a comment
{
    name = "Zoral";   /* a comment
                         over lines */
    path = /usr/local/bin;
    'single' = 'it is';
    escaped = "tab\there \"q\" \\ \U00e9\ud83d\ude00 \101\012";
    data = <0001 02ff>;
    list = (one, "two", (nested), {k = v;}, );
    empty = {};
    number = 42;
    same;
}
)";
    const PlistObject expected = dict({
        {"name", str("Zoral")},
        {"path", str("/usr/local/bin")},
        {"single", str("it is")},
        {"escaped", str("tab\there \"q\" \\ \xC3\xA9\xF0\x9F\x98\x80 A\n")},
        {"data", PlistObject::data({0x00, 0x01, 0x02, 0xFF})},
        {"list", PlistObject::array({str("one"), str("two"), PlistObject::array({str("nested")}),
                                     dict({{"k", str("v")}})})},
        {"empty", PlistObject::dictionary()},
        {"number", str("42")},
        {"same", str("same")},
    });
    const PlistReadResult result = readPlist(bytesOf(text));
    EXPECT_EQ(result.format, PlistFormat::openStep);
    EXPECT_EQ(result.object, expected);
}

// What the text of an XML document stands for: references resolved, CDATA
// taken as written, comments and processing instructions passed over, line
// ends normalised, white space kept where it is a value.
TEST(PlistSerialization, ReadsXmlTextAsXmlDefinesIt) {
    struct Case {
        const char* name;
        std::string document;
        PlistObject expected;
    };
    const Case cases[] = {
        {"references",
         xmlDocument("<string>&amp;&lt;&gt;&apos;&quot; &#65;&#x42;&#x1F600;</string>"),
         str("&<>'\" AB\xF0\x9F\x98\x80")},
        {"CDATA beside text", xmlDocument("<string>a<![CDATA[<b>&amp;]]>c</string>"),
         str("a<b>&amp;c")},
        {"comments and processing instructions in text",
         xmlDocument("<string>a<!-- c -->b<?pi x?>c</string>"), str("abc")},
        {"white space that is the value", xmlDocument("<string> \t </string>"), str(" \t ")},
        {"white space around a comment", xmlDocument("<string> <!-- c --> </string>"), str("  ")},
        {"line ends", xmlDocument("<string>a\r\nb\rc&#13;&#10;</string>"), str("a\nb\nc\r\n")},
        {"references in keys and numbers",
         xmlDocument("<dict><key>&#107;</key><integer> &#49;2 </integer></dict>"),
         dict({{"k", integer(12)}})},
        {"white space by reference between elements",
         xmlDocument("<array>&#32;<true/>&#10;<![CDATA[ ]]></array>"),
         PlistObject::array({PlistObject::boolean(true)})},
        {"attributes", "<plist version=\"1.0\" x='y'><true a=\"&amp;&#60;\"/></plist>",
         PlistObject::boolean(true)},
        {"prolog and epilog",
         "\n <?xml version='1.0' standalone='yes'?>\n<!-- c -->\n<?pi x?>\n"
         "<!DOCTYPE plist [ <!-- c --> <?pi y?> ]>\n<plist><false/></plist>\n<!-- end -->"
         "<?pi z?>\n",
         PlistObject::boolean(false)},
        {"a value as the root", "<?xml version=\"1.0\"?><string>x</string>", str("x")},
        {"keys unsorted and repeated",
         xmlDocument("<dict><key>b</key><integer>1</integer><key>a</key><integer>2</integer>"
                     "<key>b</key><integer>3</integer></dict>"),
         dict({{"a", integer(2)}, {"b", integer(3)}})},
        {"empty elements", xmlDocument("<array><string/><dict/><array></array><data/></array>"),
         PlistObject::array(
             {str(""), PlistObject::dictionary(), PlistObject::array(), PlistObject::data({})})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const PlistReadResult result = readPlist(bytesOf(c.document));
        EXPECT_EQ(result.format, PlistFormat::xml);
        EXPECT_EQ(result.object, c.expected);
    }
}

TEST(PlistSerialization, ReadsXmlInTheEncodingsItDeclares) {
    const std::string body = "<plist><string>\xC3\xA9\xF0\x9F\x98\x80</string></plist>";
    const std::u16string body16 = u"<plist><string>\u00E9\U0001F600</string></plist>";
    const PlistObject expected = str("\xC3\xA9\xF0\x9F\x98\x80");
    struct Case {
        const char* name;
        Bytes document;
        PlistObject expected;
    };
    const Case cases[] = {
        {"UTF-8 declared", bytesOf("<?xml version=\"1.0\" encoding=\"utf-8\"?>" + body), expected},
        {"UTF-16 little-endian with a byte-order mark",
         utf16Units(u"<?xml version=\"1.0\" encoding=\"UTF-16\"?>" + std::u16string(body16), false,
                    true),
         expected},
        {"UTF-16 big-endian without one", utf16Units(body16, true), expected},
        {"ISO-8859-1",
         bytesOf("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><string>\xE9\xFF</string>"),
         str("\xC3\xA9\xC3\xBF")},
        {"US-ASCII",
         bytesOf("<?xml version=\"1.0\" encoding=\"US-ASCII\"?><string>&#xE9;</string>"),
         str("\xC3\xA9")},
        {"a byte-order mark after white space", bytesOf("\n \xEF\xBB\xBF" + body), expected},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(detail::readXmlPlist(c.document), c.expected);
    }
}

TEST(PlistSerialization, RejectsMalformedInputSayingWhatAndWhere) {
    const Bytes validBinary =
        writePlist(dict({{"a", PlistObject::array({integer(1)})}}), PlistFormat::binary);
    auto binary = [](std::vector<Bytes> objects) {
        BinaryLayout layout;
        layout.objects = std::move(objects);
        return assemble(layout);
    };
    auto withTrailer = [](std::vector<Bytes> objects, auto change) {
        BinaryLayout layout;
        layout.objects = std::move(objects);
        change(layout);
        return assemble(layout);
    };
    // 513 arrays, each holding the next.
    BinaryLayout deep;
    deep.referenceSize = 2;
    deep.offsetSize = 2;
    for (std::uint64_t i = 0; i < 512; ++i) {
        deep.objects.push_back(
            {0xA1, static_cast<std::uint8_t>((i + 1) >> 8), static_cast<std::uint8_t>(i + 1)});
    }
    deep.objects.push_back({0xA0});
    // 64 arrays each holding the next one twice: 2^63 objects once expanded.
    std::vector<Bytes> doubling;
    for (std::uint8_t i = 0; i < 63; ++i) {
        doubling.push_back(
            {0xA2, static_cast<std::uint8_t>(i + 1), static_cast<std::uint8_t>(i + 1)});
    }
    doubling.push_back({0x10, 0x00});
    const std::string billionLaughs =
        "<?xml version=\"1.0\"?>\n<!DOCTYPE plist [\n<!ENTITY a \"aaaaaaaaaa\">\n"
        "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">\n<!ENTITY c "
        "\"&b;&b;&b;&b;&b;&b;&b;&b;\">\n]>\n"
        "<plist><string>&c;</string></plist>";

    struct Case {
        const char* name;
        Bytes input;
        const char* message;
    };
    const Case cases[] = {
        // Binary.
        {"truncated binary", Bytes(validBinary.begin(), validBinary.begin() + 20),
         "too short for header and trailer at offset 20"},
        {"binary missing its last byte", Bytes(validBinary.begin(), validBinary.end() - 1),
         "binary property list: "},
        {"unsupported binary version", bytesOf("bplist01 and more"), "unsupported version"},
        {"offset table beyond the file",
         withTrailer({{0x08}}, [](BinaryLayout& l) { l.tableOffset = 4000; }),
         "offset table offset 4000 out of range"},
        {"object count larger than the file",
         withTrailer({{0x08}}, [](BinaryLayout& l) { l.objectCount = 1ull << 40; }),
         "object count 1099511627776 does not fit the offset table"},
        {"top object out of range", withTrailer({{0x08}}, [](BinaryLayout& l) { l.topObject = 3; }),
         "top object 3 out of range"},
        {"object offset out of range",
         withTrailer({{0x08}}, [](BinaryLayout& l) { l.offsets = {200}; }),
         "offset 200 of object 0 out of range"},
        {"offset into the offset table",
         withTrailer({{0x08}}, [](BinaryLayout& l) { l.offsets = {9}; }),
         "offset 9 of object 0 out of range"},
        {"bad offset size", withTrailer({{0x08}}, [](BinaryLayout& l) { l.offsetSize = 0; }),
         "offset size 0 not between 1 and 8"},
        {"reference out of range", binary({{0xA1, 0x05}}), "object reference 5 out of range"},
        {"array holding itself", binary({{0xA1, 0x00}}),
         "object 0 contains itself (reference cycle) at offset 9"},
        {"cycle through two arrays", binary({{0xA1, 0x01}, {0xA1, 0x00}}), "reference cycle"},
        {"array count larger than the file",
         binary({{0xAF, 0x13, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00}}),
         "array count 1099511627776 larger than the file"},
        {"string past the end", binary({{0x5F, 0x10, 0xFF, 'a', 'b'}}),
         "string of 255 bytes runs past the object area at offset 11"},
        {"unpaired surrogate", binary({{0x61, 0xD8, 0x00}}), "unpaired surrogate"},
        {"non-ASCII in ASCII string", binary({{0x51, 0xC3}}), "non-ASCII byte"},
        {"unknown marker", binary({{0x70}}), "unknown object marker 0x70 at offset 8"},
        {"integer beyond 64 bits", binary({{0x14, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0}}),
         "integer too large for 64 bits"},
        {"integer of 32 bytes", binary({{0x15}}), "too large"},
        {"key that is no string", binary({{0xD1, 0x01, 0x01}, {0x10, 0x01}}), "is not a string"},
        {"null object", binary({{0x00}}), "null objects are not supported"},
        {"set", binary({{0xC0}}), "sets are not supported"},
        {"UID wider than 64 bits", binary({{0x88}}), "UID of 9 bytes too large"},
        {"binary nested too deep", assemble(deep), "nested deeper than 512"},
        {"shared objects expanding exponentially", binary(doubling), "expand beyond"},
        // XML.
        {"unclosed xml", bytesOf("<?xml version=\"1.0\"?>\n<plist>\n<dict>\n"), "at line 4"},
        {"entity declaration", bytesOf(billionLaughs), "entity declaration \"a\""},
        {"external entity",
         bytesOf(
             "<?xml version=\"1.0\"?><!DOCTYPE plist [<!ENTITY x SYSTEM \"file:///etc/passwd\">]>"
             "<plist><string>&x;</string></plist>"),
         "entity declarations are not allowed"},
        {"undeclared entity after the standard doctype",
         bytesOf(xmlDocument("<string>&x;</string>")), "unknown entity &x;"},
        {"unknown element", bytesOf(xmlDocument("<dict>\n<foo/>\n</dict>")),
         "unknown element <foo> at line 5"},
        {"integer above UINT64_MAX",
         bytesOf(xmlDocument("<integer>18446744073709551616</integer>")),
         "too large <integer> \"18446744073709551616\""},
        {"integer below INT64_MIN", bytesOf(xmlDocument("<integer>-9223372036854775809</integer>")),
         "too large <integer>"},
        {"integer with letters", bytesOf(xmlDocument("<integer>12abc</integer>")), "<integer>"},
        {"real", bytesOf(xmlDocument("<real>1.2.3</real>")), "invalid <real> \"1.2.3\""},
        {"date", bytesOf(xmlDocument("<date>2001-02-29T00:00:00Z</date>")), "invalid <date>"},
        {"base64", bytesOf(xmlDocument("<data>AA@A</data>")), "invalid base64"},
        {"key without value", bytesOf(xmlDocument("<dict><key>a</key></dict>")),
         "<key> \"a\" has no value"},
        {"value without key", bytesOf(xmlDocument("<dict><true/></dict>")),
         "<true> without a <key>"},
        {"two values", bytesOf(xmlDocument("<true/><false/>")), "more than one value in <plist>"},
        {"empty plist", bytesOf(xmlDocument("")), "empty <plist>"},
        {"text in a dict", bytesOf(xmlDocument("<dict>stray</dict>")),
         "text \"stray\" inside <dict>"},
        {"element in a string", bytesOf(xmlDocument("<string><true/></string>")),
         "<true> inside <string>"},
        {"invalid UTF-8", bytesOf(xmlDocument("<string>\xC3\x28</string>")), "not well-formed"},
        {"xml nested too deep",
         bytesOf("<plist>" +
                 [] {
                     std::string s;
                     for (int i = 0; i < 513; ++i)
                         s += "<array>";
                     for (int i = 0; i < 513; ++i)
                         s += "</array>";
                     return s;
                 }() +
                 "</plist>"),
         "nested deeper than 512"},
        {"invalid UTF-8 where it says where", bytesOf("<plist>\n<string>a\xFF</string></plist>"),
         "invalid UTF-8) at line 2, column 10"},
        {"control character", bytesOf(xmlDocument("<string>\x01</string>")),
         "character U+0001 is not allowed"},
        {"U+FFFE", bytesOf(xmlDocument("<string>\xEF\xBF\xBE</string>")), "U+FFFE"},
        {"unknown encoding", bytesOf("<?xml version=\"1.0\" encoding=\"EBCDIC\"?><plist/>"),
         "unknown encoding \"EBCDIC\""},
        {"UTF-16 declared for 8-bit text",
         bytesOf("<?xml version=\"1.0\" encoding=\"UTF-16\"?><plist/>"),
         "declared for text in an 8-bit encoding"},
        {"non-ASCII in US-ASCII",
         bytesOf("<?xml version=\"1.0\" encoding=\"US-ASCII\"?><plist><string>\xC3\xA9</string>"
                 "</plist>"),
         "byte outside US-ASCII"},
        {"unpaired surrogate in UTF-16",
         utf16Units(u"<plist><string>\xD800</string></plist>", true, true), "unpaired surrogate"},
        {"malformed XML declaration",
         bytesOf("<?xml version=\"1.0\" standalone=\"maybe\"?><plist/>"),
         "malformed XML declaration"},
        {"XML declaration after the start",
         bytesOf("<plist><true/></plist><?xml version=\"1.0\"?>"),
         "XML declaration not at the start"},
        {"text before the root", bytesOf("<?xml version=\"1.0\"?>x<plist><true/></plist>"),
         "before the root element"},
        {"text after the root", bytesOf("<plist><true/></plist>\n\nx"),
         "text \"x\" after the root element at line 3, column 1"},
        {"second root", bytesOf("<plist><true/></plist><plist/>"), "second root element <plist>"},
        {"markup cut short at the end", bytesOf("<plist><true/></plist>\r<"), "at the end"},
        {"mismatched end tag", bytesOf("<plist><true/></dict>"), "mismatched end tag"},
        {"document type after the root", bytesOf("<plist><true/></plist><!DOCTYPE plist>"),
         "document type declaration after the root element"},
        {"markup declaration", bytesOf("<!DOCTYPE plist [<!ATTLIST plist v CDATA \"1\">]><plist/>"),
         "declaration <!ATTLIST in the document type"},
        {"parameter-entity reference", bytesOf("<!DOCTYPE plist [ %p; ]><plist/>"),
         "unknown entity %p;"},
        {"duplicate attribute", bytesOf("<plist a=\"1\" a=\"2\"><true/></plist>"),
         "duplicate attribute a"},
        {"\"<\" in an attribute", bytesOf("<plist a=\"<\"><true/></plist>"),
         "\"<\" in the value of attribute a"},
        {"unknown entity in an attribute", bytesOf("<plist a=\"&x;\"><true/></plist>"),
         "unknown entity &x;"},
        {"\"--\" in a comment", bytesOf(xmlDocument("<!-- a -- b --><true/>")),
         "\"--\" inside a comment"},
        {"\"]]>\" in text", bytesOf(xmlDocument("<string>a]]>b</string>")), "\"]]>\" in text"},
        {"reference to character 0", bytesOf(xmlDocument("<string>&#0;</string>")),
         "invalid character number &#0;"},
        {"reference to a surrogate", bytesOf(xmlDocument("<string>&#xD800;</string>")),
         "invalid character number &#xD800;"},
        {"bare ampersand", bytesOf(xmlDocument("<string>a & b</string>")),
         "\"&\" that starts no reference"},
        {"text by reference in a container", bytesOf(xmlDocument("<array>&#65;</array>")),
         "text \"A\" inside <array>"},
        // Old-style text.
        {"empty text", bytesOf(" \n// nothing\n"), "no property list in the text"},
        {"unterminated string", bytesOf("{\na = \"open;\n}"),
         "unterminated quoted string at line 2"},
        {"unterminated dictionary", bytesOf("{ a = b;"), "unterminated dictionary at line 1"},
        {"unterminated array", bytesOf("(a, b"), "unterminated array"},
        {"missing semicolon", bytesOf("{\n a = b\n}"),
         "missing ';' after the value of key \"a\" at line 3"},
        {"missing equals", bytesOf("{ a b; }"), "missing '=' after key \"a\""},
        {"missing comma", bytesOf("(a b)"), "expected ',' or ')'"},
        {"odd hex digits", bytesOf("<abc>"), "odd number of hex digits"},
        {"bad hex digit", bytesOf("<ag>"), "'g' in <data> is no hex digit"},
        {"unterminated comment", bytesOf("/* a"), "unterminated /* comment"},
        {"invalid UTF-8 text", bytesOf("{\n a = \"\xFF\"; }"), "invalid UTF-8 at line 2"},
        {"unpaired escape surrogate", bytesOf("\"\\UD800x\""), "unpaired surrogate"},
        {"octal escape too large", bytesOf("\"\\777\""), "octal escape above"},
        {"trailing garbage", bytesOf("a b"), "unexpected 'b' after the property list"},
        {"key that is no string", bytesOf("{ (a) = b; }"), "where a dictionary key belongs"},
        {"old-style nested too deep", bytesOf(std::string(513, '(') + std::string(513, ')')),
         "nested deeper than 512"},
        {"odd UTF-16 length", Bytes{0xFE, 0xFF, 0x00}, "odd length"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            const PlistReadResult result = readPlist(c.input);
            ADD_FAILURE() << "read without error, format " << static_cast<int>(result.format);
        } catch (const PlistSerializationError& error) {
            EXPECT_THAT(error.what(), ::testing::HasSubstr(c.message));
        }
    }
}

TEST(PlistSerialization, NestingLimitHoldsInEveryReaderAndWriter) {
    const PlistObject deepest = nestedArrays(plistMaxDepth);
    const PlistObject tooDeep = nestedArrays(plistMaxDepth + 1);
    for (const PlistFormat format : {PlistFormat::xml, PlistFormat::binary}) {
        SCOPED_TRACE(static_cast<int>(format));
        EXPECT_EQ(readPlist(writePlist(deepest, format)).object, deepest);
        EXPECT_THROW(writePlist(tooDeep, format), PlistSerializationError);
    }
    const std::string text = std::string(plistMaxDepth, '(') + std::string(plistMaxDepth, ')');
    EXPECT_EQ(readPlist(bytesOf(text)).object, deepest);
}

TEST(PlistSerialization, RefusesToWriteWhatAFormatCannotHold) {
    EXPECT_THROW(writePlist(dict({}), PlistFormat::openStep), PlistSerializationError);
    EXPECT_THROW(writePlist(dict({}), static_cast<PlistFormat>(5)), PlistSerializationError);

    struct Case {
        const char* name;
        PlistObject value;
        bool binaryWrites;
    };
    const Case cases[] = {
        {"invalid UTF-8 string", str("\xC3\x28"), false},
        {"invalid UTF-8 key", dict({{"\xFF", integer(1)}}), false},
        {"control character", str("bell\x07"), true},
        {"control character in a key", dict({{"\x01", integer(1)}}), true},
        {"U+FFFE", str("\xEF\xBF\xBE"), true},
        {"NaN date", PlistObject::date(Date{std::numeric_limits<double>::quiet_NaN()}), true},
        {"date beyond 2^53 seconds", PlistObject::date(Date{1e16}), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_THROW(writePlist(c.value, PlistFormat::xml), PlistSerializationError);
        if (c.binaryWrites) {
            EXPECT_EQ(readPlist(writePlist(c.value, PlistFormat::binary)).object, c.value);
        } else {
            EXPECT_THROW(writePlist(c.value, PlistFormat::binary), PlistSerializationError);
        }
    }
}

}  // namespace
}  // namespace zoral::platform
