#pragma once

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

extern char** environ;

namespace qc::server::testing {

// A database path in the temporary folder, removed with its journal files
// before and after the test.
class TempDb {
  public:
    explicit TempDb(const std::string& name)
        : path_(::testing::TempDir() + "/qc-server-" + name + "-" + std::to_string(getpid()) +
                ".db") {
        Remove();
    }
    ~TempDb() { Remove(); }
    operator std::string() const { return path_; }

  private:
    void Remove() const {
        for (const char* suffix : {"", "-wal", "-shm"}) {
            std::remove((path_ + suffix).c_str());
        }
    }
    std::string path_;
};

// Runs the quorvel-server executable as a child process.
class ServerProcess {
  public:
    ServerProcess() = default;
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;
    ~ServerProcess() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        for (int fd : {out_, err_}) {
            if (fd >= 0) {
                close(fd);
            }
        }
    }

    // Runs the server with the arguments to completion; returns its exit code.
    static int Run(const std::vector<std::string>& args) {
        ServerProcess p;
        if (!p.Spawn(args)) {
            return -1;
        }
        return p.Wait();
    }

    struct Output {
        int code = -1;
        std::string out;  // standard output
        std::string err;  // standard error
    };

    // Runs the server with the arguments to completion and collects what it
    // wrote; gives up (and kills it) after the timeout.
    static Output Capture(const std::vector<std::string>& args,
                          std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
        ServerProcess p;
        Output output;
        if (!p.Spawn(args, true)) {
            return output;
        }
        auto deadline = std::chrono::steady_clock::now() + timeout;
        std::string* into[] = {&output.out, &output.err};
        pollfd fds[] = {{p.out_, POLLIN, 0}, {p.err_, POLLIN, 0}};
        while ((fds[0].fd >= 0 || fds[1].fd >= 0) && std::chrono::steady_clock::now() < deadline) {
            if (poll(fds, 2, 100) <= 0) {
                continue;
            }
            for (int i = 0; i < 2; ++i) {
                if (fds[i].fd < 0 || fds[i].revents == 0) {
                    continue;
                }
                char buffer[4096];
                ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
                if (n > 0) {
                    into[i]->append(buffer, static_cast<std::size_t>(n));
                } else {
                    fds[i].fd = -1;  // end of file; poll skips negative descriptors
                }
            }
        }
        if (fds[0].fd >= 0 || fds[1].fd >= 0) {
            p.Signal(SIGKILL);
        }
        output.code = p.Wait();
        return output;
    }

    // Starts a listening server on a free loopback port (port 0: the server
    // reports the port it got), with more arguments if given; its standard
    // error goes to ReadErrorLine when asked for, else where the test's goes.
    bool Start(const std::string& db, const std::vector<std::string>& more = {},
               bool captureErr = false) {
        std::vector<std::string> args{"--port", "0", "--bind", "127.0.0.1", "--db", db};
        args.insert(args.end(), more.begin(), more.end());
        if (!Spawn(args, captureErr)) {
            return false;
        }
        std::string line = ReadLine(std::chrono::seconds(10));
        const std::string prefix = "quorvel-server listening on port ";
        if (line.rfind(prefix, 0) != 0) {
            return false;
        }
        port_ = static_cast<std::uint16_t>(std::stoi(line.substr(prefix.size())));
        return port_ != 0;
    }

    void Signal(int sig) { kill(pid_, sig); }

    // Waits for the process to end; its exit code, or 128 + signal.
    int Wait() {
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
        if (WIFEXITED(status)) {
            return WEXITSTATUS(status);
        }
        return 128 + WTERMSIG(status);
    }

    std::uint16_t Port() const { return port_; }
    pid_t Pid() const { return pid_; }

    // The next line of standard output (of standard error), without its
    // line end; what there is at the end of the output or the time-out.
    std::string ReadLine(std::chrono::milliseconds timeout) { return ReadLine(out_, timeout); }
    std::string ReadErrorLine(std::chrono::milliseconds timeout) { return ReadLine(err_, timeout); }

  private:
    // Standard output always goes to out_, standard error to err_ if asked.
    bool Spawn(const std::vector<std::string>& args, bool captureErr = false) {
        int fds[2];
        int errFds[2] = {-1, -1};
        if (pipe(fds) != 0) {
            return false;
        }
        if (captureErr && pipe(errFds) != 0) {
            close(fds[0]);
            close(fds[1]);
            return false;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        if (captureErr) {
            posix_spawn_file_actions_adddup2(&actions, errFds[1], 2);
            posix_spawn_file_actions_addclose(&actions, errFds[0]);
        }
        std::vector<std::string> all{QC_SERVER_EXE};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& a : all) {
            argv.push_back(a.data());
        }
        argv.push_back(nullptr);
        int rc = posix_spawn(&pid_, QC_SERVER_EXE, &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        close(fds[1]);
        out_ = fds[0];
        if (captureErr) {
            close(errFds[1]);
            err_ = errFds[0];
        }
        if (rc != 0) {
            pid_ = -1;
        }
        return rc == 0;
    }

    std::string ReadLine(int fd, std::chrono::milliseconds timeout) {
        std::string line;
        auto deadline = std::chrono::steady_clock::now() + timeout;
        while (fd >= 0 && std::chrono::steady_clock::now() < deadline) {
            pollfd p{fd, POLLIN, 0};
            if (poll(&p, 1, 100) <= 0) {
                continue;
            }
            char c;
            if (read(fd, &c, 1) != 1) {
                break;
            }
            if (c == '\n') {
                return line;
            }
            line.push_back(c);
        }
        return line;
    }

    pid_t pid_ = -1;
    int out_ = -1;
    int err_ = -1;
    std::uint16_t port_ = 0;
};

// A client socket on loopback that sends lines and collects the server's.
class UdpClient {
  public:
    explicit UdpClient(std::uint16_t serverPort) {
        fd_ = socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in local{};
        local.sin_family = AF_INET;
        local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(fd_, reinterpret_cast<sockaddr*>(&local), sizeof local);
        server_.sin_family = AF_INET;
        server_.sin_port = htons(serverPort);
        server_.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    }
    ~UdpClient() { close(fd_); }
    UdpClient(const UdpClient&) = delete;
    UdpClient& operator=(const UdpClient&) = delete;

    void Send(const std::string& line) {
        std::string datagram = line + "\r";
        sendto(fd_, datagram.data(), datagram.size(), 0, reinterpret_cast<sockaddr*>(&server_),
               sizeof server_);
    }

    // Collects lines until `done` is true for the lines so far or the time is up.
    std::vector<std::string> Receive(
        const std::function<bool(const std::vector<std::string>&)>& done,
        std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
        auto deadline = std::chrono::steady_clock::now() + timeout;
        while (!done(lines_) && std::chrono::steady_clock::now() < deadline) {
            pollfd p{fd_, POLLIN, 0};
            if (poll(&p, 1, 50) <= 0) {
                continue;
            }
            char buffer[2048];
            ssize_t n = recv(fd_, buffer, sizeof buffer, 0);
            if (n <= 0) {
                continue;
            }
            pending_.append(buffer, static_cast<std::size_t>(n));
            std::size_t cr;
            while ((cr = pending_.find('\r')) != std::string::npos) {
                lines_.push_back(pending_.substr(0, cr));
                pending_.erase(0, cr + 1);
            }
        }
        std::vector<std::string> got;
        got.swap(lines_);
        return got;
    }

    // Sends a line and returns the reply lines up to and including the first
    // that starts with `until`.
    std::vector<std::string> Ask(const std::string& line, const std::string& until) {
        Send(line);
        return Receive([&](const std::vector<std::string>& lines) {
            for (const auto& l : lines) {
                if (l.rfind(until, 0) == 0) {
                    return true;
                }
            }
            return false;
        });
    }

    // Sends a line and returns the reply lines up to the "." that ends the
    // list with the given header.
    std::vector<std::string> AskList(const std::string& line, const std::string& header) {
        Send(line);
        return Receive([&](const std::vector<std::string>& lines) {
            bool inList = false;
            for (const auto& l : lines) {
                if (l == header) {
                    inList = true;
                } else if (inList && l == ".") {
                    return true;
                }
            }
            return false;
        });
    }

  private:
    int fd_ = -1;
    sockaddr_in server_{};
    std::vector<std::string> lines_;
    std::string pending_;
};

}  // namespace qc::server::testing
