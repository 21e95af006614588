#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QToolButton>
#include <QWidget>
#include <array>
#include <memory>

#include "client/core/game/game_window.h"
#include "client/ui/game/banner_label.h"
#include "client/ui/game/board_widget.h"

namespace qc::ui {

// The one-line chat input. Return or Enter, pressed (not held down), asks
// for the line to be sent; the box itself never reacts to them.
class ChatInput : public QLineEdit {
    Q_OBJECT
  public:
    using QLineEdit::QLineEdit;

  signals:
    void SendRequested();

  protected:
    void keyPressEvent(QKeyEvent* event) override;
};

// The game window: board, taken pieces, the game's texts, the move log and
// the game's buttons and boxes. It draws the state the core's GameWindow
// hands it and passes the user's clicks back; it computes nothing.
class GameWindowWidget : public QWidget, public game::GameWindowView {
    Q_OBJECT
  public:
    explicit GameWindowWidget(game::GameWindow& logic);
    ~GameWindowWidget() override;

    void Render(const game::GameWindowState& state) override;
    void Open(double leftTwips, double topTwips) override;
    void Raise() override;
    void Close() override;
    double Left() const override;
    double Top() const override;

    BoardWidget* Board() { return board_; }
    TakenStripWidget* LeftStrip() { return leftStrip_; }
    TakenStripWidget* RightStrip() { return rightStrip_; }
    MoveLightWidget* MoveLight() { return light_; }
    QTableWidget* MoveLog() { return moveLog_; }
    QLabel* RowLab(int i) { return rowLabs_[static_cast<std::size_t>(i)]; }
    QLabel* ColLab(int i) { return colLabs_[static_cast<std::size_t>(i)]; }
    // The promotion chooser, once it has been opened.
    QDialog* Promote() { return promote_; }
    QToolButton* PromoteTo(int i) { return promoteTo_[static_cast<std::size_t>(i)]; }
    QComboBox* CurrentGame() { return currentGame_; }
    QPlainTextEdit* Chat() { return chat_; }
    QLineEdit* ChatOut() { return chatOut_; }
    BannerLabel* Banner() { return banner_; }

    static const QColor kText;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    QLabel* MakeLabel(const char* name, const QString& text, QWidget* parent);
    QCheckBox* MakeBox(const char* name, const QString& caption, QWidget* parent,
                       void (*action)(game::GameWindow&, bool));
    QPushButton* MakeButton(const char* name, const QString& caption, QWidget* parent,
                            void (*action)(game::GameWindow&));
    void RenderMoveLog(const game::GameWindowState& state);
    void RenderChooser(const game::GameWindowState& state);
    void RenderChat(const game::GameWindowState& state);
    void ApplyLayout(const game::GameWindowState& state);
    // The whole line goes to the logic; the box is emptied only once it went out.
    void SendChat();
    void RenderPromotion(const game::PromotionState& p);
    void BuildPromote();
    // Closes the chooser without reporting a cancel: the state closed it.
    void DismissPromote();

    game::GameWindow& logic_;
    BoardWidget* board_ = nullptr;
    TakenStripWidget* leftStrip_ = nullptr;
    TakenStripWidget* rightStrip_ = nullptr;
    MoveLightWidget* light_ = nullptr;
    std::array<QLabel*, 8> rowLabs_{};
    std::array<QLabel*, 8> colLabs_{};
    QLabel* moveLab_ = nullptr;
    QLabel* statusLab_ = nullptr;
    QLabel* drawOfferedLab_ = nullptr;
    QLabel* moveTimeLab_ = nullptr;
    QLabel* startedLab_ = nullptr;
    QLabel* moveByEndedLab_ = nullptr;
    QLabel* moveByLab_ = nullptr;
    QLabel* timeLeftOutcomeLab_ = nullptr;
    QLabel* timeLeftLab_ = nullptr;
    QLabel* textsLab_ = nullptr;
    QTableWidget* moveLog_ = nullptr;
    QPushButton* resign_ = nullptr;
    QPushButton* offerDraw_ = nullptr;
    QPushButton* castleA_ = nullptr;
    QPushButton* castleH_ = nullptr;
    QCheckBox* showLast1_ = nullptr;
    QCheckBox* showLast2_ = nullptr;
    QCheckBox* showPoss_ = nullptr;
    QCheckBox* emailMe_ = nullptr;
    QCheckBox* textMe_ = nullptr;
    QPushButton* buyTexts_ = nullptr;
    QComboBox* currentGame_ = nullptr;
    QPushButton* hideLog_ = nullptr;
    QPushButton* hideChat_ = nullptr;
    QWidget* logStrip_ = nullptr;
    QWidget* chatStrip_ = nullptr;
    QWidget* notifyCorner_ = nullptr;
    QPlainTextEdit* chat_ = nullptr;
    ChatInput* chatOut_ = nullptr;
    QPushButton* chatSend_ = nullptr;
    BannerLabel* banner_ = nullptr;
    QDialog* promote_ = nullptr;
    std::array<QToolButton*, 4> promoteTo_{};
    bool dismissing_ = false;
    // What is on the controls, so that a render touches only what changed.
    game::GameWindowState shown_;
    bool drawn_ = false;
};

// Stands for the game window until it is first opened, and only then builds
// it; until then it keeps the state it was handed.
class GameWindowHost : public game::GameWindowView {
  public:
    explicit GameWindowHost(game::GameWindow& logic);
    ~GameWindowHost() override;

    void Render(const game::GameWindowState& state) override;
    void Open(double leftTwips, double topTwips) override;
    void Raise() override;
    void Close() override;
    double Left() const override;
    double Top() const override;

    GameWindowWidget* Window() { return window_.get(); }

  private:
    game::GameWindow& logic_;
    std::unique_ptr<GameWindowWidget> window_;
    game::GameWindowState state_;
};

}  // namespace qc::ui
