// The download progress window ("正在下载升级程序"): modeless, driven by
// the download loop between blocks; its owner is disabled while it shows.
#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>

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
    QPointer<QWidget> m_pOwner;
    bool m_bOwnerDisabled = false;
    bool m_bCancel = false;
    int m_nStep = 10;
    QProgressBar* m_pProgress;
    QLabel* m_pPercent;
    QLabel* m_pStatus;
    QPushButton* m_pCancel;
    QElapsedTimer m_pumpTimer;
};

}  // namespace kq
