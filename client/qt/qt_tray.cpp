#include "client/qt/qt_tray.h"

#include <QApplication>
#include <QFont>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QRegularExpression>
#include <QSoundEffect>
#include <QStyleHints>

#include "client/qt/qt_platform.h"

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

QtTray::QtTray(std::function<void(int)> deliver) : deliver_(std::move(deliver)) {
    icon_ = std::make_unique<QSystemTrayIcon>();
    connect(icon_.get(), &QSystemTrayIcon::activated, this, &QtTray::Activated);
}

QtTray::~QtTray() = default;

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
    const int interval = QGuiApplication::styleHints()->mouseDoubleClickInterval();
    switch (reason) {
        case QSystemTrayIcon::Trigger:
            deliver_(513);
            deliver_(514);
            // Trays that report no double click: two clicks within the
            // double-click interval are one.
            if (!nativeDoubleClick_ && triggerPending_ && lastTrigger_.elapsed() <= interval) {
                triggerPending_ = false;
                lastSyntheticDouble_.start();
                deliver_(515);
                deliver_(514);
            } else {
                triggerPending_ = true;
                lastTrigger_.start();
            }
            break;
        case QSystemTrayIcon::DoubleClick:
            nativeDoubleClick_ = true;
            triggerPending_ = false;
            if (!lastSyntheticDouble_.isValid() || lastSyntheticDouble_.elapsed() > interval) {
                deliver_(515);
                deliver_(514);
            }
            break;
        case QSystemTrayIcon::Context:
            deliver_(516);
            deliver_(517);
            break;
        default:
            break;
    }
}

struct QtMedia::Alias {
    QString name;
    std::unique_ptr<QSoundEffect> effect;
};

QtMedia::QtMedia() = default;
QtMedia::~QtMedia() = default;

bool QtMedia::SendCommand(const std::string& command) {
    const QString cmd = FromWire(command);
    static const QRegularExpression open(
        QStringLiteral("^open \"([^\"]*)\" type waveaudio alias (\\S+)$"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression play(QStringLiteral("^play (\\S+)$"),
                                         QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression close(QStringLiteral("^close (\\S+)$"),
                                          QRegularExpression::CaseInsensitiveOption);
    if (const auto m = open.match(cmd); m.hasMatch()) {
        if (alias_ != nullptr) {
            return false;  // the alias is still open
        }
        alias_ = std::make_unique<Alias>();
        alias_->name = m.captured(2);
        alias_->effect = std::make_unique<QSoundEffect>();
        alias_->effect->setSource(QUrl::fromLocalFile(m.captured(1)));
        return true;
    }
    if (const auto m = play.match(cmd); m.hasMatch()) {
        if (alias_ == nullptr || alias_->name.compare(m.captured(1), Qt::CaseInsensitive) != 0) {
            return false;
        }
        // Plays once loaded; without an audio device nothing is heard.
        alias_->effect->play();
        return true;
    }
    if (const auto m = close.match(cmd); m.hasMatch()) {
        if (alias_ == nullptr || alias_->name.compare(m.captured(1), Qt::CaseInsensitive) != 0) {
            return false;
        }
        alias_->effect->stop();
        alias_.reset();
        return true;
    }
    return false;
}

}  // namespace qc::qt
