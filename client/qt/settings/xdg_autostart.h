#pragma once

#include <QString>

#include "client/platform/autostart.h"

namespace qc::qt {

// The autostart entry of freedesktop.org sessions: a desktop entry file whose
// Exec line runs the program. Present when the file exists.
class XdgAutostart : public platform::Autostart {
  public:
    XdgAutostart(QString entryPath, QString programPath);

    bool IsPresent() override;
    bool Write() override;
    bool Remove() override;

  private:
    QString entryPath_;
    QString programPath_;
};

}  // namespace qc::qt
