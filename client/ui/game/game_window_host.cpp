#include "client/ui/game/game_window_widget.h"

#include <QKeyEvent>

// The chat input's keys and the host that builds the window on first use.
namespace qc::ui {

// ---------------------------------------------------------------- chat input

void ChatInput::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        // A held key repeats its press: one line goes out per press.
        if (!event->isAutoRepeat()) {
            emit SendRequested();
        }
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

// ---------------------------------------------------------------- host

GameWindowHost::GameWindowHost(game::GameWindow& logic) : logic_(logic) {}

GameWindowHost::~GameWindowHost() = default;

void GameWindowHost::Render(const game::GameWindowState& state) {
    state_ = state;
    if (window_ != nullptr) {
        window_->Render(state);
    }
}

void GameWindowHost::Open(double leftTwips, double topTwips) {
    if (window_ == nullptr) {
        window_ = std::make_unique<GameWindowWidget>(logic_);
        window_->Render(state_);
    }
    window_->Open(leftTwips, topTwips);
}

void GameWindowHost::Raise() {
    if (window_ != nullptr) {
        window_->Raise();
    }
}

void GameWindowHost::Close() {
    if (window_ != nullptr) {
        window_->Close();
    }
}

double GameWindowHost::Left() const {
    return window_ != nullptr ? window_->Left() : 0;
}

double GameWindowHost::Top() const {
    return window_ != nullptr ? window_->Top() : 0;
}

}  // namespace qc::ui
