// Lines per second through the client's data-arrival handler.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "tests/fakes/controller_fixture.h"

namespace {

// Cuts a byte stream into datagrams of at most `size` bytes, as a server
// packing whole lines would, without regard to line ends.
std::vector<std::string> Datagrams(const std::string& stream, std::size_t size) {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < stream.size(); i += size) {
        out.push_back(stream.substr(i, size));
    }
    return out;
}

void BM_TenThousandRecordList(benchmark::State& state, const char* header) {
    qc::fakes::FakeController fc;
    fc.LoginAsGuest();
    std::string stream = std::string(header) + "\r";
    for (int i = 0; i < 10000; ++i) {
        stream += "G" + std::to_string(100000 + i) + ",opponent" + std::to_string(i) +
                  ",Chess960,1,10Dec26120000\r";
    }
    stream += ".\r";
    const auto datagrams = Datagrams(stream, 1200);
    for (auto _ : state) {
        for (const auto& d : datagrams) {
            fc.socket.Receive(d);
        }
    }
    state.SetItemsProcessed(state.iterations() * 10002);
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(stream.size()));
}
BENCHMARK_CAPTURE(BM_TenThousandRecordList, opengames, "opengames:");
BENCHMARK_CAPTURE(BM_TenThousandRecordList, opphistory, "opphistory:");

void BM_UpdateStream(benchmark::State& state) {
    qc::fakes::FakeController fc;
    fc.LoginAsGuest();
    std::string stream;
    for (int i = 0; i < 1000; ++i) {
        // Alternate states so every line changes the tray.
        stream += i % 2 ? "update:1,3,5,2,09Dec26120000\r" : "update:0,3,5,0,09Dec26120000\r";
    }
    const auto datagrams = Datagrams(stream, 1200);
    for (auto _ : state) {
        for (const auto& d : datagrams) {
            fc.socket.Receive(d);
        }
        fc.sound.calls.clear();
        fc.tray.calls.clear();
    }
    state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_UpdateStream);

}  // namespace

BENCHMARK_MAIN();
