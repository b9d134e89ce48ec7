// A progress window that records what the download did with it.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "updater/core/Download.h"

namespace kq::test {

class CRecordingProgress : public IProgressWindow {
public:
    void Open(const std::u16string& caption, const std::u16string& status, int nLow, int nHigh) override
    {
        ++m_nOpens;
        m_strCaption = caption;
        m_strStatus = status;
        m_nLow = nLow;
        m_nHigh = nHigh;
    }
    void StepIt() override { ++m_nSteps; }
    void SetPercentText(const std::u16string& text) override { m_aPercents.push_back(text); }
    void PumpMessages() override { ++m_nPumps; }
    bool TakeCancelRequest() override { return m_aCancelAtSteps.erase(m_nSteps) > 0; }
    void Close() override { ++m_nCloses; }

    int m_nOpens = 0, m_nCloses = 0, m_nSteps = 0, m_nPumps = 0, m_nLow = -1, m_nHigh = -1;
    std::u16string m_strCaption, m_strStatus;
    std::vector<std::u16string> m_aPercents;
    std::set<int> m_aCancelAtSteps;
};

}  // namespace kq::test
