// The download progress window ("正在下载升级程序"): modeless, driven by
// the download loop between blocks; its owner is disabled while it shows.
// The loop may run on another thread: the window then shows its steps at
// the pace of a timer, and "取消" is seen by the loop within kWaitInterval.
#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <atomic>
#include <mutex>

#include "updater/core/Download.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace kq {

class CProgressDlg : public QDialog, public IProgressWindow {
    Q_OBJECT
public:
    explicit CProgressDlg(QWidget* owner = nullptr);

    // Shows the window (disabling the owner when it was enabled).
    void Create();
    void SetRange(int nLow, int nHigh);
    void SetStep(int nStep);
    void SetStatus(const QString& text);
    int GetPos() const;

    // IProgressWindow: what the download loop calls.
    void Open(const std::u16string& caption, const std::u16string& status, int nLow, int nHigh) override;
    void StepIt() override;
    void SetPercentText(const std::u16string& text) override;
    void PumpMessages() override;
    bool TakeCancelRequest() override;
    void Close() override;

    QProgressBar* ProgressBar() const { return m_pProgress; }
    QLabel* PercentLabel() const { return m_pPercent; }
    QLabel* StatusLabel() const { return m_pStatus; }
    QPushButton* CancelButton() const { return m_pCancel; }

protected:
    // Escape and the close box ask to cancel like the button does.
    void reject() override;

private:
    // Shows on the bar and the label what the loop did since the last look.
    void SyncFromLoop();

    QPointer<QWidget> m_pOwner;
    bool m_bOwnerDisabled = false;
    std::atomic<bool> m_bCancel = false;
    std::atomic<int> m_nStep = 10;
    std::atomic<int> m_nPos = 0;
    std::atomic<int> m_nHigh = 100;
    std::mutex m_percentMutex;
    QString m_strPercent;  // the loop's latest label text, under the mutex
    bool m_bPercentChanged = false;
    QTimer m_syncTimer;
    QProgressBar* m_pProgress;
    QLabel* m_pPercent;
    QLabel* m_pStatus;
    QPushButton* m_pCancel;
    QElapsedTimer m_pumpTimer;
};

}  // namespace kq
