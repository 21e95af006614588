#pragma once

#include <QElapsedTimer>
#include <QIcon>
#include <QObject>
#include <QSystemTrayIcon>
#include <functional>
#include <memory>

#include "client/platform/media.h"
#include "client/platform/tray.h"

class QMenu;
class QSoundEffect;

namespace qc::qt {

// The four status pictures, drawn at run time: a knight on a coloured disc.
QIcon StatusIcon(platform::TrayPicture picture, int size = 32);

// The notification-area icon. Qt's activations become the mouse messages of
// the notification callback (513.. left, 516.. right), so the core decodes
// them as on every other platform.
class QtTray : public QObject, public platform::TrayService {
    Q_OBJECT
  public:
    explicit QtTray(std::function<void(int message)> deliver);
    ~QtTray() override;

    bool Add(const platform::TrayRecord& record) override;
    bool Modify(const platform::TrayRecord& record) override;
    bool Delete() override;

    void SetContextMenu(QMenu* menu);
    bool Available() const;
    QSystemTrayIcon* Icon() { return icon_.get(); }

    // Turns an activation into messages; public for tests.
    void Activated(QSystemTrayIcon::ActivationReason reason);

  private:
    void Apply(const platform::TrayRecord& record);

    std::function<void(int)> deliver_;
    std::unique_ptr<QSystemTrayIcon> icon_;
    QElapsedTimer lastTrigger_;
    bool triggerPending_ = false;
    bool nativeDoubleClick_ = false;
    QElapsedTimer lastSyntheticDouble_;
};

// Plays wave files under an alias, from the media command strings.
class QtMedia : public QObject, public platform::MediaControl {
    Q_OBJECT
  public:
    QtMedia();
    ~QtMedia() override;
    bool SendCommand(const std::string& command) override;

  private:
    struct Alias;
    std::unique_ptr<Alias> alias_;
};

}  // namespace qc::qt
