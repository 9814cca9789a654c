#pragma once
// A control's slot that hands its value to the window's engine, once there is one: a tools
// window exists before start-up gives it the port objects its engine needs.
#include <memory>

namespace k45 {

template <class Engine, class... Args>
auto ToEngine(const std::unique_ptr<Engine>& engine, void (Engine::*call)(Args...)) {
    return [&engine, call](Args... args) {
        if (engine) (engine.get()->*call)(args...);
    };
}

}  // namespace k45
