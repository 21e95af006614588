#include "server/core/sessions.h"

namespace qc::server {

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
