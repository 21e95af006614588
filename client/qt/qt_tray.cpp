#include "client/qt/qt_tray.h"

#include <QApplication>
#include <QFont>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QSoundEffect>
#include <QStyleHints>

#include "client/qt/qt_platform.h"
#ifdef QC_HAVE_DBUS
#include "client/qt/desktop/desktop_notifier.h"
#endif

namespace qc::qt {

QIcon StatusIcon(platform::TrayPicture picture, int size) {
    QColor fill;
    switch (picture) {
        case platform::TrayPicture::Grey:
            fill = QColor(128, 128, 128);
            break;
        case platform::TrayPicture::Red:
            fill = QColor(200, 32, 32);
            break;
        case platform::TrayPicture::Green:
            fill = QColor(24, 160, 64);
            break;
        case platform::TrayPicture::Amber:
            fill = QColor(240, 160, 0);
            break;
    }
    QIcon icon;
    for (int s : {16, 22, 24, 32, 48, size}) {
        QPixmap pm(s, s);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(fill.darker(160), std::max(1, s / 16)));
        p.setBrush(fill);
        p.drawEllipse(QRectF(0.5, 0.5, s - 1.0, s - 1.0));
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(s * 3 / 4);
        p.setFont(font);
        p.setPen(Qt::white);
        p.drawText(QRect(0, 0, s, s), Qt::AlignCenter, QString(QChar(0x265E)));
        p.end();
        icon.addPixmap(pm);
    }
    return icon;
}

QtTray::QtTray() : icon_(std::make_unique<QSystemTrayIcon>()) {
    connect(icon_.get(), &QSystemTrayIcon::activated, this, &QtTray::Activated);
    connect(icon_.get(), &QSystemTrayIcon::messageClicked, this, [this] {
        if (onMessageClicked && balloonId_ != 0) {
            onMessageClicked(balloonId_);
        }
    });
}

QtTray::~QtTray() = default;

void QtTray::ShowMessage(int id, const std::string& title, const std::string& text) {
#ifdef QC_HAVE_DBUS
    if (notifier_ == nullptr) {
        notifier_ = std::make_unique<DesktopNotifier>();
        notifier_->clicked = [this](int shown) {
            if (onMessageClicked) {
                onMessageClicked(shown);
            }
        };
    }
    if (notifier_->Available()) {
        notifier_->Show(id, FromWire(title), FromWire(text));
        return;
    }
#endif
    balloonId_ = id;
    icon_->showMessage(FromWire(title), FromWire(text), QSystemTrayIcon::Information, 10000);
}

void QtTray::Emit(platform::TrayEvent event) {
    if (onEvent) {
        onEvent(event);
    }
}

bool QtTray::Available() const {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void QtTray::SetContextMenu(QMenu* menu) {
    icon_->setContextMenu(menu);
}

void QtTray::Apply(const platform::TrayRecord& record) {
    icon_->setIcon(StatusIcon(record.picture));
    QString tip = FromWire(record.tip);
    tip.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    icon_->setToolTip(tip);
}

bool QtTray::Add(const platform::TrayRecord& record) {
    Apply(record);
    icon_->show();
    return Available();
}

bool QtTray::Modify(const platform::TrayRecord& record) {
    Apply(record);
    return Available();
}

bool QtTray::Delete() {
    icon_->hide();
    return true;
}

void QtTray::Activated(QSystemTrayIcon::ActivationReason reason) {
    using platform::TrayEvent;
    const int interval = QGuiApplication::styleHints()->mouseDoubleClickInterval();
    switch (reason) {
        case QSystemTrayIcon::Trigger:
            Emit(TrayEvent::Click);
            // Trays that report no double click: two clicks within the
            // double-click interval are one.
            if (!nativeDoubleClick_ && triggerPending_ && lastTrigger_.elapsed() <= interval) {
                triggerPending_ = false;
                lastSyntheticDouble_.start();
                Emit(TrayEvent::DoubleClick);
            } else {
                triggerPending_ = true;
                lastTrigger_.start();
            }
            break;
        case QSystemTrayIcon::DoubleClick:
            nativeDoubleClick_ = true;
            triggerPending_ = false;
            if (!lastSyntheticDouble_.isValid() || lastSyntheticDouble_.elapsed() > interval) {
                Emit(TrayEvent::DoubleClick);
            }
            break;
        case QSystemTrayIcon::Context:
            Emit(TrayEvent::ContextMenu);
            break;
        default:
            break;
    }
}

QtSound::QtSound() = default;
QtSound::~QtSound() = default;

bool QtSound::Open(const std::filesystem::path& file) {
    if (effect_ != nullptr) {
        return false;  // still open
    }
    effect_ = std::make_unique<QSoundEffect>();
    effect_->setSource(QUrl::fromLocalFile(FromPath(file)));
    return true;
}

bool QtSound::Play() {
    if (effect_ == nullptr) {
        return false;
    }
    // Plays once loaded; without an audio device nothing is heard.
    effect_->play();
    return true;
}

void QtSound::Close() {
    if (effect_ != nullptr) {
        effect_->stop();
        effect_.reset();
    }
}

}  // namespace qc::qt
