#pragma once

#include <QElapsedTimer>
#include <QIcon>
#include <QObject>
#include <QSystemTrayIcon>
#include <filesystem>
#include <functional>
#include <memory>

#include "client/platform/media.h"
#include "client/platform/tray.h"

class QMenu;
class QSoundEffect;

namespace qc::qt {

class DesktopNotifier;

// The four status pictures, drawn at run time: a knight on a coloured disc.
QIcon StatusIcon(platform::TrayPicture picture, int size = 32);

// The notification-area icon. Qt's activations become clicks, double clicks
// and context requests; on trays that report no double click, two clicks
// within the double-click interval are one.
class QtTray : public QObject, public platform::TrayService {
    Q_OBJECT
  public:
    QtTray();
    ~QtTray() override;

    bool Add(const platform::TrayRecord& record) override;
    bool Modify(const platform::TrayRecord& record) override;
    bool Delete() override;
    bool Available() const override;
    // Through the session's notification service where there is one, so
    // that clicks are reported; else the tray's own balloon.
    void ShowMessage(int id, const std::string& title, const std::string& text) override;

    void SetContextMenu(QMenu* menu);
    QSystemTrayIcon* Icon() { return icon_.get(); }

    // Turns an activation into messages; public for tests.
    void Activated(QSystemTrayIcon::ActivationReason reason);

  private:
    void Apply(const platform::TrayRecord& record);
    void Emit(platform::TrayEvent event);

    std::unique_ptr<QSystemTrayIcon> icon_;
    QElapsedTimer lastTrigger_;
    bool triggerPending_ = false;
    bool nativeDoubleClick_ = false;
    QElapsedTimer lastSyntheticDouble_;
    // Made on the first notification.
    std::unique_ptr<DesktopNotifier> notifier_;
    // The balloon shown last: Qt reports a click without saying which.
    int balloonId_ = 0;
};

// Plays a wave file. Nothing of Qt Multimedia is created before the first
// Open, and Close releases it again, so an idle program holds no sound.
class QtSound : public platform::SoundPlayer {
  public:
    QtSound();
    ~QtSound() override;
    bool Open(const std::filesystem::path& file) override;
    bool Play() override;
    void Close() override;
    bool IsOpen() const { return effect_ != nullptr; }

  private:
    std::unique_ptr<QSoundEffect> effect_;
};

}  // namespace qc::qt
