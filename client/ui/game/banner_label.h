#pragma once

#include <QLabel>
#include <QPixmap>
#include <functional>
#include <string>

namespace qc::ui {

// The game window's advertisement: the picture the server sent, fitted into
// its strip, and a pointing hand over it when a click opens a page.
class BannerLabel : public QLabel {
    Q_OBJECT
  public:
    explicit BannerLabel(QWidget* parent);

    // Decodes the picture file; what cannot be read, or is too large to be a
    // banner, shows nothing.
    void SetPicture(const std::string* bytes);
    void SetLinked(bool linked);
    bool HasPicture() const { return !picture_.isNull(); }

    std::function<void()> clicked;

    // The largest picture decoded, in pixels.
    static constexpr int kMaxPixels = 4 * 1024 * 1024;

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void Fit();

    QPixmap picture_;
};

}  // namespace qc::ui
