#include "SingleInstance.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>

#include "TERNControlPanelDlg.h"
#include "platform/SystemInfo.h"

namespace kq {

namespace {

const QByteArray kActivate = "activate\n";
const QByteArray kDone = "ok\n";

}  // namespace

CSingleInstance::CSingleInstance() : m_strName(ServerName()) {}

CSingleInstance::~CSingleInstance() = default;

QString CSingleInstance::ServerName()
{
    const QString base = QStringLiteral("TERNSOFTCONTROLCENTER");
#ifndef _WIN32
    // The runtime folder belongs to the user's session and only the user can
    // enter it.
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir(runtime).exists()) return QDir(runtime).filePath(base);
#endif
    QString user = QString::fromStdU16String(LoggedOnUserName());
    for (QChar& c : user)
        if (!c.isLetterOrNumber()) c = u'_';
    return base + u'-' + user;
}

bool CSingleInstance::ActivateRunning()
{
    QLocalSocket socket;
    socket.connectToServer(m_strName);
    if (!socket.waitForConnected(1000)) return false;
    socket.write(kActivate);
    socket.waitForBytesWritten(1000);
    // The answer only tells that the window was raised; the running instance
    // exists either way.
    socket.waitForReadyRead(2000);
    return true;
}

bool CSingleInstance::TryLock()
{
    QString path = m_strName;
    if (!QDir::isAbsolutePath(path)) path = QDir(QDir::tempPath()).filePath(path);
    m_pLock = std::make_unique<QLockFile>(path + QStringLiteral(".lock"));
    // Only a lock whose process is gone counts as stale, however old it is.
    m_pLock->setStaleLockTime(0);
    return m_pLock->tryLock(0);
}

bool CSingleInstance::Listen(CTERNControlPanelDlg* window)
{
    m_pWindow = window;
    m_pServer = new QLocalServer(this);
    m_pServer->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_pServer, &QLocalServer::newConnection, this, &CSingleInstance::OnConnection);
    if (m_pServer->listen(m_strName)) return true;
    // We hold the lock, so a socket still there was left by a killed instance.
    QLocalServer::removeServer(m_strName);
    return m_pServer->listen(m_strName);
}

void CSingleInstance::OnConnection()
{
    while (QLocalSocket* socket = m_pServer->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine()) {
                if (socket->bytesAvailable() > 64) socket->abort();  // not one of ours
                return;
            }
            if (socket->readLine() == kActivate && m_pWindow) m_pWindow->Activate();
            socket->write(kDone);
            socket->flush();
            socket->disconnectFromServer();
        });
    }
}

}  // namespace kq
