#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "client/core/lobby/new_game_forms.h"
#include "client/ui/lazy_host.h"

class QGridLayout;

namespace qc::ui {

// "Request Game", "Local Game" or "Play Against Bot": a small fixed-size
// form that starts a new game. It draws the state the core's form hands it
// and passes every edit and click back; Enter starts, Esc and the title
// bar's close button cancel.
class NewGameFormWidget : public QDialog, public lobby::NewGameFormView {
    Q_OBJECT
  public:
    explicit NewGameFormWidget(lobby::NewGameForm& logic);

    void Render(const lobby::NewGameFormState& state) override;
    // Places the form; it keeps its own size.
    void Open(const lobby::WindowRect& at) override;
    void Raise() override;
    void Close() override;
    lobby::WindowRect Geometry() const override;

    lobby::NewGameForm& Logic() { return logic_; }
    // The controls the form has; null for those of the other kinds.
    QComboBox* ReqFor() { return reqFor_; }
    QComboBox* GameType() { return gameType_; }
    QComboBox* SkillLevel() { return skillLevel_; }
    QLineEdit* MoveTime() { return moveTime_; }
    QComboBox* TimeUnits() { return timeUnits_; }
    QRadioButton* White() { return white_; }
    QRadioButton* Black() { return black_; }
    QCheckBox* Box(const QString& name) { return findChild<QCheckBox*>(name); }
    QPushButton* Button(const QString& name) { return findChild<QPushButton*>(name); }
    QLabel* Notice() { return notice_; }

  public slots:
    // Esc: the core decides, and closes the form.
    void reject() override;

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QLabel* AddLabel(QGridLayout* grid, int row, const char* name, const QString& text,
                     QWidget* buddy);
    QLabel* AddNote(QGridLayout* grid, int row, const char* name, const QString& text);
    QComboBox* MakeList(const char* name);
    QCheckBox* MakeBox(const char* name, const QString& caption,
                       void (lobby::NewGameForm::*set)(bool));
    QPushButton* MakeButton(const char* name, const QString& caption,
                            void (*action)(NewGameFormWidget&));
    void AddGameType(QGridLayout* grid, int row);
    void AddColour(QGridLayout* grid, int row);
    void AddMoveTime(QGridLayout* grid, int row, const QString& label);
    // The control that has the focus when the form opens.
    QWidget* First() const;

    lobby::NewGameForm& logic_;
    QComboBox* reqFor_ = nullptr;
    QComboBox* gameType_ = nullptr;
    QComboBox* skillLevel_ = nullptr;
    QLineEdit* moveTime_ = nullptr;
    QComboBox* timeUnits_ = nullptr;
    QRadioButton* white_ = nullptr;
    QRadioButton* black_ = nullptr;
    QCheckBox* cancelOnDC_ = nullptr;
    QCheckBox* noGuests_ = nullptr;
    QCheckBox* emailMe_ = nullptr;
    QCheckBox* textMe_ = nullptr;
    QLabel* notice_ = nullptr;
    // Set while the state is copied onto the controls: none of that is the
    // user's doing.
    bool rendering_ = false;
};

using NewGameFormHost = LazyHost<lobby::NewGameFormState, NewGameFormWidget>;

}  // namespace qc::ui
