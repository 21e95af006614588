#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "server/core/store.h"
#include "server/core/types.h"

namespace qc::server {

// A logged-in account, bound to the address and port it logged in from.
struct Session {
    std::int64_t accountId = 0;
    std::string name;
    AccountKind kind = AccountKind::Named;
    Endpoint endpoint;
    TimePoint lastHeard{};
    TimePoint lastPing{};
    // Unasked "update:" lines pushed to this session: when the last went,
    // and whether one is owed.
    TimePoint lastPush{};
    bool pushPending = false;
};

// At most one session per account and one per endpoint.
class SessionTable {
  public:
    // Binds the account to the endpoint. A session of the same account at
    // another endpoint moves here; a session of another account at this
    // endpoint ends and is returned, since that account has logged out.
    std::optional<Session> Open(const Session& session);
    Session* ByEndpoint(const Endpoint& endpoint);
    const Session* ByAccount(std::int64_t accountId) const;
    std::optional<Session> Close(const Endpoint& endpoint);
    // Whether an unasked update may be pushed to the account now. Pushes go
    // at most once per kPushInterval, so others' request and cancel cycles
    // cannot flood a player; a push refused now is owed, and DuePushes hands
    // it out later with the counts of then.
    bool TakePushTurn(std::int64_t accountId, TimePoint now);
    // Accounts whose owed push may go now; their turn is taken.
    std::vector<std::int64_t> DuePushes(TimePoint now);
    static constexpr std::chrono::seconds kPushInterval{1};
    const std::map<Endpoint, Session>& All() const { return byEndpoint_; }
    std::size_t Size() const { return byEndpoint_.size(); }

  private:
    std::map<Endpoint, Session> byEndpoint_;
    std::unordered_map<std::int64_t, Endpoint> byAccount_;
};

// The key that limits per address apply to: an IPv4 address as it is, an
// IPv6 address by its /64 network ("2001:db8:1:2::/64"), since one host
// usually has the whole /64 to pick addresses from. IPv4 mapped into IPv6
// counts as IPv4; text that is no address is its own key.
std::string SenderNetwork(std::string_view address);

// Token buckets per key: a sender may send a burst and then a steady rate;
// whatever comes faster is dropped, so one sender cannot starve the rest.
template <typename Key>
class RateLimiter {
  public:
    RateLimiter(double burst, double perSecond, std::size_t maxKeys = 65536)
        : burst_(burst), perSecond_(perSecond), maxKeys_(maxKeys) {}

    bool Allow(const Key& key, TimePoint now) {
        auto it = buckets_.find(key);
        if (it == buckets_.end()) {
            if (buckets_.size() >= maxKeys_) {
                Prune(now);
                if (buckets_.size() >= maxKeys_) {
                    EvictOldest();
                }
            }
            it = buckets_.emplace(key, Bucket{burst_, now}).first;
        }
        Bucket& b = it->second;
        double elapsed = std::chrono::duration<double>(now - b.updated).count();
        if (elapsed > 0) {
            b.tokens = std::min(burst_, b.tokens + elapsed * perSecond_);
            b.updated = now;
        }
        if (b.tokens < 1.0) {
            return false;
        }
        b.tokens -= 1.0;
        return true;
    }

    // Whether Allow would succeed, without spending anything.
    bool CanSpend(const Key& key, TimePoint now) const {
        auto it = buckets_.find(key);
        if (it == buckets_.end()) {
            return true;
        }
        double elapsed = std::chrono::duration<double>(now - it->second.updated).count();
        return it->second.tokens + std::max(0.0, elapsed) * perSecond_ >= 1.0;
    }

    // Forgets buckets that have filled up again: they carry no information.
    void Prune(TimePoint now) {
        for (auto it = buckets_.begin(); it != buckets_.end();) {
            double elapsed = std::chrono::duration<double>(now - it->second.updated).count();
            if (it->second.tokens + elapsed * perSecond_ >= burst_) {
                it = buckets_.erase(it);
            } else {
                ++it;
            }
        }
    }

    std::size_t Size() const { return buckets_.size(); }

  private:
    // A full table sheds the eighth of its buckets that were used longest
    // ago; the senders being limited right now are the ones kept.
    void EvictOldest() {
        std::vector<TimePoint> times;
        times.reserve(buckets_.size());
        for (const auto& [key, bucket] : buckets_) {
            times.push_back(bucket.updated);
        }
        std::size_t count = std::max<std::size_t>(1, buckets_.size() / 8);
        std::nth_element(times.begin(), times.begin() + (count - 1), times.end());
        const TimePoint cutoff = times[count - 1];
        for (auto it = buckets_.begin(); it != buckets_.end() && count > 0;) {
            if (it->second.updated <= cutoff) {
                it = buckets_.erase(it);
                --count;
            } else {
                ++it;
            }
        }
    }

    struct Bucket {
        double tokens;
        TimePoint updated;
    };
    double burst_;
    double perSecond_;
    std::size_t maxKeys_;
    std::map<Key, Bucket> buckets_;
};

}  // namespace qc::server
