#pragma once

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <array>

#include "client/core/settings/settings_window.h"
#include "client/ui/account/dialog_parts.h"
#include "client/ui/lazy_host.h"

namespace qc::ui {

// "Settings": the account, the preferences kept on this computer, the ones
// kept with the account, and the game slots and SMS credits. It draws the
// state the core's SettingsWindow hands it and passes each edit and click
// back; nothing here takes effect before the core's OK.
class SettingsWidget : public QDialog, public settings::SettingsView {
    Q_OBJECT
  public:
    explicit SettingsWidget(settings::SettingsWindow& logic);

    void Render(const settings::SettingsWindowState& state) override;
    void Open(const WindowRect& at) override;
    void Raise() override;
    void Close() override;
    WindowRect Geometry() const override;

    // Esc, and the title bar's close button through closeEvent.
    void reject() override;

    // The design size, in twips.
    static constexpr double kDesignWidth = 10320;
    static constexpr double kDesignHeight = 6120;

    QLineEdit* QvidBox() { return qvid_; }
    QLineEdit* PasswordBox() { return password_; }
    QCheckBox* Box(settings::SettingsBox box) { return boxes_[static_cast<std::size_t>(box)]; }
    QRadioButton* AlwaysListOption() { return alwaysList_; }
    QRadioButton* GameWindowOption() { return gameWindow_; }
    QRadioButton* MyTimeOption() { return myTime_; }
    QRadioButton* ServerTimeOption() { return serverTime_; }
    QLabel* SlotsLab() { return slots_; }
    QLabel* TextsLab() { return texts_; }
    QPushButton* Button(const char* name) {
        return findChild<QPushButton*>(QString::fromLatin1(name));
    }

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    QCheckBox* MakeBox(settings::SettingsBox box, const char* name, const QString& caption,
                       QWidget* parent);
    QPushButton* MakeButton(const char* name, const QString& caption, QWidget* parent,
                            void (settings::SettingsWindow::*action)());
    QRadioButton* MakeOption(const char* name, const QString& caption, QWidget* parent,
                             QButtonGroup* group, void (settings::SettingsWindow::*choose)(bool),
                             bool value);
    void MoveFocus(SettingsFocus where);

    settings::SettingsWindow& logic_;
    FocusLineEdit* qvid_ = nullptr;
    FocusLineEdit* password_ = nullptr;
    std::array<QCheckBox*, settings::kSettingsBoxes> boxes_{};
    QRadioButton* alwaysList_ = nullptr;
    QRadioButton* gameWindow_ = nullptr;
    QRadioButton* myTime_ = nullptr;
    QRadioButton* serverTime_ = nullptr;
    QPushButton* chooseSound_ = nullptr;
    QLabel* slots_ = nullptr;
    QLabel* texts_ = nullptr;
    // The control that had the focus when a child window disabled this one.
    QPointer<QWidget> focusBeforeDisabled_;
    int focusSerial_ = 0;
    bool rendering_ = false;
};

// Builds the window when it is first opened: most sessions never open it.
struct SettingsHost : LazyHost<settings::SettingsWindowState, SettingsWidget> {
    explicit SettingsHost(settings::SettingsWindow& logic)
        : LazyHost(BuildWith<SettingsWidget>(logic)) {}
};

}  // namespace qc::ui
