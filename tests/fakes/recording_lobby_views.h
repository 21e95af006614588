#pragma once

#include "client/core/lobby/list_windows.h"
#include "client/core/lobby/new_game_forms.h"
#include "client/core/lobby/window_rect.h"

namespace qc::fakes {

// A lobby window's widget that records the states it is handed and where
// it was opened; tests move it by setting `at`.
template <typename State>
class RecordingRectView : public lobby::StateView<State> {
  public:
    void Render(const State& s) override {
        state = s;
        ++renders;
    }
    void Open(const lobby::WindowRect& r) override {
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
    lobby::WindowRect Geometry() const override { return at; }
    State state;
    lobby::WindowRect at;
    lobby::WindowRect opened;
    int renders = 0;
    int opens = 0;
    int raises = 0;
    int closes = 0;
    bool open = false;
};

using RecordingListView = RecordingRectView<lobby::ListWindowState>;
using RecordingFormView = RecordingRectView<lobby::NewGameFormState>;

}  // namespace qc::fakes
