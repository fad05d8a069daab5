// Throughput of the pure protocol code, for the record: composing every command's
// frame, extracting the parameter and status answers, and searching a chunk that holds
// no tag at all (the worst case of the tag search: a full 2048-byte chunk of noise).

#include "command_builder.h"
#include "reply_dispatch.h"
#include "reply_parser.h"

#include "bench_table.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

const std::string kParameterAnswer =
    "STQ:001\r\nMR485B:3,0\r\nDAV:0,04.00,20.00\r\nPA1:000\r\n"
    "PA2:000\r\nAD01:100.0,000.0,004.0\r\nAD02:050.0,000.0,000.0\r\n";
const std::string kStatusAnswer = "STC1:001A01:12.000A02:050.00A03:025.00\r\n";

// A full chunk of filler lines without a single tag.
std::string noiseChunk()
{
    std::string noise;
    while (noise.size() < 2048)
        noise += "filler without any value, ignore me\r\n";
    noise.resize(2048);
    return noise;
}

qv::FieldSnapshot filledFields()
{
    qv::FieldSnapshot fields;
    fields.station = "42";
    fields.davl = "04.00";
    fields.davh = "20.00";
    fields.ad1h = "100.0";
    fields.ad1l = "000.0";
    fields.ad1ld = "004.0";
    fields.ad2h = "050.0";
    fields.ad2l = "000.0";
    fields.ad2ld = "000.0";
    fields.edit1 = "150";
    fields.edit2 = "7";
    return fields;
}

void BM_BuildEveryCommand(benchmark::State& state)
{
    const qv::FieldSnapshot fields = filledFields();
    constexpr qv::Command commands[] = {
        qv::Command::LinkTest,         qv::Command::ParameterRead,   qv::Command::RealTimeData,
        qv::Command::OutputValue,      qv::Command::WriteAddress,    qv::Command::WriteRs485,
        qv::Command::WriteOutput,      qv::Command::WriteAd1Range,   qv::Command::WriteAd2Range,
        qv::Command::WriteFineTuning1, qv::Command::WriteFineTuning2};
    for (auto _ : state) {
        for (const qv::Command command : commands)
            benchmark::DoNotOptimize(qv::buildCommand(command, fields));
    }
    state.SetItemsProcessed(state.iterations() * std::size(commands));
    state.SetLabel("frame building, each of the 11 commands");
}
BENCHMARK(BM_BuildEveryCommand);

void extractAll(benchmark::State& state, qv::RequestCode request, const std::string& answer,
                const std::string& label)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(qv::dispatchReply(request, answer));
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(state.iterations() * int64_t(answer.size()));
    state.SetLabel(label + " (" + std::to_string(answer.size()) + " B)");
}

void BM_DispatchParameterAnswer(benchmark::State& state)
{
    extractAll(state, qv::RequestCode::rcParameterRead, kParameterAnswer,
               "dispatch of the parameter answer");
}
BENCHMARK(BM_DispatchParameterAnswer);

void BM_DispatchStatusAnswer(benchmark::State& state)
{
    extractAll(state, qv::RequestCode::rcStatusRead, kStatusAnswer,
               "dispatch of the status answer");
}
BENCHMARK(BM_DispatchStatusAnswer);

void BM_DispatchParameterNoise2048(benchmark::State& state)
{
    extractAll(state, qv::RequestCode::rcParameterRead, noiseChunk(),
               "parameter dispatch of a chunk without tags");
}
BENCHMARK(BM_DispatchParameterNoise2048);

// Prints each benchmark as a row of the benchmark table: time per item, and the rate.
class TableRowReporter : public benchmark::BenchmarkReporter
{
public:
    bool ReportContext(const Context&) override { return true; }

    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            const auto items = run.counters.find("items_per_second");
            if (run.error_occurred || items == run.counters.end() || items->second.value <= 0)
                continue;
            std::string rate = bench::fixed(items->second.value / 1e6, 2) + " M/s";
            if (const auto bytes = run.counters.find("bytes_per_second");
                bytes != run.counters.end())
                rate += ", " + bench::fixed(bytes->second.value / 1e6, 0) + " MB/s";
            bench::printRow("Protocol: " + run.report_label + " (ns each, CPU)",
                            bench::fixed(1e9 / items->second.value, 0), "-", rate, "for the record",
                            "-");
        }
    }
};

} // namespace

int main(int argc, char* argv[])
{
    benchmark::Initialize(&argc, argv);
    TableRowReporter rows;
    benchmark::RunSpecifiedBenchmarks(&rows);
    benchmark::Shutdown();
    return 0;
}
