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

    // Asks a running instance to come to the front; true when one answered
    // the connection (this start then ends).
    bool ActivateRunning();
    // Takes the per-user lock (a lock left by a killed instance is taken
    // over); false when another instance holds it.
    bool TryLock();
    // Answers later starts by activating window; a socket left by a killed
    // instance is replaced. Needs the lock.
    bool Listen(CTERNControlPanelDlg* window);

    // The per-user server name: in XDG_RUNTIME_DIR when there is one.
    static QString ServerName();

private:
    void OnConnection();

    QString m_strName;
    std::unique_ptr<QLockFile> m_pLock;
    QLocalServer* m_pServer = nullptr;
    CTERNControlPanelDlg* m_pWindow = nullptr;
};

}  // namespace kq
