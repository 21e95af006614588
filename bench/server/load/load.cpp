// qc_server_load: a population of guest clients playing against quorvel-server
// over UDP, to see how the server's reply times hold up under many players.
//
// Every client has its own socket on its own loopback address (127.x.y.z, a
// few clients to an address, as the server limits lines per address), logs in
// as a new guest and then, with a think time between its lines, asks for its
// counts and game list, looks at its game and moves in it. Most clients play
// local games (against themselves); a few play against the bot. Each client
// has at most one command outstanding and reads the server's lines in order,
// so every reply is matched to the command that asked for it; unasked lines
// (pushed "update:" lines, "ping") are told apart by what the client waits for.

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/epoll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cinttypes>
#include <cmath>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <limits>
#include <optional>
#include <queue>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "chess/notation.h"
#include "chess/position.h"

extern char** environ;

namespace {

using Mono = std::chrono::steady_clock;
using namespace std::chrono_literals;

// ---------------------------------------------------------------------------
// Options

struct Options {
    int clients = 1000;
    int seconds = 30;
    int intervalMs = 1000;
    int botClients = 10;
    int timeoutMs = 2000;
    int rampMs = 3000;
    int perAddress = 8;
    int port = -1;  // a running server's port; -1 starts one
    std::string serverBin;
    std::uint64_t seed = 0;
};

const char kUsage[] =
    "Usage: qc_server_load [options]\n"
    "Runs a population of guest clients against quorvel-server over UDP and\n"
    "reports reply times, lost replies and the bot's answer times.\n"
    "\n"
    "  --clients N       simulated clients (default 1000)\n"
    "  --seconds S       how long the clients play, logins included (default 30)\n"
    "  --interval-ms MS  mean think time between a client's lines, jittered by\n"
    "                    +-50% (default 1000)\n"
    "  --bot-clients N   clients among them that play the bot, levels 1 to 10\n"
    "                    (default 10)\n"
    "  --timeout-ms MS   a reply not begun this long after its line is lost\n"
    "                    (default 2000)\n"
    "  --ramp-ms MS      logins are spread over this time (default 3000)\n"
    "  --per-address N   clients sharing one loopback address (default 8)\n"
    "  --port N          use the server already listening on 127.0.0.1:N\n"
    "                    instead of starting one\n"
    "  --server-bin PATH the server to start (default: quorvel-server beside\n"
    "                    this program)\n"
    "  --seed N          seed of the clients' choices (default: random)\n"
    "  --help, -h        this text\n";

[[noreturn]] void BadOption(const std::string& text) {
    std::fprintf(stderr, "qc_server_load: %s (see --help)\n", text.c_str());
    std::exit(2);
}

std::int64_t ParseNumber(const std::string& option, const std::string& text, std::int64_t min,
                         std::int64_t max) {
    std::int64_t value = 0;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end || value < min || value > max) {
        BadOption(option + " wants a number from " + std::to_string(min) + " to " +
                  std::to_string(max) + ", not '" + text + "'");
    }
    return value;
}

Options ParseOptions(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            std::exit(0);
        }
        std::string name = arg;
        std::optional<std::string> value;
        if (std::size_t eq = arg.find('='); arg.rfind("--", 0) == 0 && eq != std::string::npos) {
            name = arg.substr(0, eq);
            value = arg.substr(eq + 1);
        }
        auto take = [&]() -> std::string {
            if (value) {
                return *value;
            }
            if (i + 1 >= argc) {
                BadOption(name + " needs a value");
            }
            return argv[++i];
        };
        if (name == "--clients") {
            o.clients = static_cast<int>(ParseNumber(name, take(), 1, 100000));
        } else if (name == "--seconds") {
            o.seconds = static_cast<int>(ParseNumber(name, take(), 1, 86400));
        } else if (name == "--interval-ms") {
            o.intervalMs = static_cast<int>(ParseNumber(name, take(), 1, 3600000));
        } else if (name == "--bot-clients") {
            o.botClients = static_cast<int>(ParseNumber(name, take(), 0, 100000));
        } else if (name == "--timeout-ms") {
            o.timeoutMs = static_cast<int>(ParseNumber(name, take(), 1, 600000));
        } else if (name == "--ramp-ms") {
            o.rampMs = static_cast<int>(ParseNumber(name, take(), 0, 3600000));
        } else if (name == "--per-address") {
            o.perAddress = static_cast<int>(ParseNumber(name, take(), 1, 1000));
        } else if (name == "--port") {
            o.port = static_cast<int>(ParseNumber(name, take(), 1, 65535));
        } else if (name == "--server-bin") {
            o.serverBin = take();
            if (o.serverBin.empty()) {
                BadOption("--server-bin needs a path");
            }
        } else if (name == "--seed") {
            o.seed = static_cast<std::uint64_t>(
                ParseNumber(name, take(), 0, std::numeric_limits<std::int64_t>::max()));
        } else {
            BadOption("unknown option '" + arg + "'");
        }
    }
    if (o.botClients > o.clients) {
        BadOption("--bot-clients may not exceed --clients");
    }
    return o;
}

// ---------------------------------------------------------------------------
// Time

// Wall-clock nanoseconds, the clock of the kernel's receive time stamps; a
// reply's time is taken when it reached the socket, not when this one thread
// got round to reading it.
std::int64_t WallNs() {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    return static_cast<std::int64_t>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

double Ms(std::int64_t ns) {
    return static_cast<double>(ns) / 1e6;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// ---------------------------------------------------------------------------
// The server process

struct Server {
    pid_t pid = -1;
    int port = 0;
    int stdoutFd = -1;
    std::string dir;  // temporary folder of the database and the server's log
    std::string db;
    std::string log;
};

std::string ProgramDir() {
    char buf[4096];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) {
        return ".";
    }
    std::string path(buf, static_cast<std::size_t>(n));
    return path.substr(0, path.rfind('/'));
}

bool StartServer(const std::string& bin, Server& s, std::string& error) {
    // TMPDIR chooses the disk under the database (/dev/shm: no disk at all).
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern =
        std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/qc-load-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) {
        error = std::string("cannot make a temporary folder: ") + std::strerror(errno);
        return false;
    }
    s.dir = pattern;
    s.db = s.dir + "/quorvel.db";
    s.log = s.dir + "/server.log";

    int out[2];
    if (pipe(out) != 0) {
        error = std::string("pipe: ") + std::strerror(errno);
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addopen(&actions, 2, s.log.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addclose(&actions, out[1]);
    std::vector<std::string> args{bin, "--port", "0", "--bind", "127.0.0.1", "--db", s.db};
    std::vector<char*> argv;
    for (std::string& a : args) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    int rc = posix_spawn(&s.pid, bin.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (rc != 0) {
        close(out[0]);
        s.pid = -1;
        error = "cannot run " + bin + ": " + std::strerror(rc);
        return false;
    }
    s.stdoutFd = out[0];

    // The first line names the port; wait for it a while, as a cold start
    // opens the database and may create it.
    std::string text;
    const auto until = Mono::now() + 15s;
    while (text.find('\n') == std::string::npos) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Mono::now());
        if (left.count() <= 0) {
            error = "the server printed no start line within 15 s";
            return false;
        }
        pollfd p{s.stdoutFd, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(left.count())) <= 0) {
            continue;
        }
        char buf[256];
        ssize_t n = read(s.stdoutFd, buf, sizeof buf);
        if (n <= 0) {
            error = "the server ended before it listened (see " + s.log + ")";
            return false;
        }
        text.append(buf, static_cast<std::size_t>(n));
    }
    const std::string line = text.substr(0, text.find('\n'));
    const std::string_view prefix = "quorvel-server listening on port ";
    if (!StartsWith(line, prefix)) {
        error = "unexpected start line from the server: " + line;
        return false;
    }
    s.port = std::atoi(line.c_str() + prefix.size());
    if (s.port <= 0 || s.port > 65535) {
        error = "no port in the server's start line: " + line;
        return false;
    }
    return true;
}

// SIGTERM, then SIGKILL if it does not stop within five seconds; returns the
// exit status as the report shows it.
std::string StopServer(Server& s) {
    std::string status = "not started";
    if (s.pid > 0) {
        kill(s.pid, SIGTERM);
        int ws = 0;
        const auto until = Mono::now() + 5s;
        pid_t got = 0;
        while ((got = waitpid(s.pid, &ws, WNOHANG)) == 0 && Mono::now() < until) {
            usleep(20000);
        }
        if (got == 0) {
            kill(s.pid, SIGKILL);
            waitpid(s.pid, &ws, 0);
            status = "did not stop on SIGTERM within 5 s; killed";
        } else if (WIFEXITED(ws)) {
            status = "exit status " + std::to_string(WEXITSTATUS(ws));
        } else if (WIFSIGNALED(ws)) {
            status = "ended by signal " + std::to_string(WTERMSIG(ws));
        }
        s.pid = -1;
    }
    if (s.stdoutFd >= 0) {
        close(s.stdoutFd);
        s.stdoutFd = -1;
    }
    return status;
}

void RemoveServerFiles(const Server& s) {
    if (s.dir.empty()) {
        return;
    }
    for (const char* suffix : {"", "-wal", "-shm"}) {
        std::remove((s.db + suffix).c_str());
    }
    std::remove(s.log.c_str());
    rmdir(s.dir.c_str());
}

// User and system CPU seconds of a process so far, from /proc/PID/stat.
std::optional<double> CpuSeconds(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // The command name may hold blanks; the fields after it are plain.
    std::size_t close = text.rfind(')');
    if (close == std::string::npos) {
        return std::nullopt;
    }
    std::vector<std::string> f;
    std::size_t pos = close + 2;
    while (pos < text.size()) {
        std::size_t end = text.find(' ', pos);
        f.push_back(text.substr(pos, end - pos));
        pos = end == std::string::npos ? text.size() : end + 1;
    }
    // utime and stime are fields 14 and 15 of the line, 12 and 13 after the name.
    if (f.size() < 13) {
        return std::nullopt;
    }
    const double ticks = static_cast<double>(sysconf(_SC_CLK_TCK));
    return (std::strtod(f[11].c_str(), nullptr) + std::strtod(f[12].c_str(), nullptr)) / ticks;
}

std::vector<std::string> ReadLines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        lines.push_back(line);
    }
    return lines;
}

// Datagrams the kernel dropped at the server's socket because its receive
// queue was full (the last column of /proc/net/udp), if the socket is found.
std::optional<std::uint64_t> ServerSocketDrops(int port) {
    char portHex[8];
    std::snprintf(portHex, sizeof portHex, "%04X", port);
    for (const char* file : {"/proc/net/udp", "/proc/net/udp6"}) {
        std::vector<std::string> lines = ReadLines(file);
        for (std::size_t i = 1; i < lines.size(); ++i) {
            // "  sl  local_address rem_address st ... drops"
            std::vector<std::string> f;
            std::size_t pos = 0;
            const std::string& l = lines[i];
            while (pos < l.size()) {
                std::size_t start = l.find_first_not_of(' ', pos);
                if (start == std::string::npos) {
                    break;
                }
                std::size_t end = l.find(' ', start);
                f.push_back(l.substr(start, end - start));
                pos = end == std::string::npos ? l.size() : end;
            }
            if (f.size() < 13) {
                continue;
            }
            const std::string& local = f[1];
            std::size_t colon = local.rfind(':');
            if (colon == std::string::npos || local.substr(colon + 1) != portHex) {
                continue;
            }
            const std::string address = local.substr(0, colon);
            // 127.0.0.1 or any address: a client socket on 127.x.y.z may hold
            // the same port number.
            if (address == "0100007F" || address.find_first_not_of('0') == std::string::npos) {
                return std::strtoull(f.back().c_str(), nullptr, 10);
            }
        }
    }
    return std::nullopt;
}

// ---------------------------------------------------------------------------
// Statistics

enum class Kind : int { Login, Update, GameList, Request, View, Move, Resign };
constexpr int kKinds = 7;
constexpr std::array<const char*, kKinds> kKindNames{"connect", "update", "gamelist", "request",
                                                     "game",    "move",   "resign"};

int Index(Kind k) {
    return static_cast<int>(k);
}

struct Stats {
    std::int64_t linesSent = 0;
    std::int64_t pongs = 0;
    std::int64_t sendErrors = 0;
    std::array<std::int64_t, kKinds> sent{};
    std::array<std::int64_t, kKinds> replies{};
    std::array<std::int64_t, kKinds> lost{};        // nothing came back in time
    std::array<std::int64_t, kKinds> incomplete{};  // begun, but not finished in time
    std::array<std::vector<double>, kKinds> latency;
    std::int64_t lateReplies = 0;
    std::int64_t lateLines = 0;
    std::int64_t unaskedUpdates = 0;
    std::int64_t pings = 0;
    std::int64_t unexpected = 0;
    std::vector<std::string> samples;  // the first unexpected lines, with their client
    std::int64_t refusals = 0;         // "msg: ..." or "!slots" for a request
    std::int64_t loggedIn = 0;
    std::int64_t localStarted = 0, localEnded = 0;
    std::int64_t botStarted = 0, botEnded = 0;
    std::int64_t movesPlayed = 0, movesRefused = 0, resigns = 0;
    std::int64_t desyncs = 0;  // a move log that the rules cannot replay
    std::int64_t wrongEnds = 0;
    std::vector<double> botAnswer;
    std::int64_t botMovesWithoutPush = 0;
    std::int64_t botAnswersAwaited = 0;
    std::int64_t adopted = 0;  // games found in the game list after a lost reply
    std::uint64_t generatorDrops = 0;

    void Note(const std::string& who, std::string_view what) {
        ++unexpected;
        if (samples.size() < 10) {
            samples.push_back(who + ": " + std::string(what.substr(0, 120)));
        }
    }
};

double Percentile(std::vector<double> v, double p) {
    if (v.empty()) {
        return 0;
    }
    std::sort(v.begin(), v.end());
    std::size_t rank =
        static_cast<std::size_t>(std::ceil(p / 100.0 * static_cast<double>(v.size())));
    return v[std::clamp<std::size_t>(rank, 1, v.size()) - 1];
}

// ---------------------------------------------------------------------------
// Reading one reply

enum class Fed { NotMine, More, Done };

// Follows the lines of the reply to one command: which line begins it and
// which ends it, and what the client needs from it.
struct Reply {
    Kind kind = Kind::Update;
    bool active = false;
    bool started = false;
    int stage = 0;
    std::int64_t sentNs = 0;
    std::int64_t firstNs = 0;  // arrival of the datagram that began it
    int pliesBefore = 0;       // moves in the game when a move was sent
    bool endedBefore = false;
    // What was read.
    std::string guestName, credential;
    std::int64_t acceptedId = 0;
    bool refused = false;
    std::string refusal;
    std::vector<std::string> log;
    std::string gameLine;
    std::vector<std::pair<std::int64_t, std::string>> openGames;  // id, opponent

    void Begin(Kind k, std::int64_t now) {
        *this = Reply{};
        kind = k;
        active = true;
        sentNs = now;
    }

    Fed Start(std::int64_t at, int nextStage) {
        started = true;
        firstNs = at;
        stage = nextStage;
        return Fed::More;
    }

    char Status() const {
        // game: ID,white,black,type,STATUS,...
        std::size_t pos = 0;
        for (int i = 0; i < 4 && pos != std::string::npos; ++i) {
            pos = gameLine.find(',', pos);
            if (pos != std::string::npos) {
                ++pos;
            }
        }
        return pos == std::string::npos || pos >= gameLine.size() ? '?' : gameLine[pos];
    }

    Fed Feed(std::string_view line, std::int64_t at) {
        switch (kind) {
            case Kind::Update:
                if (!started && StartsWith(line, "update:")) {
                    Start(at, 1);
                    return Fed::Done;
                }
                return Fed::NotMine;
            case Kind::Login:
                return FeedLogin(line, at);
            case Kind::GameList:
                return FeedGameList(line, at);
            case Kind::Request:
                return FeedRequest(line, at);
            case Kind::View:
            case Kind::Move:
            case Kind::Resign:
                return FeedGame(line, at);
        }
        return Fed::NotMine;
    }

    Fed FeedLogin(std::string_view line, std::int64_t at) {
        switch (stage) {
            case 0:
                if (!StartsWith(line, "guest: ")) {
                    return Fed::NotMine;
                }
                if (std::size_t comma = line.find(','); comma != std::string_view::npos) {
                    guestName = std::string(line.substr(7, comma - 7));
                    credential = std::string(line.substr(comma + 1));
                }
                return Start(at, 1);
            case 1:
                if (!StartsWith(line, "update:")) {
                    return Fed::NotMine;
                }
                stage = 2;
                return Fed::More;
            case 2:
                if (line != "gametypes:") {
                    return Fed::NotMine;
                }
                stage = 3;
                return Fed::More;
            default:
                return line == "." ? Fed::Done : Fed::More;
        }
    }

    // opengames:, closedgames:, requestsfor:, requestsby:, each ended by ".".
    Fed FeedGameList(std::string_view line, std::int64_t at) {
        static constexpr std::array<std::string_view, 4> kSections{
            "opengames:", "closedgames:", "requestsfor:", "requestsby:"};
        if (stage % 2 == 0) {
            if (stage / 2 >= 4 || line != kSections[static_cast<std::size_t>(stage / 2)]) {
                return Fed::NotMine;
            }
            if (stage == 0) {
                Start(at, 0);
            }
            ++stage;
            return Fed::More;
        }
        if (line == ".") {
            ++stage;
            return stage == 8 ? Fed::Done : Fed::More;
        }
        if (stage == 1) {
            // ID,opponent,type,yourmove,moveby
            std::size_t comma = line.find(',');
            std::size_t second = line.find(',', comma == std::string_view::npos ? 0 : comma + 1);
            if (comma != std::string_view::npos && second != std::string_view::npos) {
                openGames.emplace_back(std::atoll(std::string(line.substr(0, comma)).c_str()),
                                       std::string(line.substr(comma + 1, second - comma - 1)));
            }
        }
        return Fed::More;
    }

    Fed FeedRequest(std::string_view line, std::int64_t at) {
        if (stage == 0) {
            if (StartsWith(line, "accepted: ")) {
                acceptedId = std::atoll(std::string(line.substr(10)).c_str());
                return Start(at, 1);
            }
            if (StartsWith(line, "!slots") || StartsWith(line, "msg: ")) {
                Start(at, 1);
                refused = true;
                refusal = std::string(line);
                return Fed::Done;
            }
            return Fed::NotMine;
        }
        return StartsWith(line, "update:") ? Fed::Done : Fed::NotMine;
    }

    // board:, movelog:, the entries, ".", game:, canmove:, and after a change
    // of the game the player's update: line.
    Fed FeedGame(std::string_view line, std::int64_t at) {
        switch (stage) {
            case 0:
                return StartsWith(line, "board: ") ? Start(at, 1) : Fed::NotMine;
            case 1:
                if (line != "movelog:") {
                    return Fed::NotMine;
                }
                stage = 2;
                return Fed::More;
            case 2:
                if (line == ".") {
                    stage = 3;
                } else {
                    log.emplace_back(line);
                }
                return Fed::More;
            case 3:
                if (!StartsWith(line, "game: ")) {
                    return Fed::NotMine;
                }
                gameLine = std::string(line);
                stage = 4;
                return Fed::More;
            case 4: {
                if (!StartsWith(line, "canmove: ")) {
                    return Fed::NotMine;
                }
                bool changed = false;
                if (kind == Kind::Move) {
                    changed = static_cast<int>(log.size()) == pliesBefore + 1;
                } else if (kind == Kind::Resign) {
                    changed = !endedBefore && Status() == 'e';
                }
                if (!changed) {
                    return Fed::Done;
                }
                stage = 5;
                return Fed::More;
            }
            default:
                return StartsWith(line, "update:") ? Fed::Done : Fed::NotMine;
        }
    }
};

// ---------------------------------------------------------------------------
// Clients

struct Client {
    int index = 0;
    int fd = -1;
    std::string address;
    bool bot = false;
    std::string label;  // for the report: the guest name once known
    std::string name;
    std::string credential;
    bool loggedIn = false;

    std::int64_t gameId = 0;
    bool gameOver = false;
    bool needView = false;
    bool noSlot = false;  // a request was refused: look for an open game first
    qc::chess::Position pos;

    bool awaitingBot = false;
    std::int64_t movedNs = 0;  // when the move the bot is to answer was sent
    int pliesAfterMove = 0;

    Reply pending;
    Reply late;  // the last reply given up on, so its lines are not taken for others
    std::uint64_t actToken = 0;
    std::uint64_t deadlineToken = 0;
    std::uint64_t drops = 0;
    std::string partial;  // a line cut between datagrams
};

struct Timer {
    Mono::time_point at;
    int client;
    bool deadline;
    std::uint64_t token;
    bool operator>(const Timer& o) const { return at > o.at; }
};

volatile sig_atomic_t interrupted = 0;

void OnInterrupt(int) {
    interrupted = 1;
}

class Load {
  public:
    Load(const Options& o, int port) : o_(o), port_(port), random_(o.seed) {}

    bool Open(std::string& error);
    // Returns the seconds the clients played, up to the end or an interrupt.
    double Run();
    void Report(double played, double total) const;
    const Stats& stats() const { return stats_; }

  private:
    void Schedule(Client& c, Mono::duration after);
    Mono::duration Think();
    void Act(Client& c);
    void Send(Client& c, Kind kind, const std::string& command);
    void SendMove(Client& c);
    void SendLine(Client& c, const std::string& line);
    void OnDeadline(Client& c);
    void Receive(Client& c);
    void OnLine(Client& c, std::string_view line, std::int64_t at);
    void OnPush(Client& c, std::string_view line, std::int64_t at);
    void Finish(Client& c);
    bool SyncGame(Client& c, const std::vector<std::string>& log);
    void PickGame(Client& c, const Reply& r);
    std::string Who(const Client& c) const { return c.name.empty() ? c.label : c.name; }

    Options o_;
    int port_;
    std::mt19937_64 random_;
    int epoll_ = -1;
    std::vector<Client> clients_;
    std::priority_queue<Timer, std::vector<Timer>, std::greater<>> timers_;
    bool ending_ = false;
    std::int64_t linesWhilePlaying_ = 0;
    Stats stats_;
};

bool Load::Open(std::string& error) {
    // A socket per client, and the server limits per port and address.
    rlimit lim{};
    if (getrlimit(RLIMIT_NOFILE, &lim) == 0 && lim.rlim_cur < lim.rlim_max) {
        lim.rlim_cur = lim.rlim_max;
        setrlimit(RLIMIT_NOFILE, &lim);
    }
    epoll_ = epoll_create1(EPOLL_CLOEXEC);
    if (epoll_ < 0) {
        error = std::string("epoll: ") + std::strerror(errno);
        return false;
    }
    clients_.resize(static_cast<std::size_t>(o_.clients));
    // The bot players are spread through the population.
    std::vector<int> order(clients_.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        order[i] = static_cast<int>(i);
    }
    std::shuffle(order.begin(), order.end(), random_);
    for (int i = 0; i < o_.botClients; ++i) {
        clients_[static_cast<std::size_t>(order[static_cast<std::size_t>(i)])].bot = true;
    }
    for (std::size_t i = 0; i < clients_.size(); ++i) {
        Client& c = clients_[i];
        c.index = static_cast<int>(i);
        // 127.B.C.D from 127.0.1.1 on: the server itself is on 127.0.0.1.
        const unsigned a = static_cast<unsigned>(i) / static_cast<unsigned>(o_.perAddress) + 254;
        const unsigned b = a / (254 * 254), cc = a / 254 % 254 + 1, d = a % 254 + 1;
        if (b > 255) {
            error = "too many clients for the loopback addresses";
            return false;
        }
        c.address = "127." + std::to_string(b) + "." + std::to_string(cc) + "." + std::to_string(d);
        c.label = "client " + std::to_string(i) + " (" + c.address + ")";
        c.fd = socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (c.fd < 0) {
            error = std::string("socket: ") + std::strerror(errno);
            return false;
        }
        // Room for a burst of replies and pushes while this thread is busy
        // with other clients; the kernel caps it at net.core.rmem_max.
        int size = 1 << 20;
        setsockopt(c.fd, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
        int on = 1;
        setsockopt(c.fd, SOL_SOCKET, SO_TIMESTAMPNS, &on, sizeof on);
        setsockopt(c.fd, SOL_SOCKET, SO_RXQ_OVFL, &on, sizeof on);
        sockaddr_in local{};
        local.sin_family = AF_INET;
        inet_pton(AF_INET, c.address.c_str(), &local.sin_addr);
        if (bind(c.fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
            error = "cannot bind to " + c.address + ": " + std::strerror(errno);
            return false;
        }
        sockaddr_in server{};
        server.sin_family = AF_INET;
        server.sin_port = htons(static_cast<std::uint16_t>(port_));
        inet_pton(AF_INET, "127.0.0.1", &server.sin_addr);
        // Connected: only the server's datagrams reach this socket.
        if (connect(c.fd, reinterpret_cast<sockaddr*>(&server), sizeof server) != 0) {
            error = std::string("connect: ") + std::strerror(errno);
            return false;
        }
        epoll_event ev{};
        ev.events = EPOLLIN;
        ev.data.u32 = static_cast<std::uint32_t>(i);
        epoll_ctl(epoll_, EPOLL_CTL_ADD, c.fd, &ev);
    }
    return true;
}

Mono::duration Load::Think() {
    std::uniform_real_distribution<double> jitter(0.5, 1.5);
    return std::chrono::microseconds(
        static_cast<std::int64_t>(o_.intervalMs * 1000.0 * jitter(random_)));
}

void Load::Schedule(Client& c, Mono::duration after) {
    timers_.push(Timer{Mono::now() + after, c.index, false, ++c.actToken});
}

void Load::SendLine(Client& c, const std::string& line) {
    std::string bytes = line + '\r';
    if (send(c.fd, bytes.data(), bytes.size(), 0) < 0) {
        ++stats_.sendErrors;
        return;
    }
    ++stats_.linesSent;
}

void Load::Send(Client& c, Kind kind, const std::string& command) {
    c.pending.Begin(kind, WallNs());
    ++stats_.sent[static_cast<std::size_t>(Index(kind))];
    SendLine(c, (c.loggedIn ? c.name : std::string("guest")) + " " + command);
    timers_.push(Timer{Mono::now() + std::chrono::milliseconds(o_.timeoutMs), c.index, true,
                       ++c.deadlineToken});
}

void Load::Act(Client& c) {
    if (ending_ || c.pending.active) {
        return;
    }
    std::uniform_int_distribution<int> percent(0, 99);
    const std::string id = std::to_string(c.gameId);
    if (!c.loggedIn) {
        Send(c, Kind::Login, "connect v1.20 x");
        return;
    }
    if (c.noSlot) {
        // A request got lost or was refused for want of a slot: the game it
        // started may be in the list.
        Send(c, Kind::GameList, "gamelist");
        return;
    }
    if (c.gameId == 0 || c.gameOver) {
        std::uniform_int_distribution<int> level(1, 10);
        const std::string opponent = c.bot ? "Bot" + std::to_string(level(random_)) : c.name;
        Send(c, Kind::Request, "request " + opponent + ",,w,1,d,0,0,0");
        return;
    }
    if (c.needView) {
        Send(c, Kind::View, "game " + id);
        return;
    }
    const int roll = percent(random_);
    if (c.bot) {
        if (c.awaitingBot) {
            // No "update" now: the bot's answer comes as an unasked update: line.
            Send(c, roll < 50 ? Kind::View : Kind::GameList, roll < 50 ? "game " + id : "gamelist");
        } else if (roll < 80) {
            SendMove(c);
        } else {
            Send(c, roll < 90 ? Kind::Update : Kind::GameList, roll < 90 ? "update" : "gamelist");
        }
        return;
    }
    if (roll < 40) {
        SendMove(c);
    } else if (roll < 60) {
        Send(c, Kind::View, "game " + id);
    } else if (roll < 85) {
        Send(c, Kind::Update, "update");
    } else if (roll < 99 || c.pos.plyCount() < 20) {
        Send(c, Kind::GameList, "gamelist");
    } else {
        Send(c, Kind::Resign, "resign " + id);
    }
}

// A random legal move; the game's reply shows whether the server played it.
void Load::SendMove(Client& c) {
    const qc::chess::MoveList moves = c.pos.legalMoves();
    if (moves.empty()) {
        Send(c, Kind::View, "game " + std::to_string(c.gameId));
        return;
    }
    std::uniform_int_distribution<int> pick(0, moves.size() - 1);
    const qc::chess::Move m = moves[pick(random_)];
    Send(c, Kind::Move, "move " + std::to_string(c.gameId) + " " + qc::chess::toUci(c.pos, m));
    c.pending.pliesBefore = c.pos.plyCount();
}

bool Load::SyncGame(Client& c, const std::vector<std::string>& log) {
    if (static_cast<int>(log.size()) < c.pos.plyCount()) {
        c.pos = qc::chess::Position();
    }
    for (std::size_t i = static_cast<std::size_t>(c.pos.plyCount()); i < log.size(); ++i) {
        bool found = false;
        for (qc::chess::Move m : c.pos.legalMoves()) {
            if (qc::chess::toLogEntry(c.pos, m) == log[i]) {
                c.pos.makeMove(m);
                found = true;
                break;
            }
        }
        if (!found) {
            ++stats_.desyncs;
            stats_.Note(Who(c), "move log entry the rules cannot play: " + log[i]);
            return false;
        }
    }
    return true;
}

// After a lost or refused request: take up an open game of the right kind.
void Load::PickGame(Client& c, const Reply& r) {
    for (const auto& [id, opponent] : r.openGames) {
        const bool fits = c.bot ? StartsWith(opponent, "Bot") : opponent == c.name;
        if (fits && id != c.gameId) {
            c.gameId = id;
            c.gameOver = false;
            c.needView = true;
            c.awaitingBot = false;
            c.pos = qc::chess::Position();
            ++stats_.adopted;
            return;
        }
    }
}

void Load::Finish(Client& c) {
    Reply r = std::move(c.pending);
    c.pending = Reply{};
    ++c.deadlineToken;
    const auto k = static_cast<std::size_t>(Index(r.kind));
    ++stats_.replies[k];
    stats_.latency[k].push_back(Ms(r.firstNs - r.sentNs));
    Mono::duration next = Think();

    switch (r.kind) {
        case Kind::Login:
            c.name = r.guestName;
            c.credential = r.credential;
            c.loggedIn = !c.name.empty();
            if (c.loggedIn) {
                ++stats_.loggedIn;
            }
            break;
        case Kind::Update:
            break;
        case Kind::GameList:
            if (c.noSlot) {
                c.noSlot = false;
                PickGame(c, r);
            }
            break;
        case Kind::Request:
            if (r.refused) {
                ++stats_.refusals;
                stats_.Note(Who(c), r.refusal);
                c.noSlot = true;
                break;
            }
            c.gameId = r.acceptedId;
            c.gameOver = false;
            c.needView = true;
            c.awaitingBot = false;
            c.pos = qc::chess::Position();
            ++(c.bot ? stats_.botStarted : stats_.localStarted);
            break;
        case Kind::View:
        case Kind::Move:
        case Kind::Resign: {
            c.needView = false;
            const int before = c.pos.plyCount();
            if (!SyncGame(c, r.log)) {
                // Give the game up; the next request starts another.
                c.gameOver = true;
                c.awaitingBot = false;
                break;
            }
            const char status = r.Status();
            const bool ended = status == 'e';
            if (r.kind == Kind::Move) {
                if (c.pos.plyCount() == r.pliesBefore + 1) {
                    ++stats_.movesPlayed;
                } else {
                    ++stats_.movesRefused;
                    stats_.Note(Who(c), "a legal move was not played; game line: " + r.gameLine);
                }
            }
            if (r.kind == Kind::Resign && ended) {
                ++stats_.resigns;
            }
            // The rules and the server must agree on whether the game is over,
            // unless it was resigned.
            if (!ended && c.pos.status().over()) {
                ++stats_.wrongEnds;
                stats_.Note(Who(c), "game over by the rules but not by the server: " + r.gameLine);
            } else if (ended && !c.pos.status().over() && r.kind != Kind::Resign &&
                       r.gameLine.find("resigned") == std::string::npos &&
                       r.gameLine.find("on time") == std::string::npos) {
                ++stats_.wrongEnds;
                stats_.Note(Who(c), "game ended by the server but not by the rules: " + r.gameLine);
            }
            if (ended && !c.gameOver) {
                c.gameOver = true;
                c.awaitingBot = false;
                ++(c.bot ? stats_.botEnded : stats_.localEnded);
                break;
            }
            if (c.bot) {
                if (r.kind == Kind::Move && c.pos.plyCount() == r.pliesBefore + 1) {
                    c.awaitingBot = true;
                    c.movedNs = r.sentNs;
                    c.pliesAfterMove = c.pos.plyCount();
                } else if (c.awaitingBot && c.pos.plyCount() > c.pliesAfterMove) {
                    // The bot moved, but its update: line never came.
                    ++stats_.botMovesWithoutPush;
                    c.awaitingBot = false;
                } else if (r.kind == Kind::View && c.pos.plyCount() % 2 == 1 &&
                           before == c.pos.plyCount() && !c.awaitingBot && status == 'b') {
                    // The bot is to move after a move whose reply was lost: wait for
                    // its answer, but its time from the move is not known.
                    c.awaitingBot = true;
                    c.movedNs = 0;
                    c.pliesAfterMove = c.pos.plyCount();
                }
            }
            break;
        }
    }
    Schedule(c, next);
}

void Load::OnDeadline(Client& c) {
    const auto k = static_cast<std::size_t>(Index(c.pending.kind));
    ++(c.pending.started ? stats_.incomplete[k] : stats_.lost[k]);
    if (c.pending.kind == Kind::Request) {
        c.noSlot = true;  // it may have started a game all the same
    }
    if (c.pending.kind == Kind::Move || c.pending.kind == Kind::Resign) {
        c.needView = true;  // whether it was played, the game tells
    }
    c.late = std::move(c.pending);
    c.pending = Reply{};
    Schedule(c, Think());
}

void Load::OnPush(Client& c, std::string_view line, std::int64_t at) {
    if (line == "ping") {
        ++stats_.pings;
        if (c.loggedIn) {
            SendLine(c, c.name + " pong");
            ++stats_.pongs;
        }
        return;
    }
    if (StartsWith(line, "update:")) {
        if (c.awaitingBot) {
            if (c.movedNs != 0) {
                stats_.botAnswer.push_back(Ms(at - c.movedNs));
            }
            c.awaitingBot = false;
            c.needView = true;
            // The player's window shows the bot's move at once.
            if (!c.pending.active && !ending_) {
                Schedule(c, 0s);
            }
        } else {
            ++stats_.unaskedUpdates;
        }
        return;
    }
    stats_.Note(Who(c), line);
}

void Load::OnLine(Client& c, std::string_view line, std::int64_t at) {
    if (c.pending.active) {
        Fed fed = c.pending.Feed(line, at);
        if (fed == Fed::Done) {
            Finish(c);
            return;
        }
        if (fed == Fed::More) {
            return;
        }
    }
    if (c.late.active) {
        const bool wasStarted = c.late.started;
        Fed fed = c.late.Feed(line, at);
        if (fed != Fed::NotMine) {
            ++stats_.lateLines;
            if (!wasStarted) {
                ++stats_.lateReplies;
            }
            if (fed == Fed::Done) {
                c.late = Reply{};
            }
            return;
        }
    }
    OnPush(c, line, at);
}

void Load::Receive(Client& c) {
    char buf[65536];
    alignas(cmsghdr) char control[256];
    for (;;) {
        iovec iov{buf, sizeof buf};
        msghdr msg{};
        msg.msg_iov = &iov;
        msg.msg_iovlen = 1;
        msg.msg_control = control;
        msg.msg_controllen = sizeof control;
        ssize_t n = recvmsg(c.fd, &msg, 0);
        if (n < 0) {
            // ECONNREFUSED: nothing listens (yet or any more); the reply is lost.
            return;
        }
        std::int64_t at = 0;
        for (cmsghdr* cm = CMSG_FIRSTHDR(&msg); cm != nullptr; cm = CMSG_NXTHDR(&msg, cm)) {
            if (cm->cmsg_level == SOL_SOCKET && cm->cmsg_type == SCM_TIMESTAMPNS) {
                timespec ts{};
                std::memcpy(&ts, CMSG_DATA(cm), sizeof ts);
                at = static_cast<std::int64_t>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
            } else if (cm->cmsg_level == SOL_SOCKET && cm->cmsg_type == SO_RXQ_OVFL) {
                std::uint32_t dropped = 0;
                std::memcpy(&dropped, CMSG_DATA(cm), sizeof dropped);
                c.drops = dropped;
            }
        }
        if (at == 0) {
            at = WallNs();
        }
        std::string_view data(buf, static_cast<std::size_t>(n));
        // Lines end with CR; one longer than a datagram continues in the next.
        while (!data.empty()) {
            std::size_t cr = data.find('\r');
            if (cr == std::string_view::npos) {
                c.partial.append(data);
                break;
            }
            std::string line = std::move(c.partial);
            c.partial.clear();
            line.append(data.substr(0, cr));
            data.remove_prefix(cr + 1);
            OnLine(c, line, at);
        }
    }
}

double Load::Run() {
    const Mono::time_point start = Mono::now();
    Mono::time_point stopped = start;
    const Mono::time_point end = start + std::chrono::seconds(o_.seconds);
    for (Client& c : clients_) {
        // Spread evenly over the ramp, each with a little jitter.
        const double share = static_cast<double>(c.index) / static_cast<double>(o_.clients);
        Schedule(c, std::chrono::microseconds(static_cast<std::int64_t>(
                        share * o_.rampMs * 1000.0 +
                        std::uniform_real_distribution<double>(0, 1000)(random_))));
    }
    std::vector<epoll_event> events(256);
    // After the end no new lines go out; outstanding replies get their time
    // and bot answers a little longer, as they queue for the engine.
    const Mono::time_point drainEnd =
        end + std::max<Mono::duration>(std::chrono::milliseconds(o_.timeoutMs), 10s);
    for (;;) {
        Mono::time_point now = Mono::now();
        if (!ending_ && (now >= end || interrupted)) {
            ending_ = true;
            stopped = now;
            linesWhilePlaying_ = stats_.linesSent;
        }
        if (ending_) {
            bool busy = false;
            for (const Client& c : clients_) {
                busy = busy || c.pending.active || c.awaitingBot;
            }
            if (!busy || now >= drainEnd || interrupted > 1) {
                break;
            }
        }
        while (!timers_.empty() && timers_.top().at <= now) {
            Timer t = timers_.top();
            timers_.pop();
            Client& c = clients_[static_cast<std::size_t>(t.client)];
            if (t.deadline) {
                if (t.token == c.deadlineToken && c.pending.active) {
                    OnDeadline(c);
                }
            } else if (t.token == c.actToken) {
                Act(c);
            }
        }
        int wait = 50;
        if (!timers_.empty()) {
            auto until = std::chrono::ceil<std::chrono::milliseconds>(timers_.top().at - now);
            wait = static_cast<int>(std::clamp<std::int64_t>(until.count(), 0, 50));
        }
        int n = epoll_wait(epoll_, events.data(), static_cast<int>(events.size()), wait);
        for (int i = 0; i < n; ++i) {
            Receive(clients_[events[static_cast<std::size_t>(i)].data.u32]);
        }
    }
    for (const Client& c : clients_) {
        if (c.pending.active) {
            const auto k = static_cast<std::size_t>(Index(c.pending.kind));
            ++(c.pending.started ? stats_.incomplete[k] : stats_.lost[k]);
        }
        if (c.awaitingBot) {
            ++stats_.botAnswersAwaited;
        }
        stats_.generatorDrops += c.drops;
    }
    return std::chrono::duration<double>(stopped - start).count();
}

void Load::Report(double played, double total) const {
    const Stats& s = stats_;
    std::vector<double> all;
    std::int64_t replies = 0, lost = 0, incomplete = 0;
    for (int k = 0; k < kKinds; ++k) {
        const auto i = static_cast<std::size_t>(k);
        all.insert(all.end(), s.latency[i].begin(), s.latency[i].end());
        replies += s.replies[i];
        lost += s.lost[i];
        incomplete += s.incomplete[i];
    }
    std::printf("lines sent           %" PRId64 " (%" PRId64 " of them pong); %" PRId64
                " in %.1f s of play: %.1f lines/s; %.1f s with the wait for the last replies\n",
                s.linesSent, s.pongs, linesWhilePlaying_, played,
                static_cast<double>(linesWhilePlaying_) / played, total);
    if (s.sendErrors > 0) {
        std::printf("send errors          %" PRId64 "\n", s.sendErrors);
    }
    std::printf("replies received     %" PRId64 "\n", replies);
    std::printf("reply latency ms     p50 %.2f  p90 %.2f  p99 %.2f  max %.2f\n",
                Percentile(all, 50), Percentile(all, 90), Percentile(all, 99),
                all.empty() ? 0.0 : *std::max_element(all.begin(), all.end()));
    std::printf("lost replies         %" PRId64 " (none within %d ms), %" PRId64
                " begun but unfinished; %" PRId64 " came late\n",
                lost, o_.timeoutMs, incomplete, s.lateReplies);
    std::printf("\n  %-9s %8s %8s %6s %6s %8s %8s %8s %8s\n", "command", "sent", "replies", "lost",
                "unfin", "p50 ms", "p90 ms", "p99 ms", "max ms");
    for (int k = 0; k < kKinds; ++k) {
        const auto i = static_cast<std::size_t>(k);
        if (s.sent[i] == 0) {
            continue;
        }
        const std::vector<double>& v = s.latency[i];
        std::printf("  %-9s %8" PRId64 " %8" PRId64 " %6" PRId64 " %6" PRId64
                    " %8.2f %8.2f %8.2f %8.2f\n",
                    kKindNames[i], s.sent[i], s.replies[i], s.lost[i], s.incomplete[i],
                    Percentile(v, 50), Percentile(v, 90), Percentile(v, 99),
                    v.empty() ? 0.0 : *std::max_element(v.begin(), v.end()));
    }
    std::printf("\nlogged in            %" PRId64 " of %d clients\n", s.loggedIn, o_.clients);
    std::printf("local games          %" PRId64 " started, %" PRId64 " ended; %" PRId64
                " moves played, %" PRId64 " resigned\n",
                s.localStarted, s.localEnded, s.movesPlayed, s.resigns);
    std::printf("bot games            %" PRId64 " started, %" PRId64 " ended; %zu bot answers\n",
                s.botStarted, s.botEnded, s.botAnswer.size());
    std::printf(
        "bot answer ms        p50 %.0f  p90 %.0f  p99 %.0f  max %.0f (move sent to "
        "update: line)\n",
        Percentile(s.botAnswer, 50), Percentile(s.botAnswer, 90), Percentile(s.botAnswer, 99),
        s.botAnswer.empty() ? 0.0 : *std::max_element(s.botAnswer.begin(), s.botAnswer.end()));
    std::printf("bot answers          %" PRId64 " still awaited at the end, %" PRId64
                " seen without their update: line\n",
                s.botAnswersAwaited, s.botMovesWithoutPush);
    std::printf("unasked lines        %" PRId64 " update: (besides the bot's answers), %" PRId64
                " ping\n",
                s.unaskedUpdates, s.pings);
    std::printf("wrong results        %" PRId64 " legal moves refused, %" PRId64
                " move logs the rules cannot replay, %" PRId64 " disagreements on game end\n",
                s.movesRefused, s.desyncs, s.wrongEnds);
    std::printf("requests refused     %" PRId64 "; open games taken up from the list %" PRId64 "\n",
                s.refusals, s.adopted);
    std::printf("unexpected lines     %" PRId64 "\n", s.unexpected);
    for (const std::string& sample : s.samples) {
        std::printf("    %s\n", sample.c_str());
    }
    std::printf("generator drops      %" PRIu64 " datagrams (receive queues of its sockets)\n",
                s.generatorDrops);
}

}  // namespace

int main(int argc, char** argv) {
    const Options o = ParseOptions(argc, argv);
    std::signal(SIGPIPE, SIG_IGN);
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);

    Server server;
    int port = o.port;
    std::string error;
    if (o.port < 0) {
        const std::string bin =
            o.serverBin.empty() ? ProgramDir() + "/quorvel-server" : o.serverBin;
        if (!StartServer(bin, server, error)) {
            std::fprintf(stderr, "qc_server_load: %s\n", error.c_str());
            StopServer(server);
            RemoveServerFiles(server);
            return 1;
        }
        port = server.port;
        std::printf("server               %s, port %d, database %s\n", bin.c_str(), port,
                    server.db.c_str());
    } else {
        std::printf("server               127.0.0.1 port %d (already running)\n", port);
    }
    std::printf(
        "clients              %d (%d of them playing the bot), %d s, think time %d ms "
        "+-50%%, timeout %d ms, logins over %d ms, %d clients an address\n",
        o.clients, o.botClients, o.seconds, o.intervalMs, o.timeoutMs, o.rampMs, o.perAddress);
    std::fflush(stdout);

    const std::optional<std::uint64_t> dropsBefore = ServerSocketDrops(port);
    const std::optional<double> cpuBefore = server.pid > 0 ? CpuSeconds(server.pid) : std::nullopt;
    Load load(o, port);
    if (!load.Open(error)) {
        std::fprintf(stderr, "qc_server_load: %s\n", error.c_str());
        StopServer(server);
        RemoveServerFiles(server);
        return 1;
    }
    const auto started = Mono::now();
    const double played = load.Run();
    const double total = std::chrono::duration<double>(Mono::now() - started).count();
    const std::optional<std::uint64_t> dropsAfter = ServerSocketDrops(port);
    const std::optional<double> cpuAfter = server.pid > 0 ? CpuSeconds(server.pid) : std::nullopt;
    std::printf("\n");
    load.Report(played, total);
    if (dropsBefore && dropsAfter) {
        std::printf("server socket drops  %" PRIu64 " datagrams (its receive queue was full)\n",
                    *dropsAfter - *dropsBefore);
    }
    if (cpuBefore && cpuAfter) {
        std::printf(
            "server CPU           %.1f s in %.1f s (%.0f%% of one core; the engine not "
            "counted)\n",
            *cpuAfter - *cpuBefore, total, 100.0 * (*cpuAfter - *cpuBefore) / total);
    }
    if (server.pid > 0) {
        const std::string status = StopServer(server);
        std::vector<std::string> log = ReadLines(server.log);
        std::printf("server stopped       %s; %zu lines on standard error\n", status.c_str(),
                    log.size());
        for (std::size_t i = 0; i < log.size() && i < 8; ++i) {
            std::printf("    %s\n", log[i].substr(0, 160).c_str());
        }
        RemoveServerFiles(server);
    }
    return 0;
}
