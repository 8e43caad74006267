#include "platform/SingleInstance.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QString>

#include "platform/DevicePath.h"

// Without a session-wide named mutex, a lock file in the user's private runtime directory
// plays its part (a lock left by a killed instance is stale and taken over), and a local
// socket beside it carries the request to come to the front. Without a private directory the
// panel runs unguarded: a lock in a directory shared by all users would let another user's
// panel (or a file planted there) keep this user's from starting.
struct SingleInstance::State {
    QString lockPath;
    QString serverPath;
    std::unique_ptr<QLockFile> lock;
    std::unique_ptr<QLocalServer> server;
    std::function<void()> handler;
};

SingleInstance::SingleInstance(std::string name) : name_(std::move(name)), state_(std::make_unique<State>()) {
    const QString dir = QString::fromStdString(DevicePath::PrivateDirectory());
    if (dir.isEmpty()) return;
    state_->lockPath = dir + "/" + QString::fromStdString(name_) + ".lock";
    state_->serverPath = dir + "/" + QString::fromStdString(name_) + ".sock";
}

SingleInstance::~SingleInstance() {
    if (state_->server) state_->server->close();
}

bool SingleInstance::Acquire() {
    if (state_->lockPath.isEmpty()) return true;
    state_->lock = std::make_unique<QLockFile>(state_->lockPath);
    state_->lock->setStaleLockTime(0);  // only a dead owner makes the lock stale
    if (!state_->lock->tryLock(0)) {
        // Only a lock held by another instance means one runs; a lock that cannot be made does not.
        const bool held = state_->lock->error() == QLockFile::LockFailedError;
        state_->lock.reset();
        return !held;
    }
    state_->server = std::make_unique<QLocalServer>();
    state_->server->setSocketOptions(QLocalServer::UserAccessOption);
    QLocalServer::removeServer(state_->serverPath);
    state_->server->listen(state_->serverPath);
    QObject::connect(state_->server.get(), &QLocalServer::newConnection, [state = state_.get()] {
        while (QLocalSocket* socket = state->server->nextPendingConnection()) {
            QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            socket->disconnectFromServer();
            if (state->handler) state->handler();
        }
    });
    return true;
}

void SingleInstance::BringFirstToFront() {
    if (state_->serverPath.isEmpty()) return;
    QLocalSocket socket;
    socket.connectToServer(state_->serverPath);
    if (!socket.waitForConnected(1000)) return;
    socket.write("front\n");
    socket.waitForBytesWritten(1000);
    socket.disconnectFromServer();
}

void SingleInstance::OnActivationRequest(std::function<void()> handler) { state_->handler = std::move(handler); }
