// The conversation with a chess engine fed arbitrary engine output: lines
// separated by LF, a byte 0x01 line standing for the engine's death and
// 0x02 for two seconds passing. Every answer must name a legal move of its
// question's position or none, and a score within the mate bounds.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "chess/position.h"
#include "server/core/uci_engine.h"

namespace {

using namespace qc::server;

struct NullLink : EngineLink {
    void Start() override {}
    void Stop() override {}
    void Write(std::string_view) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    NullLink link;
    const qc::chess::Position start;
    std::vector<EngineAnswer> answers;
    UciEngine engine(link, [&](EngineAnswer a) { answers.push_back(std::move(a)); });
    TimePoint now = FromUnixSeconds(1796859900);
    for (std::int64_t id = 1; id <= 3; ++id) {
        engine.Ask(EngineQuestion{id, "", static_cast<int>(id * 3), start, start}, now);
    }
    std::string_view input(reinterpret_cast<const char*>(data), size);
    while (!input.empty()) {
        const std::size_t end = input.find('\n');
        const std::string_view line = input.substr(0, end);
        input = end == std::string_view::npos ? std::string_view() : input.substr(end + 1);
        if (line == "\x01") {
            engine.OnExited(now);
        } else if (line == "\x02") {
            now += std::chrono::seconds(2);
            engine.Tick(now);
        } else {
            engine.OnLine(line, now);
        }
    }
    for (const EngineAnswer& a : answers) {
        if (a.move && !start.isLegal(*a.move)) {
            __builtin_trap();
        }
        if (a.score &&
            (*a.score > EngineAnswer::kMateScore || *a.score < -EngineAnswer::kMateScore)) {
            __builtin_trap();
        }
    }
    return 0;
}
