// One configuration centre per user and desktop session: a second start
// hands over to the running one, which comes to the front.
#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>
#include <memory>

class QLocalServer;

namespace kq {

class CTERNControlPanelDlg;

class CSingleInstance : public QObject {
    Q_OBJECT
public:
    CSingleInstance();
    ~CSingleInstance() override;

    // True when this start is to open its window: no running instance took
    // over. Without a private folder there is no single instance, and the
    // window opens all the same.
    bool ShouldOpenWindow();
    // Asks a running instance to come to the front; true when one answered
    // the connection (this start then ends).
    bool ActivateRunning();
    // Takes the per-user lock (a lock left by a killed instance is taken
    // over); false when another instance holds it.
    bool TryLock();
    // Answers later starts by activating window; a socket left by a killed
    // instance is replaced. Needs the lock.
    bool Listen(CTERNControlPanelDlg* window);

    // The per-user server name: on POSIX a socket in the private per-user
    // folder (owned by the user, 0700, no link), empty when there is none.
    static QString ServerName();

private:
    void OnConnection();

    QString m_strName;
    std::unique_ptr<QLockFile> m_pLock;
    QLocalServer* m_pServer = nullptr;
    CTERNControlPanelDlg* m_pWindow = nullptr;
};

}  // namespace kq
