#pragma once

#include "client/core/account/account_windows.h"
#include "client/core/lobby/list_windows.h"
#include "client/core/lobby/new_game_forms.h"
#include "client/core/settings/settings_window.h"
#include "client/core/window_views.h"

namespace qc::fakes {

// A window's widget that records the states it is handed and where
// it was opened; tests move it by setting `at`.
template <typename State>
class RecordingRectView : public StateView<State> {
  public:
    void Render(const State& s) override {
        state = s;
        ++renders;
    }
    void Open(const WindowRect& r) override {
        at = r;
        opened = r;
        open = true;
        ++opens;
    }
    void Raise() override { ++raises; }
    void Close() override {
        open = false;
        ++closes;
    }
    WindowRect Geometry() const override { return at; }
    State state;
    WindowRect at;
    WindowRect opened;
    int renders = 0;
    int opens = 0;
    int raises = 0;
    int closes = 0;
    bool open = false;
};

using RecordingListView = RecordingRectView<lobby::ListWindowState>;
using RecordingFormView = RecordingRectView<lobby::NewGameFormState>;
using RecordingSettingsView = RecordingRectView<settings::SettingsWindowState>;

// A child window's widget: the states it is handed and what it was opened
// over.
template <typename State>
class RecordingChildView : public ChildView<State> {
  public:
    void Render(const State& s) override {
        state = s;
        ++renders;
    }
    void OpenOver(const WindowRect& parent) override {
        over = parent;
        open = true;
    }
    void Close() override { open = false; }
    State state;
    WindowRect over;
    int renders = 0;
    bool open = false;
};

using RecordingCreateAccountView = RecordingChildView<account::CreateAccountState>;
using RecordingChangePasswordView = RecordingChildView<account::ChangePasswordState>;

}  // namespace qc::fakes
