#include "fake_notification_center.h"

#include "fake_main_queue.h"

namespace quillet::test {

void FakeNotificationCenter::post(const std::string& name, const std::string& object) {
    posts_.push_back({name, object});
    deliver(name, object);
}

void FakeNotificationCenter::deliver(const std::string& name, const std::string& object) {
    if (queue_ != nullptr) {
        queue_->post([this, name, object] { dispatch(name, object); });
    } else {
        dispatch(name, object);
    }
}

void FakeNotificationCenter::dispatch(const std::string& name, const std::string& object) {
    // Observers may add or remove observers while being called: walk the
    // tokens present now and skip those removed on the way.
    std::vector<Token> tokens;
    for (const auto& [token, entry] : observers_) {
        if (entry.first == name) {
            tokens.push_back(token);
        }
    }
    for (Token token : tokens) {
        auto it = observers_.find(token);
        if (it != observers_.end()) {
            Observer observer = it->second.second;
            observer(name, object);
        }
    }
}

NotificationCenter::Token FakeNotificationCenter::addObserver(const std::string& name,
                                                              Observer observer) {
    Token token = nextToken_++;
    observers_.emplace(token, std::make_pair(name, std::move(observer)));
    return token;
}

void FakeNotificationCenter::removeObserver(Token token) {
    observers_.erase(token);
}

} // namespace quillet::test
