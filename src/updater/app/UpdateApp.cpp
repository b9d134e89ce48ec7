#include "UpdateApp.h"

#include "ProgressDlg.h"
#include "updater/core/UpdateFlow.h"

namespace kq {

int CTERNUpdateApp::Run(const QStringList& arguments)
{
    QString descriptor;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (!arguments[i].startsWith(QLatin1Char('-'))) {
            descriptor = arguments[i];
            break;
        }
    }
    std::unique_ptr<IDownloader> downloader = CreateSystemDownloader();
    CProgressDlg progress;
    CUpdateServices services;
    services.m_pDownloader = downloader.get();
    services.m_pProgress = &progress;
    CUpdateOutcome outcome;
    return RunUpdate(descriptor.toStdU16String(), services, outcome) == 1 && outcome.m_bStarted ? 0 : 1;
}

}  // namespace kq
