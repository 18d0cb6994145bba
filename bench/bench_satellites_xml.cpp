// Reading a transponder list of 200 satellites and 20,000 transponders, against a plain parse of the same
// bytes by the XML library alone (the reader may take at most twice as long).

#include "exchange/satellites_xml.h"

#include <benchmark/benchmark.h>
#include <pugixml.hpp>

#include <string>

namespace {

// A list shaped like the public ones: tab-indented, every attribute the lists carry.
const std::string& LargeList() {
    static const std::string list = [] {
        std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<satellites>\n";
        for (int s = 0; s < 200; ++s) {
            const int position = -1790 + 18 * s;
            text += "\t<sat name=\"" + std::to_string(position) + " Satellite &amp; Co\" flags=\"1\" position=\"" +
                    std::to_string(position) + "\">\n";
            for (int t = 0; t < 100; ++t) {
                text += "\t\t<transponder frequency=\"" + std::to_string(10700000 + t * 20750) +
                        "\" symbol_rate=\"" + std::to_string(22000000 + (t % 3) * 2750000) +
                        "\" polarization=\"" + std::to_string(t % 2) + "\" fec_inner=\"" + std::to_string(t % 10) +
                        "\" system=\"" + std::to_string(t % 4 == 0) + "\" modulation=\"" +
                        std::to_string(1 + (t % 4 == 0)) + "\" rolloff=\"0\" pilot=\"2\"/>\n";
            }
            text += "\t</sat>\n";
        }
        return text + "</satellites>\n";
    }();
    return list;
}

void BM_PlainParse(benchmark::State& state) {
    const std::string& list = LargeList();
    for (auto _ : state) {
        pugi::xml_document document;
        benchmark::DoNotOptimize(document.load_buffer(list.data(), list.size()));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * list.size()));
}
BENCHMARK(BM_PlainParse)->Unit(benchmark::kMillisecond);

void BM_ReadSatellitesXml(benchmark::State& state) {
    const std::string& list = LargeList();
    for (auto _ : state) {
        tcn::SatelliteList read;
        std::string error;
        if (!tcn::ReadSatellitesXml(list, read, error)) state.SkipWithError(error.c_str());
        benchmark::DoNotOptimize(read);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * list.size()));
}
BENCHMARK(BM_ReadSatellitesXml)->Unit(benchmark::kMillisecond);

} // namespace
