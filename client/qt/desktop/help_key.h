#pragma once

#include <QObject>

#include <functional>

class QCoreApplication;
class QEvent;

namespace qc::qt {

// The help key: releasing F1 in any window of the program calls the help
// callback. One filter on the application serves every window, including
// those created later; nothing else is filtered and F1's press does nothing.
class HelpKey final : public QObject {
    Q_OBJECT

  public:
    explicit HelpKey(std::function<void()> onHelp, QObject* parent = nullptr);

    // Creates the filter as a child of the application and installs it there.
    static HelpKey* Install(QCoreApplication& app, std::function<void()> onHelp);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    std::function<void()> onHelp_;
};

}  // namespace qc::qt
