#include "client/ui/account/dialog_parts.h"

#include <QApplication>

#include <QCheckBox>
#include <QGuiApplication>
#include <QPalette>
#include <QProxyStyle>
#include <QRadioButton>
#include <QScreen>
#include <algorithm>
#include <cmath>

#include "client/qt/qt_platform.h"

namespace qc::ui {

namespace {

// Draws a password box's hidden characters as "*".
class StarStyle : public QProxyStyle {
  public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* data) const override {
        if (hint == SH_LineEdit_PasswordCharacter) {
            return '*';
        }
        return QProxyStyle::styleHint(hint, option, widget, data);
    }
};

}  // namespace

// Colours by palette alone: a style sheet would give every control under it
// a palette of its own and undo these.
void ApplyDarkLook(QWidget* window) {
    QFont small = window->font();
    small.setPointSizeF(std::min(small.pointSizeF(), 8.0));
    window->setFont(small);
    QPalette pal = window->palette();
    const QColor box(32, 32, 32);
    const QColor dim(0, 77, 128);
    for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        const bool off = g == QPalette::Disabled;
        pal.setColor(g, QPalette::Window, Qt::black);
        pal.setColor(g, QPalette::WindowText, off ? dim : kDialogText);
        pal.setColor(g, QPalette::Base, box);
        pal.setColor(g, QPalette::AlternateBase, box);
        pal.setColor(g, QPalette::Text, off ? dim : kDialogText);
        pal.setColor(g, QPalette::PlaceholderText, dim);
        pal.setColor(g, QPalette::Highlight, off ? dim : kDialogText);
        pal.setColor(g, QPalette::HighlightedText, Qt::black);
    }
    window->setPalette(pal);
    window->setAutoFillBackground(true);
}

void OutlineBoxes(QWidget* window) {
    // The style outlines boxes and check squares in a shade of the window
    // colour, which on black would be black: give them a grey one. These
    // controls fill no background of their own, so nothing else changes.
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (qobject_cast<QLineEdit*>(w) != nullptr || qobject_cast<QCheckBox*>(w) != nullptr ||
            qobject_cast<QRadioButton*>(w) != nullptr) {
            QPalette pal = w->palette();
            pal.setColor(QPalette::Window, QColor(150, 150, 150));
            w->setPalette(pal);
        }
    }
}

void FocusLineEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    if (event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason) {
        emit FocusLost();
    }
}

void MaskWithStars(QLineEdit* box) {
    box->setEchoMode(QLineEdit::Password);
    auto* style = new StarStyle;
    style->setParent(box);
    box->setStyle(style);
}

QLabel* BuddyLabel(const QString& text, QWidget* buddy, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setBuddy(buddy);
    label->setText(text);
    return label;
}

QLabel* PlainLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    return label;
}

void SetBoxText(QLineEdit* box, const QString& text) {
    if (box->text() == text) {
        return;
    }
    const int cursor = box->cursorPosition();
    box->setText(text);
    box->setCursorPosition(std::min(cursor, static_cast<int>(text.size())));
}

void SetBoxWire(QLineEdit* box, const std::string& wire) {
    if (qt::ToWire(box->text()) != wire) {
        SetBoxText(box, qt::FromWire(wire));
    }
}

int Pixels(double twips) {
    return static_cast<int>(std::lround(twips / qt::kTwipsPerPixel));
}

WindowRect Twips(const QRect& pixels) {
    return {pixels.x() * qt::kTwipsPerPixel, pixels.y() * qt::kTwipsPerPixel,
            pixels.width() * qt::kTwipsPerPixel, pixels.height() * qt::kTwipsPerPixel};
}

QPoint CentredOver(const WindowRect& parent, const QSize& size) {
    const QRect over(Pixels(parent.left), Pixels(parent.top), Pixels(parent.width),
                     Pixels(parent.height));
    QPoint at(over.x() + (over.width() - size.width()) / 2,
              over.y() + (over.height() - size.height()) / 2);
    QScreen* screen = QGuiApplication::screenAt(over.center());
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    if (screen != nullptr) {
        // A parent near an edge must not push its child off the screen.
        const QRect room = screen->availableGeometry();
        at.setX(std::max(room.left(), std::min(at.x(), room.right() + 1 - size.width())));
        at.setY(std::max(room.top(), std::min(at.y(), room.bottom() + 1 - size.height())));
    }
    return at;
}

void OpenCentred(QWidget* window, const WindowRect& parent) {
    window->move(CentredOver(parent, window->frameGeometry().size()));
    window->show();
    window->raise();
    window->activateWindow();
}

void ChildOpening::Open(QWidget* window, QWidget* firstBox, const WindowRect& parent) {
    QWidget* active = QApplication::activeWindow();
    opener_ = active != window ? active : nullptr;
    firstBox->setFocus(Qt::OtherFocusReason);
    OpenCentred(window, parent);
}

void ChildOpening::Close(QWidget* window) {
    window->hide();
    if (opener_ != nullptr && opener_->isVisible()) {
        opener_->activateWindow();
    }
}

}  // namespace qc::ui
