#pragma once

#include <functional>
#include <memory>
#include <utility>

#include "client/core/window_views.h"

namespace qc::ui {

// A window that is built when it is first opened: most sessions live in the
// tray and never open it. The latest state is kept meanwhile, so the new
// window starts from what the core last said.
template <typename State, typename Widget>
class LazyWindow {
  public:
    using Build = std::function<std::unique_ptr<Widget>()>;

    Widget* Window() { return window_.get(); }

  protected:
    explicit LazyWindow(Build build) : build_(std::move(build)) {}

    void Keep(const State& state) {
        state_ = state;
        if (window_ != nullptr) {
            window_->Render(state);
        }
    }
    Widget& Built() {
        if (window_ == nullptr) {
            window_ = build_();
            window_->Render(state_);
        }
        return *window_;
    }
    void CloseIfBuilt() {
        if (window_ != nullptr) {
            window_->Close();
        }
    }

    std::unique_ptr<Widget> window_;

  private:
    Build build_;
    State state_;
};

// Builds a widget for its window's logic.
template <typename Widget, typename Logic>
std::function<std::unique_ptr<Widget>()> BuildWith(Logic& logic) {
    return [&logic] { return std::make_unique<Widget>(logic); };
}

// A top-level window.
template <typename State, typename Widget>
class LazyHost : public StateView<State>, public LazyWindow<State, Widget> {
    using Base = LazyWindow<State, Widget>;

  public:
    explicit LazyHost(typename Base::Build build) : Base(std::move(build)) {}

    void Render(const State& state) override { Base::Keep(state); }
    void Open(const WindowRect& at) override { Base::Built().Open(at); }
    void Raise() override {
        if (Base::window_ != nullptr) {
            Base::window_->Raise();
        }
    }
    void Close() override { Base::CloseIfBuilt(); }
    WindowRect Geometry() const override {
        return Base::window_ != nullptr ? Base::window_->Geometry() : WindowRect{};
    }
};

// A child window, opened over its parent.
template <typename State, typename Widget>
class LazyChildHost : public ChildView<State>, public LazyWindow<State, Widget> {
    using Base = LazyWindow<State, Widget>;

  public:
    explicit LazyChildHost(typename Base::Build build) : Base(std::move(build)) {}

    void Render(const State& state) override { Base::Keep(state); }
    void OpenOver(const WindowRect& parent) override { Base::Built().OpenOver(parent); }
    void Close() override { Base::CloseIfBuilt(); }
};

}  // namespace qc::ui
