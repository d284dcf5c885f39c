#include "local_notification_center.h"

#include "shared/while_alive.h"

#include <vector>

namespace quillet {

LocalNotificationCenter::LocalNotificationCenter() : state_(std::make_shared<State>()) {}

LocalNotificationCenter::LocalNotificationCenter(MainQueue& queue)
    : queue_(&queue), state_(std::make_shared<State>()) {}

LocalNotificationCenter::~LocalNotificationCenter() = default;

void LocalNotificationCenter::post(const std::string& name, const std::string& object) {
    deliver(name, object);
}

void LocalNotificationCenter::deliver(const std::string& name, const std::string& object) {
    if (queue_ == nullptr) {
        dispatch(*state_, name, object);
        return;
    }
    queue_->post(whileAlive(std::weak_ptr<State>(state_),
                            [name, object](State& state) { dispatch(state, name, object); }));
}

void LocalNotificationCenter::dispatch(State& state, const std::string& name,
                                       const std::string& object) {
    // Observers may add or remove observers while being called: walk the
    // tokens present now and skip those removed on the way.
    std::vector<Token> tokens;
    for (const auto& [token, entry] : state.observers) {
        if (entry.first == name) {
            tokens.push_back(token);
        }
    }
    for (Token token : tokens) {
        auto it = state.observers.find(token);
        if (it != state.observers.end()) {
            Observer observer = it->second.second;
            observer(name, object);
        }
    }
}

NotificationCenter::Token LocalNotificationCenter::addObserver(const std::string& name,
                                                               Observer observer) {
    Token token = state_->nextToken++;
    state_->observers.emplace(token, std::make_pair(name, std::move(observer)));
    return token;
}

void LocalNotificationCenter::removeObserver(Token token) {
    state_->observers.erase(token);
}

std::size_t LocalNotificationCenter::observerCount() const {
    return state_->observers.size();
}

} // namespace quillet
