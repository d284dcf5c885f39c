// Programs coming and going on a pretend bus: the test says when a name
// changes owner, and the watchers of its namespace are told at once.
#pragma once

#include "shared/ports/bus_name_watch.h"

#include <map>
#include <string>
#include <utility>

namespace quillet::test {

class FakeBusNameWatch final : public BusNameWatch {
public:
    Token watchNamespace(const std::string& nameNamespace, Callback callback) override {
        Token token = nextToken_++;
        watches_[token] = {nameNamespace, std::move(callback)};
        return token;
    }
    void unwatch(Token token) override { watches_.erase(token); }

    // The name gained or lost its owner.
    void ownerChanged(const std::string& name) {
        auto watches = watches_;
        for (const auto& [token, watch] : watches) {
            const std::string& space = watch.first;
            if (name == space || name.rfind(space + ".", 0) == 0) {
                watch.second(name);
            }
        }
    }
    std::size_t watchCount() const { return watches_.size(); }

private:
    std::map<Token, std::pair<std::string, Callback>> watches_;
    Token nextToken_ = 1;
};

} // namespace quillet::test
