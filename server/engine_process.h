#pragma once

#include <QObject>
#include <QProcess>
#include <QString>
#include <QTimer>

#include "server/core/uci_engine.h"

namespace qc::server {

// The chess engine as a child process: its output lines and its end go to
// the conversation, always from the event loop, never from within a call of
// the conversation's; a timer drives the conversation's time-outs.
class EngineProcess : public QObject, public EngineLink {
  public:
    explicit EngineProcess(QString program);
    ~EngineProcess() override;
    EngineProcess(const EngineProcess&) = delete;
    EngineProcess& operator=(const EngineProcess&) = delete;

    void Attach(UciEngine* engine);

    void Start() override;
    void Stop() override;
    void Write(std::string_view line) override;

    // The program to run for a name or path: a path as it is when it can be
    // run, a bare name looked up on PATH and then in /usr/games (where Debian
    // puts engines); empty when there is none.
    static QString Resolve(const QString& program);

  private:
    void ReadLines(QProcess* process);
    void Exited(int generation);

    QString program_;
    QProcess* process_ = nullptr;
    int generation_ = 0;  // of process_, counted up by each start
    UciEngine* engine_ = nullptr;
    QTimer tick_;
};

}  // namespace qc::server
