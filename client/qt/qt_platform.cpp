#include "client/qt/qt_platform.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDateTime>
#include <QDialog>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHostInfo>
#include <QLocale>
#include <QMessageBox>
#include <QNetworkDatagram>
#include <QTimer>

#include "client/core/account/cp1252.h"
#include "client/core/text.h"

namespace qc::qt {

QString FromWire(const std::string& bytes) {
    return QString::fromStdU16String(Cp1252ToUtf16(bytes));
}

std::string ToWire(const QString& text) {
    return Utf16ToCp1252(text.toStdU16String());
}

std::filesystem::path ToPath(const QString& path) {
#ifdef _WIN32
    return std::filesystem::path(path.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(path).toStdString());
#endif
}

QString FromPath(const std::filesystem::path& path) {
#ifdef _WIN32
    return QString::fromStdWString(path.native());
#else
    return QFile::decodeName(QByteArray::fromStdString(path.native()));
#endif
}

namespace {

QuitGate* currentGate = nullptr;

// Ends the innermost modal box's loop as if it had been dismissed.
void CloseTopModal() {
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* dialog = qobject_cast<QDialog*>(modal)) {
        dialog->reject();
    } else if (modal != nullptr) {
        modal->close();
    }
}

}  // namespace

QuitGate::QuitGate(std::function<void()> quit) : quit_(std::move(quit)) {
    currentGate = this;
}

QuitGate::~QuitGate() {
    if (currentGate == this) {
        currentGate = nullptr;
    }
}

QuitGate* QuitGate::Current() {
    return currentGate;
}

QuitGate::Nested::Nested() {
    if (currentGate != nullptr) {
        ++currentGate->depth_;
    }
}

QuitGate::Nested::~Nested() {
    if (currentGate == nullptr) {
        return;
    }
    --currentGate->depth_;
    if (!currentGate->pending_) {
        return;
    }
    if (currentGate->depth_ == 0) {
        currentGate->Schedule();
    } else {
        // A box below this one is still open: close it once its loop runs.
        QMetaObject::invokeMethod(QCoreApplication::instance(), CloseTopModal,
                                  Qt::QueuedConnection);
    }
}

void QuitGate::RequestQuit() {
    pending_ = true;
    if (depth_ == 0) {
        Schedule();
        return;
    }
    // End the boxes' loops; the last one to close schedules the quit.
    CloseTopModal();
}

void QuitGate::Schedule() {
    if (scheduled_) {
        return;
    }
    scheduled_ = true;
    // Posted, so that it runs from the main loop after the handler that
    // opened the last box has returned.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [this] {
            if (depth_ > 0) {
                scheduled_ = false;
                return;
            }
            quit_();
        },
        Qt::QueuedConnection);
}

namespace {

class QtTimer : public platform::Timer {
  public:
    QtTimer(int interval, std::function<void()> onTick) {
        timer_.setInterval(interval);
        QObject::connect(&timer_, &QTimer::timeout, [tick = std::move(onTick)] { tick(); });
    }
    void SetInterval(int ms) override { timer_.setInterval(ms); }
    int Interval() const override { return timer_.interval(); }
    void SetEnabled(bool enabled) override {
        // Enabling a running timer keeps its phase.
        if (enabled && !timer_.isActive()) {
            timer_.start();
        } else if (!enabled) {
            timer_.stop();
        }
    }
    bool Enabled() const override { return timer_.isActive(); }

  private:
    QTimer timer_;
};

}  // namespace

std::unique_ptr<platform::Timer> QtTimerFactory::CreateTimer(int intervalMs,
                                                             std::function<void()> onTick) {
    return std::make_unique<QtTimer>(intervalMs, std::move(onTick));
}

platform::CivilTime QtClock::LocalNow() const {
    const QDateTime now = QDateTime::currentDateTime();
    const QDate d = now.date();
    const QTime t = now.time();
    return {d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second()};
}

std::string QtDateTimeFormat::DateTime(const platform::CivilTime& t) {
    const QLocale locale;
    QString format = locale.dateFormat(QLocale::ShortFormat) + QLatin1Char(' ') +
                     locale.timeFormat(QLocale::LongFormat);
    // The long time format may name the time zone: these times have none.
    format.remove(QLatin1Char('t')).replace(QStringLiteral("  "), QStringLiteral(" "));
    const QDateTime dt(QDate(t.year, t.month, t.day), QTime(t.hour, t.minute, t.second));
    return ToWire(locale.toString(dt, format.trimmed()));
}

std::string QtDateTimeFormat::Date(const platform::CivilTime& t) {
    return ToWire(QLocale().toString(QDate(t.year, t.month, t.day), QLocale::ShortFormat));
}

std::string QtDateTimeFormat::Fixed(double value, int decimals) {
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return ToWire(locale.toString(value, 'f', decimals));
}

void QtEventLoop::ProcessPendingEvents() {
    const QuitGate::Nested nested;
    QCoreApplication::processEvents();
}

platform::MessageAnswer QtDialogs::MessageBox(const std::string& text,
                                              platform::MessageButtons buttons) {
    const QuitGate* gate = QuitGate::Current();
    if (gate != nullptr && gate->Pending()) {
        return buttons == platform::MessageButtons::Ok ? platform::MessageAnswer::Ok
                                                       : platform::MessageAnswer::No;
    }
    QMessageBox box(QMessageBox::NoIcon,
                    QString::fromLatin1(text::kProgramName.data(), text::kProgramName.size()),
                    FromWire(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    if (buttons == platform::MessageButtons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    const QuitGate::Nested nested;
    const int result = box.exec();
    if (buttons == platform::MessageButtons::Ok) {
        return platform::MessageAnswer::Ok;
    }
    return result == QMessageBox::Yes ? platform::MessageAnswer::Yes : platform::MessageAnswer::No;
}

std::optional<std::filesystem::path> QtDialogs::OpenFile(
    const std::string& title, const std::vector<platform::FileFilter>& filters,
    const std::filesystem::path& current) {
    const QuitGate* gate = QuitGate::Current();
    if (gate != nullptr && gate->Pending()) {
        return std::nullopt;
    }
    QStringList names;
    for (const platform::FileFilter& f : filters) {
        names << FromWire(f.name) + QStringLiteral(" (") + FromWire(f.pattern) + QLatin1Char(')');
    }
    const QFileInfo start(FromPath(current));
    QFileDialog dialog(nullptr, FromWire(title), start.absolutePath());
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(names);
    if (start.exists()) {
        dialog.selectFile(start.absoluteFilePath());
    }
    const QuitGate::Nested nested;
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return ToPath(dialog.selectedFiles().constFirst());
}

QtStreamSocket::QtStreamSocket() {
    connect(&socket_, &QTcpSocket::connected, this, [this] {
        if (active_ && onConnected) {
            onConnected();
        }
    });
    connect(&socket_, &QTcpSocket::readyRead, this, [this] {
        const QByteArray bytes = socket_.readAll();
        if (active_ && onData && !bytes.isEmpty()) {
            onData(bytes.toStdString());
        }
    });
    const auto failed = [this] {
        if (active_) {
            active_ = false;
            if (onError) {
                onError();
            }
        }
    };
    connect(&socket_, &QTcpSocket::errorOccurred, this, failed);
    connect(&socket_, &QTcpSocket::disconnected, this, failed);
}

void QtStreamSocket::Connect(const std::string& host, std::uint16_t port) {
    Close();
    active_ = true;
    socket_.connectToHost(QString::fromStdString(host), port);
}

void QtStreamSocket::Write(const std::string& bytes) {
    if (active_) {
        socket_.write(bytes.data(), static_cast<qint64>(bytes.size()));
    }
}

void QtStreamSocket::Close() {
    active_ = false;
    socket_.abort();
}

QtUdpSocket::QtUdpSocket() {
    connect(&socket_, &QUdpSocket::readyRead, this, [this] {
        // Read at once, or Qt reports no further datagram; hand them on
        // from the event loop.
        Drain();
        if (arrivalQueued_ || (received_.empty() && !readFailed_)) {
            return;
        }
        arrivalQueued_ = true;
        QMetaObject::invokeMethod(this, &QtUdpSocket::Arrived, Qt::QueuedConnection);
    });
}

void QtUdpSocket::Drain() {
    while (socket_.hasPendingDatagrams()) {
        const QNetworkDatagram d = socket_.receiveDatagram();
        if (!d.isValid()) {
            readFailed_ = true;
            return;
        }
        if (d.senderPort() != remotePort_ ||
            !d.senderAddress().isEqual(remote_, QHostAddress::TolerantConversion)) {
            continue;
        }
        received_.push_back(d.data());
    }
}

void QtUdpSocket::Arrived() {
    arrivalQueued_ = false;
    if (onDataArrival) {
        onDataArrival();
    }
}

void QtUdpSocket::Close() {
    socket_.close();
    received_.clear();
    readFailed_ = false;
}

bool QtUdpSocket::Bind() {
    return socket_.bind(QHostAddress::Any, 0);
}

bool QtUdpSocket::SetRemote(const std::string& host, std::uint16_t port) {
    remotePort_ = port;
    remote_.clear();
    if (host.empty()) {
        return true;
    }
    const QString name = FromWire(host);
    QHostAddress literal;
    if (literal.setAddress(name)) {
        remote_ = literal;
        return true;
    }
    const QHostInfo info = QHostInfo::fromName(name);
    // Prefer IPv4: servers commonly listen on it only.
    for (const QHostAddress& a : info.addresses()) {
        if (a.protocol() == QAbstractSocket::IPv4Protocol) {
            remote_ = a;
            return true;
        }
    }
    if (!info.addresses().isEmpty()) {
        remote_ = info.addresses().first();
        return true;
    }
    return false;
}

bool QtUdpSocket::SendDatagram(const std::string& bytes) {
    if (remote_.isNull() || socket_.state() != QAbstractSocket::BoundState) {
        return false;
    }
    const qint64 written = socket_.writeDatagram(bytes.data(), static_cast<qint64>(bytes.size()),
                                                 remote_, remotePort_);
    return written == static_cast<qint64>(bytes.size());
}

std::optional<std::size_t> QtUdpSocket::ReadPending(std::string& out) {
    // Only what the read notification took: reading here as well would
    // race Qt's own notification and leave it waiting for a read that
    // already happened.
    if (readFailed_) {
        readFailed_ = false;
        received_.clear();
        return std::nullopt;
    }
    const std::size_t accepted = received_.size();
    for (const QByteArray& data : received_) {
        out.append(data.constData(), static_cast<std::size_t>(data.size()));
    }
    received_.clear();
    return accepted;
}

}  // namespace qc::qt
