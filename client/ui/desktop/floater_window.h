#pragma once

#include <QLabel>
#include <QWidget>
#include <memory>
#include <optional>
#include <string>

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

// Stands for the floating indicator and builds its window only when it is
// first made visible; until then it keeps what the window would show.
class FloaterHost : public FloaterView {
  public:
    explicit FloaterHost(Setup& setup) : setup_(setup) {}

    void SetPicture(platform::TrayPicture picture) override;
    void SetTooltip(const std::string& tooltip) override;
    void MoveTo(double leftTwips, double topTwips) override;
    double Left() const override;
    double Top() const override;
    void SetTopmost(bool topmost) override;
    void SetVisible(bool visible) override;
    bool IsVisible() const override { return window_ != nullptr && window_->IsVisible(); }

    FloaterWindow* Window() { return window_.get(); }

  private:
    Setup& setup_;
    std::unique_ptr<FloaterWindow> window_;
    platform::TrayPicture picture_ = platform::TrayPicture::Grey;
    std::optional<std::string> tooltip_;
    // In pixels, as the window would keep them.
    int x_ = 0;
    int y_ = 0;
    bool topmost_ = false;
};

}  // namespace qc::ui
