// Guards callbacks that outlive their owner.
//
// The doubles and the simulated printer hand closures to the event loop and
// to the virtual clock; either may run them after the object that made them
// is gone (a test tears a double down while a reply is still scheduled).
// wrap() returns a closure that does nothing once the token's owner has been
// destroyed. Single-threaded, like everything on the loop.
#pragma once

#include <functional>
#include <memory>

namespace platform {

class LifeToken {
public:
    LifeToken() = default;
    LifeToken(const LifeToken&) = delete;
    LifeToken& operator=(const LifeToken&) = delete;

    template <class F>
    std::function<void()> wrap(F fn) const {
        return [weak = std::weak_ptr<const int>(token_), fn = std::move(fn)]() mutable {
            if (weak.lock()) fn();
        };
    }

private:
    std::shared_ptr<const int> token_ = std::make_shared<const int>(0);
};

}  // namespace platform
