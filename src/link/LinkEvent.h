// An event of the link that any number of windows subscribe to.
//
// Ownership: the event owns its handlers; subscribe() returns a Subscription
// token that the window keeps. Dropping or reset()ting the token
// unsubscribes, so a window that closes stops receiving. The token may
// outlive the event (it then does nothing).
//
// Nesting: raise() calls the handlers synchronously, in subscription order,
// on the caller's stack. A handler may subscribe or unsubscribe anything,
// itself included, and may raise the event again (a nested raise). A handler
// unsubscribed during a raise is not called afterwards in that raise; one
// subscribed during a raise is first called by the next raise.
//
// Errors: each handler is dispatched on its own. A run-time error escaping
// one window's handler is reported (platform::runEventHandler) and stops
// there: the later windows still hear the event and raise() returns
// normally to the link operation that raised it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/RuntimeError.h"

namespace printerlink {

template <class... Args>
class LinkEvent {
    struct Slot {
        std::uint64_t id;
        std::function<void(Args...)> handler;
        bool active = true;
    };
    struct State {
        std::vector<std::shared_ptr<Slot>> slots;
        std::uint64_t nextId = 1;
        void remove(std::uint64_t id) {
            for (auto it = slots.begin(); it != slots.end(); ++it) {
                if ((*it)->id == id) {
                    (*it)->active = false;
                    slots.erase(it);
                    return;
                }
            }
        }
    };

public:
    class Subscription {
    public:
        Subscription() = default;
        Subscription(const Subscription&) = delete;
        Subscription& operator=(const Subscription&) = delete;
        Subscription(Subscription&& other) noexcept : state_(std::move(other.state_)), id_(other.id_) { other.id_ = 0; }
        Subscription& operator=(Subscription&& other) noexcept {
            if (this != &other) {
                reset();
                state_ = std::move(other.state_);
                id_ = other.id_;
                other.id_ = 0;
            }
            return *this;
        }
        ~Subscription() { reset(); }

        void reset() {
            if (auto state = state_.lock()) state->remove(id_);
            state_.reset();
            id_ = 0;
        }
        bool active() const { return id_ != 0 && !state_.expired(); }

    private:
        friend class LinkEvent;
        Subscription(std::weak_ptr<State> state, std::uint64_t id) : state_(std::move(state)), id_(id) {}
        std::weak_ptr<State> state_;
        std::uint64_t id_ = 0;
    };

    [[nodiscard]] Subscription subscribe(std::function<void(Args...)> handler) {
        auto slot = std::make_shared<Slot>(Slot{state_->nextId++, std::move(handler)});
        state_->slots.push_back(slot);
        return Subscription(state_, slot->id);
    }

    void raise(Args... args) const {
        const auto snapshot = state_->slots;  // handlers may change the list
        for (const auto& slot : snapshot)
            if (slot->active) platform::runEventHandler([&] { slot->handler(args...); });
    }

    std::size_t subscriberCount() const { return state_->slots.size(); }

private:
    std::shared_ptr<State> state_ = std::make_shared<State>();
};

}  // namespace printerlink
