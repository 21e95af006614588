#pragma once

#include <QObject>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "server/core/mail_queue.h"

namespace qc::server {

struct SmtpSettings {
    std::string url;   // smtp://HOST:PORT (STARTTLS when offered) or smtps://HOST:PORT
    std::string user;  // empty: no log-in
    std::string password;
    std::chrono::seconds connectTimeout{20};
    std::chrono::seconds transferTimeout{120};  // the whole conversation
};

// Sends one message (lines ended by CR LF) to the relay through libcurl and
// waits for its answer. `abort`, when set from another thread, ends the
// conversation early. libcurl must have been initialised (SmtpTransport
// does so).
SendResult SmtpSend(const SmtpSettings& settings, std::int64_t mailId, const std::string& from,
                    const std::string& to, const std::string& message,
                    const std::atomic<bool>* abort = nullptr);

// The relay behind the queue: each message is sent on a worker thread of its
// own, so the server's thread never waits for the relay; the result comes
// back to `deliver` on the thread that made the transport, through its event
// loop.
class SmtpTransport : public MailTransport {
  public:
    using Deliver = std::function<void(const SendResult&)>;
    SmtpTransport(SmtpSettings settings, Deliver deliver);
    ~SmtpTransport() override;
    SmtpTransport(const SmtpTransport&) = delete;
    SmtpTransport& operator=(const SmtpTransport&) = delete;

    void Send(std::int64_t mailId, const std::string& from, const std::string& to,
              const std::string& message) override;

    // Lets the mail on its way finish for up to `grace`, then breaks it off,
    // and hands over a result that came, at once. Nothing is sent after.
    void Stop(std::chrono::milliseconds grace);

  private:
    struct Job {
        std::int64_t mailId;
        std::string from;
        std::string to;
        std::string message;
    };
    void Work();
    void DeliverPending();
    void Shutdown(std::chrono::milliseconds grace, bool deliver);

    SmtpSettings settings_;
    Deliver deliver_;
    QObject context_;  // lives on the creating thread; results are queued to it
    std::mutex mutex_;
    std::condition_variable wake_;
    std::optional<Job> job_;
    std::optional<SendResult> result_;
    bool busy_ = false;
    bool stopping_ = false;
    std::atomic<bool> abort_{false};
    std::thread worker_;
};

}  // namespace qc::server
