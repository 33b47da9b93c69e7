// SPDX-License-Identifier: MIT
#include "ui/qt/single_instance.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>

#include "ui/qt/qt_text.h"

namespace tvr::ui::qt {
namespace {

constexpr QByteArrayView kShowRequest = "show\n";
constexpr QByteArrayView kShowAnswer = "shown\n";
constexpr int kRetryMs = 100;

// "<runtime folder>/tamvikvr-<hash of the data folder's canonical path>": short enough for a
// socket's name however deep the data folder lies, private to the user ($XDG_RUNTIME_DIR).
QString placeFor(std::u16string_view dataFolder) {
    QString folder = toQString(dataFolder);
    QString canonical = QFileInfo(folder).canonicalFilePath();
    QByteArray key = (canonical.isEmpty() ? QDir::cleanPath(folder) : canonical).toUtf8();
    QByteArray hash = QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex().left(24);
    QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (runtime.isEmpty()) runtime = QDir::tempPath();
    return runtime + QStringLiteral("/tamvikvr-") + QString::fromLatin1(hash);
}

}  // namespace

SingleInstance::SingleInstance(std::u16string_view dataFolder)
    : socketPath_(placeFor(dataFolder) + QStringLiteral(".socket")),
      lock_(placeFor(dataFolder) + QStringLiteral(".lock")) {
    // A lock whose program is gone is taken over at once; a live holder is never stale.
    lock_.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() {
    if (server_) server_->close();
}

bool SingleInstance::claim() {
    // A runtime folder where no lock can be made leaves the program to run alone, as before.
    return lock_.tryLock(0) || lock_.error() != QLockFile::LockFailedError;
}

bool SingleInstance::askToShow(int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    do {
        QLocalSocket socket;
        socket.connectToServer(socketPath_);
        if (socket.waitForConnected(kRetryMs)) {
            socket.write(kShowRequest.data(), kShowRequest.size());
            QByteArray answer;
            while (!answer.endsWith('\n') && socket.waitForReadyRead(static_cast<int>(deadline.remainingTime()) + 1))
                answer += socket.readAll();
            if (answer == kShowAnswer.toByteArray()) return true;
        }
        QThread::msleep(kRetryMs);
    } while (!deadline.hasExpired());
    return false;
}

bool SingleInstance::listen(std::function<void()> onShow) {
    onShow_ = std::move(onShow);
    // We hold the lock: a socket file left here is a killed program's.
    QLocalServer::removeServer(socketPath_);
    server_ = std::make_unique<QLocalServer>();
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    QObject::connect(server_.get(), &QLocalServer::newConnection, server_.get(), [this] {
        while (QLocalSocket* socket = server_->nextPendingConnection()) {
            QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            QObject::connect(socket, &QLocalSocket::readyRead, socket, [this, socket] {
                // Anything but the one request, or more than it, ends the connection unanswered.
                if (socket->bytesAvailable() < kShowRequest.size()) return;
                if (socket->readAll() != kShowRequest.toByteArray()) {
                    socket->abort();
                    return;
                }
                if (onShow_) onShow_();
                socket->write(kShowAnswer.data(), kShowAnswer.size());
                socket->disconnectFromServer();
            });
        }
    });
    return server_->listen(socketPath_);
}

}  // namespace tvr::ui::qt
