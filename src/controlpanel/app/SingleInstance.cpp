#include "SingleInstance.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>

#include "TERNControlPanelDlg.h"
#include <QThread>

#include "platform/SecureFiles.h"
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
    // A shared folder such as /tmp would let another user plant the socket
    // or its lock, and the centre would hand over to them and quit.
    std::u16string folder;
    if (!PrivateTempFolder(folder)) return {};
    return QDir(QString::fromStdU16String(folder)).filePath(base);
#else
    QString user = QString::fromStdU16String(LoggedOnUserName());
    for (QChar& c : user)
        if (!c.isLetterOrNumber()) c = u'_';
    return base + u'-' + user;
#endif
}

bool CSingleInstance::ShouldOpenWindow()
{
    if (m_strName.isEmpty()) return true;
    if (ActivateRunning()) return false;
    if (TryLock()) return true;
    // Another instance is starting right now: let it come up, then ask it.
    for (int i = 0; i < 30; ++i) {
        QThread::msleep(100);
        if (ActivateRunning()) return false;
    }
    // It holds the lock but does not answer: better a second window than none.
    return true;
}

bool CSingleInstance::ActivateRunning()
{
    if (m_strName.isEmpty()) return false;
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
    if (m_strName.isEmpty()) return false;
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
    if (m_strName.isEmpty() || !m_pLock || !m_pLock->isLocked()) return false;
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
