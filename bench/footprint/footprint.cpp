// Memory and start-up of quorvel-chess against a bare Qt tray program, side
// by side in one run. Each round starts one program at a time (the order
// alternates), times the first datagram it sends to a listener on loopback,
// logs it in, checks the login with a ping, lets it idle, then reads its
// memory from /proc. Medians of the rounds give the two ratios.
//
// Needs an X display with a tray host in DISPLAY (bench/footprint/run makes
// one). Exits 0 when both ratios are within their targets, 1 when one is
// missed, 2 when the run itself failed.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

struct Options {
    std::string client;
    std::string bare;
    std::string sound;
    std::string clientHost = "127.0.0.1";
    int rounds = 5;
    int warmup = 1;
    int idleMs = 2000;
    double memoryTarget = 1.15;
    double startTarget = 1.30;
    bool trayOnly = true;
    bool eagerSound = false;
    bool verbose = false;
};

struct Sample {
    double startMs = 0;
    long rssKb = 0;
    long hwmKb = 0;
    long pssKb = 0;
};

// A failed run, as opposed to a missed target.
struct RunError {
    std::string what;
};

double NowMs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

void Usage(FILE* out) {
    std::fputs(
        "usage: qc_footprint --client PATH --bare PATH [options]\n"
        "  --sound FILE         wave file for the bare program's sound holder\n"
        "  --client-host NAME   the listener's name as given to the client, e.g.\n"
        "                       localhost to time its name lookup (127.0.0.1)\n"
        "  --rounds N           measured rounds of each program (default 5)\n"
        "  --warmup N           unmeasured rounds first (default 1)\n"
        "  --idle MS            idle time after the login before reading memory (2000)\n"
        "  --memory-target R    highest VmRSS ratio accepted (1.15)\n"
        "  --start-target R     highest start-up ratio accepted (1.30)\n"
        "  --no-settings        start the client without a settings file (its game\n"
        "                       list window then opens); default: tray only\n"
        "  --eager-sound        the bare program creates its sound effect at start\n"
        "  --verbose            print every datagram\n",
        out);
}

std::optional<Options> ParseArgs(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
        const char* v = nullptr;
        if (a == "--client" && (v = value())) {
            o.client = v;
        } else if (a == "--bare" && (v = value())) {
            o.bare = v;
        } else if (a == "--sound" && (v = value())) {
            o.sound = v;
        } else if (a == "--client-host" && (v = value())) {
            o.clientHost = v;
        } else if (a == "--rounds" && (v = value())) {
            o.rounds = std::atoi(v);
        } else if (a == "--warmup" && (v = value())) {
            o.warmup = std::atoi(v);
        } else if (a == "--idle" && (v = value())) {
            o.idleMs = std::atoi(v);
        } else if (a == "--memory-target" && (v = value())) {
            o.memoryTarget = std::atof(v);
        } else if (a == "--start-target" && (v = value())) {
            o.startTarget = std::atof(v);
        } else if (a == "--no-settings") {
            o.trayOnly = false;
        } else if (a == "--eager-sound") {
            o.eagerSound = true;
        } else if (a == "--verbose") {
            o.verbose = true;
        } else if (a == "--help" || a == "-h") {
            Usage(stdout);
            std::exit(0);
        } else {
            std::fprintf(stderr, "qc_footprint: unknown or incomplete option %s\n", a.c_str());
            return std::nullopt;
        }
    }
    if (o.client.empty() || o.bare.empty() || o.rounds < 1 || o.warmup < 0 || o.idleMs < 0 ||
        o.memoryTarget <= 0 || o.startTarget <= 0) {
        return std::nullopt;
    }
    return o;
}

// The game server's side: one UDP socket on a free loopback port.
class Listener {
  public:
    Listener() {
        fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        if (fd_ < 0) {
            throw RunError{std::string("socket: ") + std::strerror(errno)};
        }
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof a;
        if (::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
            ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len) != 0) {
            throw RunError{std::string("bind: ") + std::strerror(errno)};
        }
        port_ = ntohs(a.sin_port);
    }
    ~Listener() { ::close(fd_); }
    Listener(const Listener&) = delete;
    Listener& operator=(const Listener&) = delete;

    int Port() const { return port_; }

    // Waits up to timeoutMs for one datagram; its arrival time is taken as
    // soon as poll wakes, before anything else is done with it.
    bool Receive(int timeoutMs, std::string& data, sockaddr_in& from, double& arrivalMs) {
        pollfd p{fd_, POLLIN, 0};
        const int n = ::poll(&p, 1, timeoutMs);
        if (n <= 0) {
            return false;
        }
        arrivalMs = NowMs();
        char buf[65536];
        socklen_t len = sizeof from;
        const ssize_t got =
            ::recvfrom(fd_, buf, sizeof buf, 0, reinterpret_cast<sockaddr*>(&from), &len);
        if (got < 0) {
            return false;
        }
        data.assign(buf, static_cast<std::size_t>(got));
        return true;
    }

    void Send(const std::string& data, const sockaddr_in& to) {
        ::sendto(fd_, data.data(), data.size(), 0, reinterpret_cast<const sockaddr*>(&to),
                 sizeof to);
    }

    void Drain() {
        std::string d;
        sockaddr_in from{};
        double t = 0;
        while (Receive(0, d, from, t)) {
        }
    }

  private:
    int fd_ = -1;
    int port_ = 0;
};

std::string ServerStamp() {
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    char out[32];
    std::snprintf(out, sizeof out, "%02d%s%02d%02d%02d%02d", tm.tm_mday, kMonths[tm.tm_mon],
                  tm.tm_year % 100, tm.tm_hour, tm.tm_min, tm.tm_sec);
    return out;
}

std::vector<std::string> Lines(const std::string& datagram) {
    std::vector<std::string> out;
    std::string cur;
    for (char c : datagram) {
        if (c == '\r') {
            out.push_back(cur);
            cur.clear();
        } else {
            cur.push_back(c);
        }
    }
    if (!cur.empty()) {
        out.push_back(cur);
    }
    return out;
}

// The second word of a "QVID command ..." line.
std::string CommandOf(const std::string& line) {
    std::istringstream in(line);
    std::string qvid, command;
    in >> qvid >> command;
    return command;
}

long StatusField(const std::string& status, const std::string& key) {
    const std::size_t at = status.find("\n" + key + ":");
    if (at == std::string::npos) {
        return -1;
    }
    return std::strtol(status.c_str() + at + key.size() + 2, nullptr, 10);
}

std::string ReadAll(const fs::path& p) {
    std::ifstream in(p);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string Tail(const fs::path& p, std::size_t chars) {
    const std::string s = ReadAll(p);
    return s.size() <= chars ? s : s.substr(s.size() - chars);
}

class Runner {
  public:
    explicit Runner(Options o) : o_(std::move(o)) {
        char tmpl[] = "/tmp/qc-footprint-XXXXXX";
        if (::mkdtemp(tmpl) == nullptr) {
            throw RunError{std::string("mkdtemp: ") + std::strerror(errno)};
        }
        root_ = tmpl;
        // One font and shader cache for the whole run: the warm-up fills it,
        // so no measured start pays for building it.
        fs::create_directories(root_ / "cache");
    }
    ~Runner() {
        std::error_code ec;
        fs::remove_all(root_, ec);
    }
    Runner(const Runner&) = delete;
    Runner& operator=(const Runner&) = delete;

    int Run() {
        if (std::getenv("DISPLAY") == nullptr) {
            throw RunError{
                "DISPLAY is not set: run under an X server with a tray host "
                "(bench/footprint/run starts one)"};
        }
        std::printf("listener 127.0.0.1:%d, %d warm-up and %d measured rounds, idle %d ms, %s\n",
                    listener_.Port(), o_.warmup, o_.rounds, o_.idleMs,
                    o_.trayOnly ? "client tray only" : "client without settings file");
        for (int i = 0; i < o_.warmup; ++i) {
            Measure(true);
            Measure(false);
        }
        std::vector<Sample> client, bare;
        std::printf("%-6s %-14s %9s %10s %10s %10s\n", "round", "program", "start ms", "VmRSS kB",
                    "VmHWM kB", "Pss kB");
        for (int r = 0; r < o_.rounds; ++r) {
            // Alternate which goes first so drift in the machine's load
            // falls on both alike.
            for (int k = 0; k < 2; ++k) {
                const bool isClient = (r + k) % 2 == 0;
                const Sample s = Measure(isClient);
                (isClient ? client : bare).push_back(s);
                Print(std::to_string(r + 1), isClient, s);
            }
        }
        const Sample mc = Median(client), mb = Median(bare);
        Print("median", true, mc);
        Print("median", false, mb);
        const double memory = static_cast<double>(mc.rssKb) / static_cast<double>(mb.rssKb);
        const double start = mc.startMs / mb.startMs;
        const double hwm = static_cast<double>(mc.hwmKb) / static_cast<double>(mb.hwmKb);
        const double pss = mb.pssKb > 0 ? static_cast<double>(mc.pssKb) / mb.pssKb : 0;
        const bool memoryOk = memory <= o_.memoryTarget;
        const bool startOk = start <= o_.startTarget;
        std::printf("memory ratio (VmRSS)  %.3f  target %.2f  %s\n", memory, o_.memoryTarget,
                    memoryOk ? "met" : "MISSED");
        std::printf("start ratio           %.3f  target %.2f  %s\n", start, o_.startTarget,
                    startOk ? "met" : "MISSED");
        auto fastest = [](const std::vector<Sample>& v) {
            double best = v.front().startMs;
            for (const Sample& x : v) {
                best = std::min(best, x.startMs);
            }
            return best;
        };
        std::printf(
            "(for information: VmHWM ratio %.3f, Pss ratio %.3f, fastest starts %.1f and "
            "%.1f ms, ratio %.3f)\n",
            hwm, pss, fastest(client), fastest(bare), fastest(client) / fastest(bare));
        return memoryOk && startOk ? 0 : 1;
    }

  private:
    static Sample Median(std::vector<Sample> v) {
        auto pick = [&v](auto field) {
            std::vector<double> xs;
            for (const Sample& s : v) {
                xs.push_back(static_cast<double>(s.*field));
            }
            std::sort(xs.begin(), xs.end());
            const std::size_t n = xs.size();
            return n % 2 == 1 ? xs[n / 2] : (xs[n / 2 - 1] + xs[n / 2]) / 2;
        };
        Sample m;
        m.startMs = pick(&Sample::startMs);
        m.rssKb = static_cast<long>(pick(&Sample::rssKb));
        m.hwmKb = static_cast<long>(pick(&Sample::hwmKb));
        m.pssKb = static_cast<long>(pick(&Sample::pssKb));
        return m;
    }

    static void Print(const std::string& round, bool isClient, const Sample& s) {
        std::printf("%-6s %-14s %9.1f %10ld %10ld %10ld\n", round.c_str(),
                    isClient ? "quorvel-chess" : "bare", s.startMs, s.rssKb, s.hwmKb, s.pssKb);
        std::fflush(stdout);
    }

    // Fresh home, configuration and runtime folders for every start, so no
    // settings file or instance lock is left from the one before.
    std::vector<std::string> Environment(const fs::path& dir) {
        const fs::path home = dir / "home", config = dir / "config", run = dir / "run";
        fs::create_directories(home);
        fs::create_directories(config / "quorvel-chess");
        fs::create_directories(run);
        fs::permissions(run, fs::perms::owner_all, fs::perm_options::replace);
        std::vector<std::string> env;
        for (char** e = environ; *e != nullptr; ++e) {
            const std::string kv = *e;
            const std::string key = kv.substr(0, kv.find('='));
            if (key != "HOME" && key != "XDG_CONFIG_HOME" && key != "XDG_RUNTIME_DIR" &&
                key != "XDG_CACHE_HOME" && key != "XDG_DATA_HOME" && key != "QT_QPA_PLATFORM") {
                env.push_back(kv);
            }
        }
        env.push_back("HOME=" + home.string());
        env.push_back("XDG_CONFIG_HOME=" + config.string());
        env.push_back("XDG_RUNTIME_DIR=" + run.string());
        env.push_back("XDG_CACHE_HOME=" + (root_ / "cache").string());
        env.push_back("QT_QPA_PLATFORM=xcb");
        return env;
    }

    pid_t Spawn(const std::vector<std::string>& args, const std::vector<std::string>& env,
                const fs::path& log) {
        std::vector<char*> argv, envp;
        for (const std::string& a : args) {
            argv.push_back(const_cast<char*>(a.c_str()));
        }
        argv.push_back(nullptr);
        for (const std::string& e : env) {
            envp.push_back(const_cast<char*>(e.c_str()));
        }
        envp.push_back(nullptr);
        posix_spawn_file_actions_t fa;
        posix_spawn_file_actions_init(&fa);
        posix_spawn_file_actions_addopen(&fa, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&fa, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_adddup2(&fa, 1, 2);
        pid_t pid = 0;
        const int rc = posix_spawn(&pid, argv[0], &fa, nullptr, argv.data(), envp.data());
        posix_spawn_file_actions_destroy(&fa);
        if (rc != 0) {
            throw RunError{"cannot start " + args[0] + ": " + std::strerror(rc)};
        }
        return pid;
    }

    static void Stop(pid_t pid) {
        ::kill(pid, SIGTERM);
        const double deadline = NowMs() + 5000;
        while (NowMs() < deadline) {
            int status = 0;
            if (::waitpid(pid, &status, WNOHANG) == pid) {
                return;
            }
            ::usleep(10000);
        }
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    }

    // Stops the program however the measurement ends.
    class Child {
      public:
        explicit Child(pid_t pid) : pid_(pid) {}
        ~Child() { Stop(); }
        Child(const Child&) = delete;
        Child& operator=(const Child&) = delete;
        pid_t Pid() const { return pid_; }
        void Stop() {
            if (pid_ > 0) {
                Runner::Stop(pid_);
                pid_ = -1;
            }
        }
        // Reaps it if it has ended on its own.
        bool Exited() {
            int status = 0;
            if (pid_ > 0 && ::waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return true;
            }
            return pid_ <= 0;
        }

      private:
        pid_t pid_;
    };

    Sample Measure(bool isClient) {
        const fs::path dir = root_ / ((isClient ? "client" : "bare") + std::to_string(++runs_));
        const std::vector<std::string> env = Environment(dir);
        if (isClient && o_.trayOnly) {
            // Only the icon in the tray: no game list window at start.
            std::ofstream(dir / "config" / "quorvel-chess" / "Quorvel Chess.ini", std::ios::binary)
                << "[main]\r\nOpenGameList=0\r\n";
        }
        const std::string port = std::to_string(listener_.Port());
        std::vector<std::string> args;
        if (isClient) {
            args = {o_.client, "--server", o_.clientHost + ":" + port};
        } else {
            args = {o_.bare, "--server", "127.0.0.1:" + port};
            if (!o_.sound.empty()) {
                args.insert(args.end(), {"--sound", o_.sound});
            }
            if (o_.eagerSound) {
                args.push_back("--eager-sound");
            }
        }
        const fs::path log = dir / "output.log";
        const std::string name = isClient ? "quorvel-chess" : "bare program";

        listener_.Drain();
        const double t0 = NowMs();
        Child child(Spawn(args, env, log));
        const pid_t pid = child.Pid();
        Sample s;
        bool started = false, loggedIn = false;
        double idleFrom = 0;
        sockaddr_in peer{};
        auto fail = [&](const std::string& why) {
            child.Stop();
            return RunError{name + ": " + why + "\n--- its output ---\n" + Tail(log, 2000)};
        };
        for (;;) {
            const double now = NowMs();
            if (loggedIn && now >= idleFrom + o_.idleMs) {
                break;
            }
            if (!started && now > t0 + 20000) {
                throw fail("no datagram within 20 s");
            }
            if (started && !loggedIn && now > idleFrom + 10000) {
                throw fail("no answer to the ping within 10 s of the login: not logged in");
            }
            std::string data;
            sockaddr_in from{};
            double arrival = 0;
            const int wait = loggedIn ? static_cast<int>(idleFrom + o_.idleMs - now) + 1 : 50;
            if (!listener_.Receive(std::max(1, wait), data, from, arrival)) {
                if (child.Exited()) {
                    throw RunError{name + " ended before it was measured\n--- its output ---\n" +
                                   Tail(log, 2000)};
                }
                continue;
            }
            if (o_.verbose) {
                std::printf("  %8.1f ms <- %s\n", arrival - t0, data.c_str());
            }
            if (!started) {
                if (data.find(" connect ") == std::string::npos) {
                    throw fail("first datagram is not a login: " + data);
                }
                started = true;
                s.startMs = arrival - t0;
                peer = from;
                idleFrom = arrival;
                listener_.Send("guest: guest7,0123456789abcdef\r", peer);
                listener_.Send("update:0,0,5,0," + ServerStamp() + "\r", peer);
                // Only a logged-in client answers a ping.
                listener_.Send("ping\r", peer);
                continue;
            }
            if (from.sin_port != peer.sin_port || from.sin_addr.s_addr != peer.sin_addr.s_addr) {
                continue;
            }
            for (const std::string& line : Lines(data)) {
                const std::string command = CommandOf(line);
                if (command == "pong" && !loggedIn) {
                    loggedIn = true;
                    idleFrom = arrival;
                } else if (command == "update" || command == "connect") {
                    if (command == "connect") {
                        listener_.Send("guest: guest7,0123456789abcdef\r", peer);
                    }
                    listener_.Send("update:0,0,5,0," + ServerStamp() + "\r", peer);
                }
            }
        }
        const std::string status = ReadAll("/proc/" + std::to_string(pid) + "/status");
        s.rssKb = StatusField(status, "VmRSS");
        s.hwmKb = StatusField(status, "VmHWM");
        s.pssKb = StatusField(ReadAll("/proc/" + std::to_string(pid) + "/smaps_rollup"), "Pss");
        child.Stop();
        if (s.rssKb <= 0 || s.hwmKb <= 0) {
            throw RunError{"cannot read the memory of " + name + " from /proc"};
        }
        return s;
    }

    Options o_;
    fs::path root_;
    Listener listener_;
    int runs_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    const std::optional<Options> o = ParseArgs(argc, argv);
    if (!o) {
        Usage(stderr);
        return 2;
    }
    ::signal(SIGPIPE, SIG_IGN);
    try {
        Runner runner(*o);
        return runner.Run();
    } catch (const RunError& e) {
        std::fprintf(stderr, "qc_footprint: %s\n", e.what.c_str());
        return 2;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "qc_footprint: %s\n", e.what());
        return 2;
    }
}
