#include "server/engine_process.h"

#include <QFileInfo>
#include <QStandardPaths>

namespace qc::server {

EngineProcess::EngineProcess(QString program) : program_(std::move(program)) {
    tick_.setInterval(200);
    QObject::connect(&tick_, &QTimer::timeout, this, [this] {
        if (engine_ != nullptr) {
            engine_->Tick(Clock::now());
        }
    });
}

EngineProcess::~EngineProcess() {
    if (process_ != nullptr) {
        process_->disconnect(this);
        process_->kill();
        process_->waitForFinished(1000);
        delete process_;
    }
}

void EngineProcess::Attach(UciEngine* engine) {
    engine_ = engine;
    tick_.start();
}

QString EngineProcess::Resolve(const QString& program) {
    if (program.contains('/')) {
        QFileInfo info(program);
        return info.isFile() && info.isExecutable() ? info.absoluteFilePath() : QString();
    }
    QString found = QStandardPaths::findExecutable(program);
    if (found.isEmpty()) {
        found = QStandardPaths::findExecutable(program, {"/usr/games"});
    }
    return found;
}

void EngineProcess::Start() {
    Stop();
    auto* process = new QProcess(this);
    process_ = process;
    const int generation = ++generation_;
    process->setProgram(program_);
    process->setStandardErrorFile(QProcess::nullDevice());
    QObject::connect(process, &QProcess::readyReadStandardOutput, this,
                     [this, process] { ReadLines(process); });
    // Reported from the event loop: a failed start may be signalled from
    // within start() itself.
    QObject::connect(process, &QProcess::finished, this, [this, generation] {
        QTimer::singleShot(0, this, [this, generation] { Exited(generation); });
    });
    QObject::connect(
        process, &QProcess::errorOccurred, this, [this, generation](QProcess::ProcessError error) {
            if (error == QProcess::FailedToStart) {
                QTimer::singleShot(0, this, [this, generation] { Exited(generation); });
            }
        });
    process->start(QIODevice::ReadWrite);
}

void EngineProcess::Stop() {
    QProcess* process = process_;
    if (process == nullptr) {
        return;
    }
    process_ = nullptr;
    process->disconnect(this);
    if (process->state() == QProcess::NotRunning) {
        process->deleteLater();
        return;
    }
    QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
    process->kill();
}

void EngineProcess::Write(std::string_view line) {
    if (process_ == nullptr) {
        return;
    }
    QByteArray bytes(line.data(), static_cast<qsizetype>(line.size()));
    bytes.append('\n');
    process_->write(bytes);
}

void EngineProcess::ReadLines(QProcess* process) {
    while (process == process_ && engine_ != nullptr && process->canReadLine()) {
        const QByteArray line = process->readLine();
        engine_->OnLine(std::string_view(line.constData(), static_cast<std::size_t>(line.size())),
                        Clock::now());
    }
}

void EngineProcess::Exited(int generation) {
    // Only the running process counts; one that was stopped is forgotten.
    if (process_ != nullptr && generation == generation_ && engine_ != nullptr) {
        engine_->OnExited(Clock::now());
    }
}

}  // namespace qc::server
