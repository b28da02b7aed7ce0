// Property-list reading and writing on preferences-like documents of about
// 2 KB, 1 MB and 10 MB, in the XML and binary formats, beside a bare parse of
// the same XML bytes by the XML library alone: the floor under the XML reader,
// so that what the reader itself costs shows as the difference.

#include <array>
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <benchmark/benchmark.h>
#include <pugixml.hpp>

#include "platform/plist_serialization.h"

namespace {

using namespace zoral::platform;
using Bytes = std::vector<std::uint8_t>;

// Writes the XML of a preferences file by hand rather than through the
// writer, so that keys come in the order a program set them (not sorted), as
// in files written elsewhere.
class PreferencesText {
public:
    explicit PreferencesText(std::int64_t entryCount) {
        out_ +=
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
            "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
            "<plist version=\"1.0\">\n<dict>\n";
        for (std::int64_t i = 0; i < entryCount; ++i)
            entry(i);
        out_ += "</dict>\n</plist>\n";
    }

    Bytes bytes() const { return Bytes(out_.begin(), out_.end()); }

private:
    std::uint32_t next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }

    void line(std::size_t depth, std::string_view text) {
        out_.append(depth, '\t');
        out_ += text;
        out_ += '\n';
    }
    void key(std::size_t depth, std::string_view name) {
        line(depth, "<key>" + std::string(name) + "</key>");
    }
    void value(std::size_t depth, std::string_view element, std::string_view text) {
        line(depth, "<" + std::string(element) + ">" + std::string(text) + "</" +
                        std::string(element) + ">");
    }
    void date(std::size_t depth) {
        const std::uint32_t n = next();
        value(depth, "date",
              "20" + std::to_string(10 + n % 15) + "-0" + std::to_string(1 + n % 9) + "-1" +
                  std::to_string(n % 10) + "T0" + std::to_string(n % 10) + ":2" +
                  std::to_string(n % 10) + ":3" + std::to_string(n % 7) + "Z");
    }
    void data(std::size_t depth, std::size_t size) {
        constexpr std::string_view digits =
            "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
        line(depth, "<data>");
        std::string text;
        for (std::size_t i = 0; i < size / 3 * 4; ++i)
            text += digits[next() % 64];
        for (std::size_t at = 0; at < text.size(); at += 68)
            line(depth, std::string_view(text).substr(at, 68));
        line(depth, "</data>");
    }

    // One setting of an application or a window: scalars, a frame, an
    // archived state and a list of recent items, keys in no particular order.
    void entry(std::int64_t index) {
        const std::string name =
            "Group" + std::to_string(next() % 100000) + "." + std::to_string(index);
        switch (index % 4) {
            case 0:
                key(1, name + ".Enabled");
                line(1, next() % 2 == 0 ? "<true/>" : "<false/>");
                key(1, name + ".Title");
                value(1, "string", "Window \xE2\x80\x94 " + std::to_string(index) + " &amp; more");
                key(1, name + ".Count");
                value(1, "integer", std::to_string(static_cast<std::int32_t>(next()) / 3));
                return;
            case 1:
                key(1, name + ".Frame");
                value(1, "string",
                      "{{" + std::to_string(next() % 1920) + ", " + std::to_string(next() % 1080) +
                          "}, {800, 600}}");
                key(1, name + ".Scale");
                value(1, "real", std::to_string(next() % 1000) + ".25");
                return;
            case 2:
                key(1, name + ".State");
                data(1, 48 + next() % 200);
                return;
            default:
                key(1, name + ".Settings");
                line(1, "<dict>");
                key(2, "visible");
                line(2, "<true/>");
                key(2, "opened");
                date(2);
                key(2, "identifier");
                value(2, "string", "io.zoral.item." + std::to_string(next()));
                key(2, "recent");
                line(2, "<array>");
                for (int i = 0; i < 3; ++i) {
                    line(3, "<dict>");
                    key(4, "path");
                    value(4, "string", "/Users/someone/Documents/File " + std::to_string(next()));
                    key(4, "bookmark");
                    data(4, 32);
                    key(4, "added");
                    date(4);
                    line(3, "</dict>");
                }
                line(2, "</array>");
                key(2, "index");
                value(2, "integer", std::to_string(index));
                line(1, "</dict>");
                return;
        }
    }

    std::string out_;
    std::uint32_t state_ = 2463534242u;
};

Bytes makeDocument(PlistFormat format, std::int64_t entryCount) {
    const Bytes xml = PreferencesText(entryCount).bytes();
    return format == PlistFormat::xml ? xml : writePlist(readPlist(xml).object, format);
}

// A document of about `targetBytes` in the format, made once.
const Bytes& document(PlistFormat format, std::int64_t targetBytes) {
    static std::map<std::pair<PlistFormat, std::int64_t>, Bytes> made;
    Bytes& bytes = made[{format, targetBytes}];
    if (bytes.empty()) {
        constexpr std::int64_t sample = 400;
        const double bytesPerEntry =
            static_cast<double>(makeDocument(format, sample).size()) / sample;
        const auto count =
            static_cast<std::int64_t>(static_cast<double>(targetBytes) / bytesPerEntry);
        bytes = makeDocument(format, count < 1 ? 1 : count);
    }
    return bytes;
}

void report(benchmark::State& state, std::size_t size) {
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(size));
    state.counters["size_kB"] = static_cast<double>(size) / 1000.0;
}

void BM_PlistRead(benchmark::State& state, PlistFormat format) {
    const Bytes& bytes = document(format, state.range(0));
    for (auto _ : state) {
        auto result = readPlist(bytes);
        benchmark::DoNotOptimize(&result);
    }
    report(state, bytes.size());
}

void BM_PlistWrite(benchmark::State& state, PlistFormat format) {
    const PlistObject value = readPlist(document(format, state.range(0))).object;
    std::size_t size = 0;
    for (auto _ : state) {
        const auto bytes = writePlist(value, format);
        size = bytes.size();
        benchmark::DoNotOptimize(bytes.data());
    }
    report(state, size);
}

// The XML library alone on the same bytes, as the reader uses it: the bytes
// copied into a buffer of its own and parsed there in place, every kind of
// node kept, nothing resolved.
void BM_XmlParseFloor(benchmark::State& state) {
    const Bytes& bytes = document(PlistFormat::xml, state.range(0));
    constexpr unsigned options = pugi::parse_cdata | pugi::parse_eol | pugi::parse_comments |
                                 pugi::parse_pi | pugi::parse_declaration | pugi::parse_doctype |
                                 pugi::parse_ws_pcdata | pugi::parse_fragment |
                                 pugi::parse_embed_pcdata;
    for (auto _ : state) {
        auto buffer = std::make_unique_for_overwrite<char[]>(bytes.size() + 1);
        std::memcpy(buffer.get(), bytes.data(), bytes.size());
        buffer[bytes.size()] = '\0';
        pugi::xml_document tree;
        const auto result =
            tree.load_buffer_inplace(buffer.get(), bytes.size() + 1, options, pugi::encoding_utf8);
        benchmark::DoNotOptimize(result.status);
    }
    report(state, bytes.size());
}

constexpr std::array<std::int64_t, 3> sizes = {2'000, 1'000'000, 10'000'000};

void sized(benchmark::internal::Benchmark* benchmark) {
    for (const std::int64_t size : sizes)
        benchmark->Arg(size);
    benchmark->Unit(benchmark::kMicrosecond);
}

BENCHMARK_CAPTURE(BM_PlistRead, xml, PlistFormat::xml)->Apply(sized);
BENCHMARK(BM_XmlParseFloor)->Apply(sized);
BENCHMARK_CAPTURE(BM_PlistRead, binary, PlistFormat::binary)->Apply(sized);
BENCHMARK_CAPTURE(BM_PlistWrite, xml, PlistFormat::xml)->Apply(sized);
BENCHMARK_CAPTURE(BM_PlistWrite, binary, PlistFormat::binary)->Apply(sized);

}  // namespace
