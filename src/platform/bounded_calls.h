#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>

namespace tavrin {

// Answers of calls that may take long and cannot be cut short (a host name's
// resolution): each runs on a thread of its own, and its caller waits for it at most
// the time it has. When that passes the caller goes on without an answer and the call
// goes on by itself; a later caller with the same key takes that call's answer instead
// of starting another, so that one key never has more than one call under way.
template <typename Answer>
class BoundedCalls {
 public:
  // The answer of `work` for `key`, or nothing when it has not come within `timeoutMs`.
  // `work` must hold what it needs by value: it may outlive the caller.
  std::optional<Answer> Get(const std::string& key, std::function<Answer()> work, int timeoutMs) {
    std::shared_ptr<Call> call;
    {
      const std::lock_guard<std::mutex> guard(lock_);
      std::shared_ptr<Call>& slot = calls_[key];
      if (!slot) {
        slot = std::make_shared<Call>();
        std::thread([call = slot, work = std::move(work)] {
          Answer answer = work();
          const std::lock_guard<std::mutex> done(call->lock);
          call->answer = std::move(answer);
          call->finished = true;
          call->done.notify_all();
        }).detach();
      }
      call = slot;
    }
    std::unique_lock<std::mutex> waiting(call->lock);
    if (!call->done.wait_for(waiting, std::chrono::milliseconds(timeoutMs),
                             [&call] { return call->finished; })) {
      return std::nullopt;
    }
    Answer answer = call->answer;
    waiting.unlock();
    const std::lock_guard<std::mutex> guard(lock_);
    const auto it = calls_.find(key);
    if (it != calls_.end() && it->second == call) calls_.erase(it);
    return answer;
  }

 private:
  struct Call {
    std::mutex lock;
    std::condition_variable done;
    bool finished = false;
    Answer answer{};
  };
  std::mutex lock_;
  std::map<std::string, std::shared_ptr<Call>> calls_;
};

}  // namespace tavrin
