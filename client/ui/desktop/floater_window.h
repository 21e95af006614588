#pragma once

#include <QLabel>
#include <QWidget>
#include <memory>

#include "client/core/window_views.h"

namespace qc {
class Setup;
}

namespace qc::ui {

// The floating indicator: a 36 x 36 borderless window mirroring the tray
// icon. It draws the state the status display hands it; mouse input goes to
// the controller in twips.
class FloaterWindow : public QWidget, public FloaterView {
    Q_OBJECT
  public:
    explicit FloaterWindow(Setup& setup);

    void Render(const FloaterState& state) override;

    QLabel* FloatIcon() { return icon_; }

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    void SetPicture(platform::TrayPicture picture);
    void SetTopmost(bool topmost);

    Setup& setup_;
    QLabel* icon_;
    FloaterState shown_;
    bool drawn_ = false;
};

// Stands for the floating indicator and builds its window only when it is
// first to be shown; until then it keeps the state it was handed.
class FloaterHost : public FloaterView {
  public:
    explicit FloaterHost(Setup& setup) : setup_(setup) {}

    void Render(const FloaterState& state) override;
    FloaterWindow* Window() { return window_.get(); }

  private:
    Setup& setup_;
    std::unique_ptr<FloaterWindow> window_;
};

}  // namespace qc::ui
