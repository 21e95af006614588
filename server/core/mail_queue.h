#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "server/core/store.h"
#include "server/core/types.h"

namespace qc::server {

// What the relay made of one message.
struct SendResult {
    enum class Stage {
        Connection,  // no conversation: unreachable, TLS, time-out, log-in
        Sender,      // the envelope's sender was refused
        Recipient,   // the recipient was refused
        Message,     // the message itself was refused (after DATA)
    };
    std::int64_t mailId = 0;
    bool accepted = false;
    int smtpCode = 0;  // the relay's last reply code, 0 when there was none
    Stage stage = Stage::Connection;
    std::string error;  // for the log
};

// Carries one message at a time to the relay. Send returns at once; the
// result is handed to MailQueue::Finished later, on the thread that called
// Send.
class MailTransport {
  public:
    virtual ~MailTransport() = default;
    virtual void Send(std::int64_t mailId, const std::string& from, const std::string& to,
                      const std::string& message) = 0;
};

struct MailSettings {
    std::string from;  // the sender's address
    std::string fromName = "Quorvel Chess";
    // While the relay refuses for the moment or cannot be reached, a mail is
    // tried again after firstRetry, then twice as long each time up to
    // maxRetry, until it is giveUpAfter old.
    std::chrono::seconds firstRetry{30};
    std::chrono::seconds maxRetry{3600};
    std::chrono::seconds giveUpAfter{4 * 24 * 3600};
    bool utc = false;  // Date headers in UTC
};

// The outbox as a queue: which mail is due, handing it to the transport one
// at a time, and what the relay's answer means for it. Runs on the thread
// that owns the store; the transport does the waiting.
class MailQueue {
  public:
    MailQueue(Store& store, MailSettings settings, MailTransport& transport,
              std::function<void(std::string_view)> log = {});

    // Hands the next due mail to the transport unless one is on its way or
    // the relay was unreachable a moment ago. Mail too old to send, or past
    // the time it was meant for, is set aside first.
    void Pump(TimePoint now);
    // The transport's answer for the mail on its way; then the next is sent.
    void Finished(const SendResult& result, TimePoint now);

    std::optional<std::int64_t> InFlight() const { return inFlight_; }

    enum class Verdict { Sent, Retry, Refused };
    // A definite refusal (5xx) of the recipient or of the message ends the
    // tries; everything else may pass and is tried again.
    static Verdict Judge(const SendResult& result);
    // The wait after the n-th failed try (n >= 1).
    static std::chrono::seconds Backoff(int failures, std::chrono::seconds first,
                                        std::chrono::seconds max);

  private:
    void Log(std::string_view text) const;

    Store& store_;
    MailSettings settings_;
    MailTransport& transport_;
    std::function<void(std::string_view)> log_;
    std::optional<std::int64_t> inFlight_;
    std::optional<TimePoint> pausedUntil_;  // the relay could not be reached
    int unreachable_ = 0;                   // tries in a row that found no relay
    bool relayDown_ = false;
};

}  // namespace qc::server
