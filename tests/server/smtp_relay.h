#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace qc::server::testing {

// A free TCP port on loopback at the moment of asking.
inline std::uint16_t FreeTcpPort() {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t length = sizeof a;
    getsockname(fd, reinterpret_cast<sockaddr*>(&a), &length);
    close(fd);
    return ntohs(a.sin_port);
}

inline pid_t SpawnPlain(const std::vector<std::string>& args, int stdoutFd = -1) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (stdoutFd >= 0) {
        posix_spawn_file_actions_adddup2(&actions, stdoutFd, 1);
    }
    std::vector<std::string> all = args;
    std::vector<char*> argv;
    for (std::string& a : all) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
        pid = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

// A Python that has aiosmtpd, or "" when none does (Debian's python3-aiosmtpd
// installs it for /usr/bin/python3).
inline std::string PythonWithAiosmtpd() {
    for (const char* python : {"/usr/bin/python3", "python3"}) {
        pid_t pid = SpawnPlain({python, "-c", "import aiosmtpd"});
        int status = 0;
        if (pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
            WEXITSTATUS(status) == 0) {
            return python;
        }
    }
    return "";
}

#define QC_REQUIRE_RELAY()                                                                   \
    do {                                                                                     \
        if (::qc::server::testing::PythonWithAiosmtpd().empty()) {                           \
            GTEST_SKIP() << "python3-aiosmtpd is not installed (scripts/bootstrap installs " \
                            "it): no mail relay to test against";                            \
        }                                                                                    \
    } while (0)

// One received message: the envelope and the bytes as they arrived.
struct RelayedMail {
    std::string from;
    std::vector<std::string> to;
    std::string data;
};

// tests/server/smtp_relay.py on a loopback port, writing what it accepts
// into a folder of its own.
class SmtpRelay {
  public:
    explicit SmtpRelay(std::uint16_t port = 0) : port_(port != 0 ? port : FreeTcpPort()) {
        folder_ = std::filesystem::path(::testing::TempDir()) /
                  ("qc-relay-" + std::to_string(getpid()) + "-" + std::to_string(port_));
        std::filesystem::remove_all(folder_);
    }
    ~SmtpRelay() {
        Stop();
        std::filesystem::remove_all(folder_);
    }
    SmtpRelay(const SmtpRelay&) = delete;
    SmtpRelay& operator=(const SmtpRelay&) = delete;

    // Starts the relay; false when it did not come up.
    bool Start(const std::vector<std::string>& more = {}) {
        int fds[2];
        if (pipe(fds) != 0) {
            return false;
        }
        std::vector<std::string> args{PythonWithAiosmtpd(),  QC_SMTP_RELAY, "--port",
                                      std::to_string(port_), "--dir",       folder_.string()};
        args.insert(args.end(), more.begin(), more.end());
        pid_ = SpawnPlain(args, fds[1]);
        close(fds[1]);
        std::string line;
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
        while (pid_ > 0 && std::chrono::steady_clock::now() < deadline) {
            pollfd p{fds[0], POLLIN, 0};
            if (poll(&p, 1, 100) <= 0) {
                continue;
            }
            char c;
            if (read(fds[0], &c, 1) != 1 || c == '\n') {
                break;
            }
            line += c;
        }
        close(fds[0]);
        return line == "listening on " + std::to_string(port_);
    }

    void Stop() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
            pid_ = -1;
        }
    }

    std::uint16_t Port() const { return port_; }
    std::string Url() const { return "smtp://127.0.0.1:" + std::to_string(port_); }

    // The messages received so far, in the order they came.
    std::vector<RelayedMail> Messages() const {
        std::vector<std::filesystem::path> files;
        if (std::filesystem::exists(folder_)) {
            for (const auto& entry : std::filesystem::directory_iterator(folder_)) {
                if (entry.path().extension() == ".eml") {
                    files.push_back(entry.path());
                }
            }
        }
        std::sort(files.begin(), files.end());
        std::vector<RelayedMail> out;
        for (const auto& eml : files) {
            RelayedMail mail;
            std::ifstream data(eml, std::ios::binary);
            mail.data.assign(std::istreambuf_iterator<char>(data), {});
            std::ifstream env(std::filesystem::path(eml).replace_extension(".env"));
            std::getline(env, mail.from);
            for (std::string line; std::getline(env, line);) {
                mail.to.push_back(line);
            }
            out.push_back(std::move(mail));
        }
        return out;
    }

    // Waits until at least `count` messages arrived, or the time is up.
    std::vector<RelayedMail> WaitFor(std::size_t count,
                                     std::chrono::milliseconds timeout = std::chrono::seconds(15)) {
        auto deadline = std::chrono::steady_clock::now() + timeout;
        std::vector<RelayedMail> got = Messages();
        while (got.size() < count && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            got = Messages();
        }
        return got;
    }

  private:
    std::uint16_t port_;
    std::filesystem::path folder_;
    pid_t pid_ = -1;
};

// The body of a quoted-printable message (after its blank line), decoded.
inline std::string DecodedBody(const std::string& message) {
    std::size_t start = message.find("\r\n\r\n");
    std::string body = start == std::string::npos ? "" : message.substr(start + 4);
    std::string out;
    for (std::size_t i = 0; i < body.size(); ++i) {
        if (body[i] == '=' && i + 2 < body.size() && body[i + 1] == '\r' && body[i + 2] == '\n') {
            i += 2;  // a soft line break
        } else if (body[i] == '=' && i + 2 < body.size()) {
            out += static_cast<char>(std::stoi(body.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += body[i];
        }
    }
    return out;
}

// The value of a header line of the message ("" when it has none).
inline std::string HeaderValue(const std::string& message, const std::string& name) {
    std::istringstream in(message.substr(0, message.find("\r\n\r\n")));
    for (std::string line; std::getline(in, line);) {
        if (line.rfind(name + ": ", 0) == 0) {
            std::string value = line.substr(name.size() + 2);
            if (!value.empty() && value.back() == '\r') {
                value.pop_back();
            }
            return value;
        }
    }
    return "";
}

}  // namespace qc::server::testing
