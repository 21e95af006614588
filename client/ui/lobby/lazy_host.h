#pragma once

#include <functional>
#include <memory>
#include <utility>

#include "client/core/lobby/window_rect.h"

namespace qc::ui {

// Stands for a lobby window until it is first opened, and only then builds
// it: most sessions live in the tray and never open it. The latest state is
// kept meanwhile, so the new window starts from what the core last said.
template <typename State, typename Widget>
class LazyHost : public lobby::StateView<State> {
  public:
    explicit LazyHost(std::function<std::unique_ptr<Widget>()> build) : build_(std::move(build)) {}

    void Render(const State& state) override {
        state_ = state;
        if (window_ != nullptr) {
            window_->Render(state);
        }
    }
    void Open(const lobby::WindowRect& at) override {
        if (window_ == nullptr) {
            window_ = build_();
            window_->Render(state_);
        }
        window_->Open(at);
    }
    void Raise() override {
        if (window_ != nullptr) {
            window_->Raise();
        }
    }
    void Close() override {
        if (window_ != nullptr) {
            window_->Close();
        }
    }
    lobby::WindowRect Geometry() const override {
        return window_ != nullptr ? window_->Geometry() : lobby::WindowRect{};
    }

    Widget* Window() { return window_.get(); }

  private:
    std::function<std::unique_ptr<Widget>()> build_;
    std::unique_ptr<Widget> window_;
    State state_;
};

}  // namespace qc::ui
