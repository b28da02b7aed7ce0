// Property-list reading and writing throughput on a document of about 1 MB,
// in the XML and binary formats.

#include <string>

#include <benchmark/benchmark.h>

#include "platform/plist_serialization.h"

namespace {

using namespace zoral::platform;

// Settings-like records: every kind of value, with keys repeated from record
// to record as in real documents.
PlistObject makeDocument(std::int64_t recordCount) {
    PlistArray records;
    for (std::int64_t i = 0; i < recordCount; ++i) {
        PlistData blob(48);
        for (std::size_t b = 0; b < blob.size(); ++b) {
            blob[b] = static_cast<std::uint8_t>(static_cast<std::size_t>(i) * 131 + b);
        }
        PlistDictionary record;
        record.emplace("identifier", PlistObject::string("io.zoral.record." + std::to_string(i)));
        record.emplace("title",
                       PlistObject::string("Window \xE2\x80\x94 number " + std::to_string(i)));
        record.emplace("enabled", PlistObject::boolean(i % 3 == 0));
        record.emplace("count", PlistObject::integer(i * 7919 - 1000000));
        record.emplace("ratio", PlistObject::real(static_cast<double>(i) / 7.0));
        record.emplace("modified", PlistObject::date(Date{600000000.0 + static_cast<double>(i)}));
        record.emplace("thumbnail", PlistObject::data(std::move(blob)));
        record.emplace("frame",
                       PlistObject::array({PlistObject::real(static_cast<double>(i % 1920)),
                                           PlistObject::real(static_cast<double>(i % 1080)),
                                           PlistObject::real(800), PlistObject::real(600)}));
        records.push_back(PlistObject::dictionary(std::move(record)));
    }
    PlistDictionary root;
    root.emplace("records", PlistObject::array(std::move(records)));
    return PlistObject::dictionary(std::move(root));
}

// A document of about 1 MB in the given format.
const PlistObject& document(PlistFormat format) {
    constexpr double targetBytes = 1e6;
    auto make = [](PlistFormat of) {
        constexpr std::int64_t sample = 100;
        const double bytesPerRecord =
            static_cast<double>(writePlist(makeDocument(sample), of).size()) / sample;
        // Sizes grow a little faster than the count (wider references): correct once.
        const auto first = static_cast<std::int64_t>(targetBytes / bytesPerRecord);
        const auto firstSize = static_cast<double>(writePlist(makeDocument(first), of).size());
        return makeDocument(
            static_cast<std::int64_t>(static_cast<double>(first) * targetBytes / firstSize));
    };
    static const PlistObject xml = make(PlistFormat::xml);
    static const PlistObject binary = make(PlistFormat::binary);
    return format == PlistFormat::xml ? xml : binary;
}

void BM_PlistWrite(benchmark::State& state, PlistFormat format) {
    const PlistObject& value = document(format);
    std::size_t size = 0;
    for (auto _ : state) {
        const auto bytes = writePlist(value, format);
        size = bytes.size();
        benchmark::DoNotOptimize(bytes.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(size));
    state.counters["size_kB"] = static_cast<double>(size) / 1000.0;
}

void BM_PlistRead(benchmark::State& state, PlistFormat format) {
    const auto bytes = writePlist(document(format), format);
    for (auto _ : state) {
        auto result = readPlist(bytes);
        benchmark::DoNotOptimize(&result);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes.size()));
    state.counters["size_kB"] = static_cast<double>(bytes.size()) / 1000.0;
}

BENCHMARK_CAPTURE(BM_PlistWrite, xml, PlistFormat::xml)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PlistRead, xml, PlistFormat::xml)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PlistWrite, binary, PlistFormat::binary)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PlistRead, binary, PlistFormat::binary)->Unit(benchmark::kMillisecond);

}  // namespace
