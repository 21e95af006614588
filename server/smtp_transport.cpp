#include "server/smtp_transport.h"

#include <curl/curl.h>

#include <QMetaObject>
#include <algorithm>
#include <cstring>

namespace qc::server {

namespace {

struct Conversation {
    const std::string* message = nullptr;
    std::size_t sent = 0;
    std::string lastReply;  // the relay's last reply line, for the log
    const std::atomic<bool>* abort = nullptr;
};

std::size_t ReadMessage(char* buffer, std::size_t size, std::size_t count, void* user) {
    auto* c = static_cast<Conversation*>(user);
    const std::size_t n = std::min(size * count, c->message->size() - c->sent);
    std::memcpy(buffer, c->message->data() + c->sent, n);
    c->sent += n;
    return n;
}

int Progress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    auto* c = static_cast<Conversation*>(user);
    return c->abort != nullptr && c->abort->load() ? 1 : 0;
}

// Keeps the relay's last refusal (libcurl calls its replies headers) for the
// log.
int Debug(CURL*, curl_infotype type, char* data, std::size_t size, void* user) {
    if (type == CURLINFO_HEADER_IN && size > 0 && (data[0] == '4' || data[0] == '5')) {
        std::string line(data, size);
        while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) {
            line.pop_back();
        }
        for (char& ch : line) {
            if (static_cast<unsigned char>(ch) < 0x20 || ch == 0x7f) {
                ch = '?';
            }
        }
        static_cast<Conversation*>(user)->lastReply = line.substr(0, 200);
    }
    return 0;
}

}  // namespace

SendResult SmtpSend(const SmtpSettings& settings, std::int64_t mailId, const std::string& from,
                    const std::string& to, const std::string& message,
                    const std::atomic<bool>* abort) {
    SendResult result;
    result.mailId = mailId;
    CURL* curl = curl_easy_init();
    if (curl == nullptr) {
        result.error = "cannot start libcurl";
        return result;
    }
    Conversation conversation{&message, 0, {}, abort};
    char error[CURL_ERROR_SIZE] = {};
    const std::string mailFrom = "<" + from + ">";
    const std::string rcpt = "<" + to + ">";
    curl_slist* recipients = curl_slist_append(nullptr, rcpt.c_str());

    curl_easy_setopt(curl, CURLOPT_URL, settings.url.c_str());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "smtp,smtps");
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, error);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT,
                     static_cast<long>(settings.connectTimeout.count()));
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, static_cast<long>(settings.transferTimeout.count()));
    if (!settings.user.empty()) {
        curl_easy_setopt(curl, CURLOPT_USERNAME, settings.user.c_str());
        curl_easy_setopt(curl, CURLOPT_PASSWORD, settings.password.c_str());
        // A password never crosses the network in clear.
        curl_easy_setopt(curl, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_ALL));
    } else {
        curl_easy_setopt(curl, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_TRY));
    }
    curl_easy_setopt(curl, CURLOPT_MAIL_FROM, mailFrom.c_str());
    curl_easy_setopt(curl, CURLOPT_MAIL_RCPT, recipients);
    curl_easy_setopt(curl, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(curl, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(message.size()));
    curl_easy_setopt(curl, CURLOPT_READFUNCTION, ReadMessage);
    curl_easy_setopt(curl, CURLOPT_READDATA, &conversation);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, Progress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &conversation);
    curl_easy_setopt(curl, CURLOPT_VERBOSE, 1L);
    curl_easy_setopt(curl, CURLOPT_DEBUGFUNCTION, Debug);
    curl_easy_setopt(curl, CURLOPT_DEBUGDATA, &conversation);

    const CURLcode rc = curl_easy_perform(curl);
    long code = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &code);
    result.smtpCode = static_cast<int>(code);
    result.accepted = rc == CURLE_OK;
    const std::string text = error[0] != '\0' ? error : curl_easy_strerror(rc);
    if (!result.accepted) {
        // libcurl names the refused step in its message.
        if (text.rfind("RCPT failed", 0) == 0) {
            result.stage = SendResult::Stage::Recipient;
        } else if (text.rfind("MAIL failed", 0) == 0) {
            result.stage = SendResult::Stage::Sender;
        } else if (code >= 400 && rc != CURLE_LOGIN_DENIED && conversation.sent == message.size()) {
            // The whole message went, and the relay refused it at the end.
            result.stage = SendResult::Stage::Message;
        }
        result.error = text;
        if (!conversation.lastReply.empty()) {
            result.error += " (" + conversation.lastReply + ")";
        }
    }
    curl_slist_free_all(recipients);
    curl_easy_cleanup(curl);
    return result;
}

SmtpTransport::SmtpTransport(SmtpSettings settings, Deliver deliver)
    : settings_(std::move(settings)), deliver_(std::move(deliver)) {
    // Before any thread exists: libcurl's global set-up is not thread-safe.
    curl_global_init(CURL_GLOBAL_DEFAULT);
    worker_ = std::thread([this] { Work(); });
}

SmtpTransport::~SmtpTransport() {
    // Whoever takes the results may be gone by now: nothing is handed over.
    Shutdown(std::chrono::milliseconds(0), false);
    curl_global_cleanup();
}

void SmtpTransport::Send(std::int64_t mailId, const std::string& from, const std::string& to,
                         const std::string& message) {
    {
        std::lock_guard lock(mutex_);
        if (stopping_) {
            return;  // the mail stays pending in the outbox for the next start
        }
        job_ = Job{mailId, from, to, message};
    }
    wake_.notify_all();
}

void SmtpTransport::Work() {
    std::unique_lock lock(mutex_);
    while (true) {
        wake_.wait(lock, [this] { return job_ || stopping_; });
        if (!job_) {
            return;
        }
        Job job = std::move(*job_);
        job_.reset();
        busy_ = true;
        lock.unlock();
        SendResult result = SmtpSend(settings_, job.mailId, job.from, job.to, job.message, &abort_);
        lock.lock();
        busy_ = false;
        result_ = std::move(result);
        QMetaObject::invokeMethod(
            &context_, [this] { DeliverPending(); }, Qt::QueuedConnection);
        wake_.notify_all();
        if (stopping_) {
            return;
        }
    }
}

void SmtpTransport::DeliverPending() {
    std::optional<SendResult> result;
    {
        std::lock_guard lock(mutex_);
        result.swap(result_);
    }
    if (result && deliver_) {
        deliver_(*result);
    }
}

void SmtpTransport::Stop(std::chrono::milliseconds grace) {
    Shutdown(grace, true);
}

void SmtpTransport::Shutdown(std::chrono::milliseconds grace, bool deliver) {
    {
        std::unique_lock lock(mutex_);
        if (!worker_.joinable()) {
            return;
        }
        stopping_ = true;
        job_.reset();
        wake_.notify_all();
        // A relay that has the whole message is given the time to say so:
        // breaking off then would only send it again at the next start.
        if (!wake_.wait_for(lock, grace, [this] { return !busy_; })) {
            abort_ = true;
        }
    }
    worker_.join();
    if (deliver) {
        DeliverPending();
    }
}

}  // namespace qc::server
