#include "client/ui/game/banner_label.h"

#include <QBuffer>
#include <QImageReader>
#include <QMouseEvent>

namespace qc::ui {

BannerLabel::BannerLabel(QWidget* parent) : QLabel(parent) {
    setObjectName(QStringLiteral("Banner"));
    setAlignment(Qt::AlignCenter);
}

void BannerLabel::SetPicture(const std::string* bytes) {
    picture_ = QPixmap();
    if (bytes != nullptr && !bytes->empty()) {
        QByteArray data(bytes->data(), static_cast<qsizetype>(bytes->size()));
        QBuffer buffer(&data);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer);
        // The size is read from the header before anything is decoded: a
        // picture that claims to be huge is never allocated.
        const QSize size = reader.size();
        if (size.isValid() && static_cast<qint64>(size.width()) * size.height() <= kMaxPixels) {
            const QImage image = reader.read();
            if (!image.isNull()) {
                picture_ = QPixmap::fromImage(image);
            }
        }
    }
    Fit();
}

void BannerLabel::SetLinked(bool linked) {
    setCursor(linked ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

void BannerLabel::Fit() {
    if (picture_.isNull()) {
        clear();
        return;
    }
    // Never enlarged; made smaller to fit its strip.
    if (picture_.width() <= width() && picture_.height() <= height()) {
        setPixmap(picture_);
    } else {
        setPixmap(picture_.scaled(size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
    }
}

void BannerLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    Fit();
}

void BannerLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) &&
        clicked) {
        clicked();
    }
    QLabel::mouseReleaseEvent(event);
}

}  // namespace qc::ui
