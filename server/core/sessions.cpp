#include "server/core/sessions.h"

#include <arpa/inet.h>

#include <algorithm>
#include <iterator>

namespace qc::server {

std::string SenderNetwork(std::string_view address) {
    std::string text(address.substr(0, address.find('%')));  // no zone index
    in6_addr v6{};
    if (text.find(':') == std::string::npos || inet_pton(AF_INET6, text.c_str(), &v6) != 1) {
        return std::string(address);
    }
    char buffer[INET6_ADDRSTRLEN] = {};
    if (IN6_IS_ADDR_V4MAPPED(&v6)) {
        return inet_ntop(AF_INET, &v6.s6_addr[12], buffer, sizeof buffer) != nullptr
                   ? std::string(buffer)
                   : std::string(address);
    }
    std::fill(std::begin(v6.s6_addr) + 8, std::end(v6.s6_addr), std::uint8_t{0});
    if (inet_ntop(AF_INET6, &v6, buffer, sizeof buffer) == nullptr) {
        return std::string(address);
    }
    return std::string(buffer) + "/64";
}

std::optional<Session> SessionTable::Open(const Session& session) {
    std::optional<Session> ended;
    auto atEndpoint = byEndpoint_.find(session.endpoint);
    if (atEndpoint != byEndpoint_.end() && atEndpoint->second.accountId != session.accountId) {
        ended = atEndpoint->second;
        byAccount_.erase(atEndpoint->second.accountId);
        byEndpoint_.erase(atEndpoint);
    }
    auto previous = byAccount_.find(session.accountId);
    if (previous != byAccount_.end()) {
        byEndpoint_.erase(previous->second);
    }
    byEndpoint_[session.endpoint] = session;
    byAccount_[session.accountId] = session.endpoint;
    return ended;
}

Session* SessionTable::ByEndpoint(const Endpoint& endpoint) {
    auto it = byEndpoint_.find(endpoint);
    return it == byEndpoint_.end() ? nullptr : &it->second;
}

const Session* SessionTable::ByAccount(std::int64_t accountId) const {
    auto it = byAccount_.find(accountId);
    if (it == byAccount_.end()) {
        return nullptr;
    }
    auto session = byEndpoint_.find(it->second);
    return session == byEndpoint_.end() ? nullptr : &session->second;
}

bool SessionTable::TakePushTurn(std::int64_t accountId, TimePoint now) {
    auto it = byAccount_.find(accountId);
    if (it == byAccount_.end()) {
        return false;
    }
    Session& session = byEndpoint_.at(it->second);
    if (now - session.lastPush < kPushInterval) {
        session.pushPending = true;
        return false;
    }
    session.lastPush = now;
    session.pushPending = false;
    return true;
}

std::vector<std::int64_t> SessionTable::DuePushes(TimePoint now) {
    std::vector<std::int64_t> due;
    for (auto& [endpoint, session] : byEndpoint_) {
        if (session.pushPending && now - session.lastPush >= kPushInterval) {
            session.lastPush = now;
            session.pushPending = false;
            due.push_back(session.accountId);
        }
    }
    return due;
}

std::optional<Session> SessionTable::Close(const Endpoint& endpoint) {
    auto it = byEndpoint_.find(endpoint);
    if (it == byEndpoint_.end()) {
        return std::nullopt;
    }
    Session ended = it->second;
    byAccount_.erase(ended.accountId);
    byEndpoint_.erase(it);
    return ended;
}

}  // namespace qc::server
