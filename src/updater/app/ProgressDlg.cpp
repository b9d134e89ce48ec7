#include "ProgressDlg.h"

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
}

void CProgressDlg::SetStep(int nStep) { m_nStep = nStep; }

void CProgressDlg::SetStatus(const QString& text) { m_pStatus->setText(text); }

int CProgressDlg::GetPos() const { return m_pProgress->value(); }

void CProgressDlg::Open(const std::u16string& caption, const std::u16string& status, int nLow, int nHigh)
{
    setWindowTitle(QString::fromStdU16String(caption));
    SetStatus(QString::fromStdU16String(status));
    SetRange(nLow, nHigh);
    SetStep(1);
    m_pPercent->setText(QStringLiteral(" 0 %"));
    m_bCancel = false;
    Create();
    m_pumpTimer.invalidate();
}

void CProgressDlg::StepIt()
{
    m_pProgress->setValue(std::min(m_pProgress->value() + m_nStep, m_pProgress->maximum()));
}

void CProgressDlg::SetPercentText(const std::u16string& text) { m_pPercent->setText(QString::fromStdU16String(text)); }

void CProgressDlg::PumpMessages()
{
    if (m_pumpTimer.isValid() && m_pumpTimer.elapsed() < kPumpIntervalMs) return;
    QApplication::processEvents();
    m_pumpTimer.start();
}

bool CProgressDlg::TakeCancelRequest()
{
    const bool cancel = m_bCancel;
    m_bCancel = false;
    return cancel;
}

void CProgressDlg::Close()
{
    hide();
    if (m_bOwnerDisabled && m_pOwner) m_pOwner->setEnabled(true);
    m_bOwnerDisabled = false;
}

void CProgressDlg::reject() { m_bCancel = true; }

}  // namespace kq
