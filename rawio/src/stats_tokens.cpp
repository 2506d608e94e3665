#include "stats_tokens.h"

#include <map>
#include <mutex>
#include <unordered_map>

namespace rawio {
namespace {

// Bounds the table: one token per function of each open file at most.
constexpr std::size_t kMaxTokens = 1u << 22;

struct Tokens {
    std::mutex mutex;
    std::uint32_t next = 0;
    std::unordered_map<std::uint32_t, StatsTarget> byToken;
    std::map<std::pair<RawHandle, std::int32_t>, std::uint32_t> byTarget;
};

Tokens& Table() {
    static Tokens tokens;
    return tokens;
}

}  // namespace

RawStatus IssueStatsToken(StatsTarget target, std::uint32_t* token) {
    Tokens& t = Table();
    std::lock_guard<std::mutex> lock(t.mutex);
    const auto key = std::make_pair(target.readHandle, target.function);
    if (const auto it = t.byTarget.find(key); it != t.byTarget.end()) {
        *token = it->second;
        return kRawOk;
    }
    if (t.byToken.size() >= kMaxTokens) {
        return kRawTooManyHandles;
    }
    std::uint32_t value = ++t.next;
    while (value == 0 || t.byToken.count(value) != 0) {
        value = ++t.next;
    }
    t.byToken.emplace(value, target);
    t.byTarget.emplace(key, value);
    *token = value;
    return kRawOk;
}

bool FindStatsToken(std::uint32_t token, StatsTarget* target) {
    Tokens& t = Table();
    std::lock_guard<std::mutex> lock(t.mutex);
    const auto it = t.byToken.find(token);
    if (it == t.byToken.end()) {
        return false;
    }
    *target = it->second;
    return true;
}

void DropStatsTokens(RawHandle readHandle) {
    Tokens& t = Table();
    std::lock_guard<std::mutex> lock(t.mutex);
    auto it = t.byTarget.lower_bound({readHandle, INT32_MIN});
    while (it != t.byTarget.end() && it->first.first == readHandle) {
        t.byToken.erase(it->second);
        it = t.byTarget.erase(it);
    }
}

}  // namespace rawio
