#pragma once

#include <QColor>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPoint>
#include <QPointer>
#include <QSize>
#include <QString>
#include <memory>
#include <string>

#include "client/core/window_views.h"

// What the settings window and the two account windows share: the dark
// look, the boxes and their labels, placement in twips, and the hosts that
// build a window only when it is first opened.
namespace qc::ui {

inline const QColor kDialogText(0, 153, 255);

// Black window, blue text, dark boxes; disabled controls dimmed so that a
// window waiting for a child window looks it. The small dialog font the
// windows were designed around.
void ApplyDarkLook(QWidget* window);
// Visible edges for the window's boxes, check squares and option circles;
// called once the controls exist.
void OutlineBoxes(QWidget* window);

// A box that reports losing the focus to another control of its window.
// Merely leaving the window (another window activated, a menu popping up)
// is no leaving of the box: the focus comes back to it.
class FocusLineEdit : public QLineEdit {
    Q_OBJECT
  public:
    using QLineEdit::QLineEdit;

  signals:
    void FocusLost();

  protected:
    void focusOutEvent(QFocusEvent* event) override;
};

// Shows every typed character as "*".
void MaskWithStars(QLineEdit* box);

// A caption whose access key ("&") moves the focus to `buddy`.
QLabel* BuddyLabel(const QString& text, QWidget* buddy, QWidget* parent);
// A label for text that may come from elsewhere: never read as markup.
QLabel* PlainLabel(const QString& text, QWidget* parent);

// Puts `text` into the box unless it is already there, keeping the cursor
// where the user left it as far as the new text allows.
void SetBoxText(QLineEdit* box, const QString& text);
// For boxes whose state holds the wire text of what was typed: the box is
// left alone while its text reads as that wire text, so a character the
// wire cannot carry stays as typed (and is refused later) instead of being
// swapped for another one under the user's eyes.
void SetBoxWire(QLineEdit* box, const std::string& wire);

// Twips to and from Qt's pixels.
int Pixels(double twips);
WindowRect Twips(const QRect& pixels);

// Where a window of `size` pixels stands centred over `parent` (twips),
// kept on the screen that holds the parent's centre.
QPoint CentredOver(const WindowRect& parent, const QSize& size);

// Shows a child window centred over its parent, in front, with the focus.
void OpenCentred(QWidget* window, const WindowRect& parent);

// A child window's opening and closing: the window that had the focus when
// it opened gets it back when it closes.
class ChildOpening {
  public:
    void Open(QWidget* window, QWidget* firstBox, const WindowRect& parent);
    void Close(QWidget* window);

  private:
    QPointer<QWidget> opener_;
};

}  // namespace qc::ui
