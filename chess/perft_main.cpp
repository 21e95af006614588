// quorvel-perft FEN DEPTH [--divide]: counts the leaf nodes of the legal
// move tree, the reference check of the move generator.
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "chess/notation.h"
#include "chess/position.h"

namespace {

int usage(const char* message) {
    std::fprintf(stderr, "quorvel-perft: %s\n", message);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace qc::chess;
    // The FEN may come as one argument or as its six blank-separated fields.
    bool divide = false, timing = false;
    std::vector<std::string> positional;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--divide") == 0) {
            divide = true;
        } else if (std::strcmp(argv[i], "--time") == 0) {
            timing = true;
        } else {
            positional.push_back(argv[i]);
        }
    }
    if (positional.size() < 2) {
        return usage("usage: quorvel-perft FEN DEPTH [--divide] [--time]");
    }
    std::string fenText = positional.front();
    for (std::size_t i = 1; i + 1 < positional.size(); ++i)
        fenText += ' ' + positional[i];
    const std::string& depthText = positional.back();

    std::string error;
    auto pos = Position::fromFen(fenText, &error);
    if (!pos)
        return usage(("invalid FEN: " + error).c_str());
    int depth = 0;
    const char* begin = depthText.data();
    const char* end = begin + depthText.size();
    auto [ptr, ec] = std::from_chars(begin, end, depth);
    if (ec != std::errc() || ptr != end || depth < 1 || depth > 20) {
        return usage("invalid depth: give a whole number from 1 to 20");
    }

    auto start = std::chrono::steady_clock::now();
    std::uint64_t total = 0;
    if (divide) {
        for (Move m : pos->legalMoves()) {
            std::string name = toUci(*pos, m);
            pos->makeMove(m);
            std::uint64_t nodes = perft(*pos, depth - 1);
            pos->unmakeMove();
            total += nodes;
            std::printf("%s: %llu\n", name.c_str(), static_cast<unsigned long long>(nodes));
        }
        std::printf("\n");
    } else {
        total = perft(*pos, depth);
    }
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (timing) {
        std::fprintf(stderr, "time %.3f s, %.0f nodes/s\n", seconds,
                     seconds > 0 ? double(total) / seconds : 0.0);
    }
    std::printf("%llu\n", static_cast<unsigned long long>(total));
    return 0;
}
