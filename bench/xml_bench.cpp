// Reading a unit-file-like document of about 1 MB, from memory and from disk.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "infra/xml_parser.h"

namespace orbitfall {
namespace {

const std::string& MegabyteDocument() {
    static const std::string document = [] {
        std::string text = "<?xml version=\"1.0\" encoding=\"ISO8859-1\" ?>\r\n<Units>\r\n";
        for (int i = 0; text.size() < 1'000'000; ++i) {
            const std::string n = std::to_string(i);
            text += "  <Unit Name=\"Fighter " + n + "\" Speed=\"1.25\" Engine=\"0.05\" Build=\"" + n +
                    "\" Sight=\"300\">\r\n"
                    "    <Weapon class=\"laser\" Range=\"120.5\" Reload=\"15\" Damage=\"7\"/>\r\n"
                    "    <Shot class=\"homing\" Speed=\"4\" Turn=\"0.1\"/>\r\n"
                    "    <Description>A light ship &amp; escort, number " + n + "</Description>\r\n"
                    "  </Unit>\r\n";
        }
        return text + "</Units>\r\n";
    }();
    return document;
}

void BM_XmlReadFromString(benchmark::State& state) {
    const std::string& document = MegabyteDocument();
    TECXMLParser parser;
    for (auto _ : state) {
        parser.LoadFromString(document);
        benchmark::DoNotOptimize(parser.Root().Count());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(document.size()));
}
BENCHMARK(BM_XmlReadFromString)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_XmlReadFromFile(benchmark::State& state) {
    const std::string path =
        (std::filesystem::temp_directory_path() / ("orbitfall_xml_bench_" + std::to_string(::getpid()) + ".ofu"))
            .string();
    const std::string& document = MegabyteDocument();
    std::ofstream(path, std::ios::binary) << document;
    TECXMLParser parser;
    for (auto _ : state) {
        parser.LoadFromFile(path);
        benchmark::DoNotOptimize(parser.Root().Count());
    }
    std::filesystem::remove(path);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(document.size()));
}
BENCHMARK(BM_XmlReadFromFile)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace
}  // namespace orbitfall
