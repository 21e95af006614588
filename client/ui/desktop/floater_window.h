#pragma once

#include <QLabel>
#include <QWidget>

#include "client/core/window_views.h"

namespace qc {
class Setup;
}

namespace qc::ui {

// The floating indicator: a 36 x 36 borderless window mirroring the tray
// icon. Mouse input goes to the controller in twips.
class FloaterWindow : public QWidget, public FloaterView {
    Q_OBJECT
  public:
    explicit FloaterWindow(Setup& setup);

    void SetPicture(platform::TrayPicture picture) override;
    void SetTooltip(const std::string& tooltip) override;
    void MoveTo(double leftTwips, double topTwips) override;
    double Left() const override;
    double Top() const override;
    void SetTopmost(bool topmost) override;
    void SetVisible(bool visible) override;
    bool IsVisible() const override { return isVisible(); }

    QLabel* FloatIcon() { return icon_; }

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    Setup& setup_;
    QLabel* icon_;
};

}  // namespace qc::ui
