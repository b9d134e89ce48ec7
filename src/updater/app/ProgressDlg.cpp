#include "ProgressDlg.h"

#include "GuiThread.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace kq {

namespace {
// Window messages run at most this often: a repaint per 1,024-byte block
// would cost more than the download.
constexpr qint64 kPumpIntervalMs = 15;
constexpr int kSyncIntervalMs = 30;
}  // namespace

CProgressDlg::CProgressDlg(QWidget* owner)
    : QDialog(owner), m_pOwner(owner), m_pProgress(new QProgressBar(this)), m_pPercent(new QLabel(QStringLiteral(" 0 %"), this)),
      m_pStatus(new QLabel(this)), m_pCancel(new QPushButton(QStringLiteral("取消"), this))
{
    setWindowTitle(QStringLiteral("正在下载升级程序"));
    setModal(false);
    m_pProgress->setRange(0, 100);
    m_pProgress->setValue(0);
    m_pProgress->setTextVisible(false);
    m_pPercent->setMinimumWidth(48);
    m_pPercent->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    auto* bar = new QHBoxLayout;
    bar->addWidget(m_pProgress, 1);
    bar->addWidget(m_pPercent);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_pStatus, 1);
    bottom->addWidget(m_pCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addLayout(bottom);
    setFixedSize(360, 130);

    connect(m_pCancel, &QPushButton::clicked, this, [this] { m_bCancel = true; });
    m_syncTimer.setInterval(kSyncIntervalMs);
    connect(&m_syncTimer, &QTimer::timeout, this, &CProgressDlg::SyncFromLoop);
}

void CProgressDlg::Create()
{
    if (m_pOwner && m_pOwner->isEnabled()) {
        m_pOwner->setEnabled(false);
        m_bOwnerDisabled = true;
    }
    // A window may stay enabled under a disabled parent; it must, to cancel.
    setEnabled(true);
    show();
    raise();
}

void CProgressDlg::SetRange(int nLow, int nHigh)
{
    m_pProgress->setRange(nLow, nHigh);
    m_pProgress->setValue(nLow);
    m_nHigh = nHigh;
    m_nPos = nLow;
}

void CProgressDlg::SetStep(int nStep) { m_nStep = nStep; }

void CProgressDlg::SetStatus(const QString& text) { m_pStatus->setText(text); }

int CProgressDlg::GetPos() const { return m_nPos; }

void CProgressDlg::Open(const std::u16string& caption, const std::u16string& status, int nLow, int nHigh)
{
    RunOnThreadOf(this, [&] {
        setWindowTitle(QString::fromStdU16String(caption));
        SetStatus(QString::fromStdU16String(status));
        SetRange(nLow, nHigh);
        SetStep(1);
        m_pPercent->setText(QStringLiteral(" 0 %"));
        {
            std::lock_guard lock(m_percentMutex);
            m_bPercentChanged = false;
        }
        m_bCancel = false;
        Create();
        m_pumpTimer.invalidate();
        m_syncTimer.start();
    });
}

void CProgressDlg::StepIt()
{
    int pos = m_nPos.load();
    while (!m_nPos.compare_exchange_weak(pos, std::min(pos + m_nStep, m_nHigh.load()))) {}
    if (QThread::currentThread() == thread()) m_pProgress->setValue(m_nPos);
}

void CProgressDlg::SetPercentText(const std::u16string& text)
{
    if (QThread::currentThread() == thread()) {
        m_pPercent->setText(QString::fromStdU16String(text));
        return;
    }
    std::lock_guard lock(m_percentMutex);
    m_strPercent = QString::fromStdU16String(text);
    m_bPercentChanged = true;
}

void CProgressDlg::SyncFromLoop()
{
    m_pProgress->setValue(m_nPos);
    std::lock_guard lock(m_percentMutex);
    if (m_bPercentChanged) m_pPercent->setText(m_strPercent);
    m_bPercentChanged = false;
}

void CProgressDlg::PumpMessages()
{
    // Off the GUI thread the window runs on its own.
    if (QThread::currentThread() != thread()) return;
    if (m_pumpTimer.isValid() && m_pumpTimer.elapsed() < kPumpIntervalMs) return;
    QApplication::processEvents();
    m_pumpTimer.start();
}

bool CProgressDlg::TakeCancelRequest() { return m_bCancel.exchange(false); }

void CProgressDlg::Close()
{
    RunOnThreadOf(this, [this] {
        m_syncTimer.stop();
        SyncFromLoop();
        hide();
        if (m_bOwnerDisabled && m_pOwner) m_pOwner->setEnabled(true);
        m_bOwnerDisabled = false;
    });
}

void CProgressDlg::reject() { m_bCancel = true; }

}  // namespace kq
