// Callbacks that may come after their object is gone (a queued task, a
// panel's completion, an observer, a watcher thread's report) call into it
// through a weak reference, so that a late call does nothing instead of
// touching freed memory. These two helpers are the one way to write that.
#pragma once

#include <memory>
#include <type_traits>
#include <utility>

namespace quillet {

// `f(owner, args...)` while `owner` lives; afterwards the call does nothing.
// (A weak reference to a pointer, as a LifeToken hands out, also counts as
// gone once the pointer is cleared, and `f` gets the object pointed to.)
// The call returns whether `f` ran, for the rare caller that must answer a
// peer either way.
template <class T, class F> auto whileAlive(std::weak_ptr<T> owner, F f) {
    return [owner = std::move(owner), f = std::move(f)](auto&&... args) {
        auto alive = owner.lock();
        if (!alive) {
            return false;
        }
        if constexpr (std::is_pointer_v<T>) {
            if (*alive == nullptr) {
                return false;
            }
            f(**alive, std::forward<decltype(args)>(args)...);
        } else {
            f(*alive, std::forward<decltype(args)>(args)...);
        }
        return true;
    };
}

// What an object that is not itself held by a shared_ptr owns so that its
// callbacks can tell whether it still lives. The token's destruction ends the
// calls; an owner whose teardown may itself run callbacks (a nested event
// loop, a joined thread) revokes it earlier, where that teardown starts to
// take apart what the callbacks use.
template <class T> class LifeToken {
public:
    explicit LifeToken(T& owner) : owner_(std::make_shared<T*>(&owner)) {}
    ~LifeToken() { revoke(); }
    LifeToken(const LifeToken&) = delete;
    LifeToken& operator=(const LifeToken&) = delete;

    void revoke() { *owner_ = nullptr; }

    // `f(owner, args...)` while the owner lives and has not revoked the token.
    template <class F> auto guard(F f) const {
        return whileAlive(std::weak_ptr<T*>(owner_), std::move(f));
    }

    // `(owner.*member)(args...)` while the owner lives.
    template <class R, class... Params> auto guard(R (T::*member)(Params...)) const {
        return guard([member](T& owner, auto&&... args) {
            (owner.*member)(std::forward<decltype(args)>(args)...);
        });
    }

private:
    std::shared_ptr<T*> owner_;
};

} // namespace quillet
