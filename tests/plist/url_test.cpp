#include "plist/url.h"

#include <optional>
#include <string>

#include <gtest/gtest.h>

namespace zoral::plist {
namespace {

TEST(PListUrl, ParsesFileAndOtherUrls) {
    struct Case {
        const char* text;
        bool parses;
        bool isFile;
        std::string path;
    };
    const Case cases[] = {
        {"file:///Users/me/Library/a.plist", true, true, "/Users/me/Library/a.plist"},
        {"FILE://localhost/tmp/a%20b.plist", true, true, "/tmp/a b.plist"},
        {"file:/tmp/short.plist", true, true, "/tmp/short.plist"},
        {"file:///tmp/a.plist?query#fragment", true, true, "/tmp/a.plist"},
        {"file://server/share/a.plist", true, false, "/share/a.plist"},
        {"https://example.invalid/a.plist", true, false, "/a.plist"},
        {"/no/scheme.plist", false, false, ""},
        {"1file:///a", false, false, ""},
        {"file:///bad%2", false, false, ""},
        {"file:///bad%zz", false, false, ""},
        {"file:///cut%00short", false, false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const std::optional<Url> url = Url::parse(c.text);
        ASSERT_EQ(url.has_value(), c.parses);
        if (!url)
            continue;
        EXPECT_EQ(url->isFileUrl(), c.isFile);
        EXPECT_EQ(url->path(), c.path);
        EXPECT_EQ(url->absoluteString(), c.text);
    }
}

TEST(PListUrl, FileUrlOfAPathRoundTrips) {
    for (const std::string path :
         {"/tmp/plain.plist", "/tmp/with space/100%#?.plist", "/tmp/\xC3\xA9t\xC3\xA9.plist"}) {
        const Url url = Url::fileUrl(path);
        EXPECT_TRUE(url.isFileUrl());
        EXPECT_EQ(url.path(), path);
        const std::optional<Url> reparsed = Url::parse(url.absoluteString());
        ASSERT_TRUE(reparsed) << url.absoluteString();
        EXPECT_EQ(reparsed->path(), path);
    }
    EXPECT_EQ(Url::fileUrl("/tmp/a b").absoluteString(), "file:///tmp/a%20b");
    EXPECT_EQ(Url::fileUrl("relative.plist").path().front(), '/');
}

}  // namespace
}  // namespace zoral::plist
