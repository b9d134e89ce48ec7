#include "renamer/modes/NameCycle.h"

#include <algorithm>
#include <unordered_map>

#include "renamer/list/FileNameList.h"

namespace kq {

namespace {

constexpr int kBatchRows = 512;
constexpr int kVisibleBatchRows = 16;

// The lowest-row message of the namers, after the plan's own.
std::u16string CycleNote(const CNamePlan& plan, const std::vector<const CRowNamer*>& namers)
{
    if (!plan.m_strNote.empty()) return plan.m_strNote;
    const CRowNamer* first = nullptr;
    for (const CRowNamer* n : namers)
        if (n->m_nNoteRow >= 0 && (!first || n->m_nNoteRow < first->m_nNoteRow)) first = n;
    return first ? first->m_strNote : std::u16string();
}

}  // namespace

std::u16string RunPlanInOrder(const CNamePlan& plan, CFileNameList& list)
{
    std::unique_ptr<CRowNamer> namer = plan.MakeNamer();
    plan.BeforeRows();
    CRowName out;
    for (int r = 0; r < plan.RowCount(); ++r) {
        namer->Name(r, out);
        list.SetText(r, kColNewName, out.m_strName);
        if (out.m_bFailed) list.SetNameFailed(r, out.m_strFailure);
    }
    return CycleNote(plan, {namer.get()});
}

CFolderNumbers NumberFolders(const CFileNameList& list, const std::function<std::u16string(const std::u16string&)>& key)
{
    // The list keeps one text per distinct folder, so rows of one folder
    // hand back the same object: its key is made once.
    const int rows = list.GetItemCount();
    CFolderNumbers numbers;
    numbers.m_aFolder.resize(size_t(rows));
    numbers.m_aInFolder.resize(size_t(rows));
    std::unordered_map<const std::u16string*, int> byText;
    std::unordered_map<std::u16string, int> byKey;
    std::vector<int> counts;
    const std::u16string* lastText = nullptr;
    int last = 0;
    for (int r = 0; r < rows; ++r) {
        const std::u16string* text = &list.GetText(r, kColFolder);
        if (text != lastText) {
            auto [it, added] = byText.try_emplace(text, 0);
            if (added) {
                auto [k, newKey] = byKey.try_emplace(key(*text), int(counts.size()));
                if (newKey) counts.push_back(0);
                it->second = k->second;
            }
            lastText = text;
            last = it->second;
        }
        numbers.m_aFolder[size_t(r)] = last + 1;
        numbers.m_aInFolder[size_t(r)] = ++counts[size_t(last)];
    }
    return numbers;
}

CNameCycle::CNameCycle(std::shared_ptr<const CNamePlan> plan, int visibleFirst, int visibleLast,
                       std::function<void(EEvent)> notify, int threads)
    : m_pPlan(std::move(plan)), m_fnNotify(std::move(notify))
{
    const int rows = m_pPlan->RowCount();
    m_nVisibleFirst = std::clamp(visibleFirst, 0, rows);
    m_nVisibleLast = std::clamp(visibleLast, m_nVisibleFirst, rows);
    if (m_pPlan->m_bOrdered) m_nVisibleFirst = m_nVisibleLast = 0;

    auto addRange = [this](int first, int last, int size) {
        for (int b = first; b < last; b += size) {
            CBatch batch;
            batch.m_nFirst = b;
            batch.m_nLast = std::min(last, b + size);
            m_aBatches.push_back(std::move(batch));
        }
    };
    addRange(m_nVisibleFirst, m_nVisibleLast, kVisibleBatchRows);
    m_nVisibleBatches = m_aBatches.size();
    addRange(0, m_nVisibleFirst, kBatchRows);
    m_nBatchesBefore = m_aBatches.size() - m_nVisibleBatches;
    addRange(m_nVisibleLast, rows, kBatchRows);

    if (threads <= 0) threads = int(std::max(1u, std::thread::hardware_concurrency()));
    if (m_pPlan->m_bOrdered) threads = 1;
    threads = std::max(1, std::min<int>(threads, int(m_aBatches.size())));
    if (m_nVisibleBatches == 0) m_bVisibleReady.store(true, std::memory_order_release);
    for (int t = 0; t < threads; ++t) m_aNamers.push_back(m_pPlan->MakeNamer());
    if (m_aBatches.empty()) {
        m_bAllReady.store(true, std::memory_order_release);
        return;
    }
    for (int t = 0; t < threads; ++t) m_aThreads.emplace_back([this, t] { Work(size_t(t)); });
}

CNameCycle::~CNameCycle() { Cancel(); }

void CNameCycle::Cancel()
{
    m_bCancel.store(true);
    {
        // Taken so that a thread between its check and its sleep sees the flag.
        std::lock_guard lock(m_beforeMutex);
    }
    m_beforeChanged.notify_all();
    Wait();
}

void CNameCycle::Wait()
{
    for (std::thread& t : m_aThreads)
        if (t.joinable()) t.join();
}

// Whether the rows outside the visible range may be named: false once the
// cycle is cancelled. A cancel never lets a row be named before the work
// before the rows has ended.
bool CNameCycle::AwaitBeforeRows()
{
    if (m_bBeforeDone.load(std::memory_order_acquire)) return !m_bCancel.load();
    std::unique_lock lock(m_beforeMutex);
    if (!m_bBeforeStarted) {
        m_bBeforeStarted = true;
        lock.unlock();
        m_pPlan->BeforeRows();
        lock.lock();
        m_bBeforeDone.store(true, std::memory_order_release);
        lock.unlock();
        m_beforeChanged.notify_all();
    } else {
        m_beforeChanged.wait(lock, [this] { return m_bBeforeDone.load() || m_bCancel.load(); });
    }
    return !m_bCancel.load();
}

void CNameCycle::Work(size_t worker)
{
    CRowNamer& namer = *m_aNamers[worker];
    for (;;) {
        if (m_bCancel.load(std::memory_order_relaxed)) return;
        const size_t b = m_nNextBatch.fetch_add(1);
        if (b >= m_aBatches.size()) return;
        // The visible rows read what they need themselves; the rest wait for
        // the work before the rows.
        if (b >= m_nVisibleBatches && !AwaitBeforeRows()) return;
        NameBatch(namer, m_aBatches[b]);
        if (b < m_nVisibleBatches && m_nVisibleDone.fetch_add(1) + 1 == m_nVisibleBatches) {
            m_bVisibleReady.store(true, std::memory_order_release);
            if (m_fnNotify && !m_bCancel.load()) m_fnNotify(kVisibleReady);
        }
        if (m_nAllDone.fetch_add(1) + 1 == m_aBatches.size()) {
            m_bAllReady.store(true, std::memory_order_release);
            if (m_fnNotify && !m_bCancel.load()) m_fnNotify(kAllReady);
        }
    }
}

const CNameCycle::CBatch& CNameCycle::BatchOf(int row) const
{
    if (row >= m_nVisibleFirst && row < m_nVisibleLast)
        return m_aBatches[size_t((row - m_nVisibleFirst) / kVisibleBatchRows)];
    if (row < m_nVisibleFirst) return m_aBatches[m_nVisibleBatches + size_t(row / kBatchRows)];
    return m_aBatches[m_nVisibleBatches + m_nBatchesBefore + size_t((row - m_nVisibleLast) / kBatchRows)];
}

std::u16string_view CNameCycle::Name(int row) const { return BatchOf(row).Name(row); }

void CNameCycle::NameBatch(CRowNamer& namer, CBatch& batch)
{
    CRowName out;
    batch.m_aEnd.reserve(size_t(batch.m_nLast - batch.m_nFirst));
    for (int r = batch.m_nFirst; r < batch.m_nLast; ++r) {
        namer.Name(r, out);
        batch.m_strPool += out.m_strName;
        batch.m_aEnd.push_back(batch.m_strPool.size());
        if (out.m_bFailed) batch.m_aFailures.emplace_back(r, std::move(out.m_strFailure));
    }
}

std::u16string CNameCycle::WriteTo(CFileNameList& list)
{
    Wait();
    if (!IsAllReady()) return {};
    // Batches are written in row order, so a failed row is marked right
    // after its name is written, as in the sequential cycle.
    std::vector<const CBatch*> order;
    order.reserve(m_aBatches.size());
    for (const CBatch& b : m_aBatches) order.push_back(&b);
    std::sort(order.begin(), order.end(), [](const CBatch* a, const CBatch* b) { return a->m_nFirst < b->m_nFirst; });
    for (const CBatch* b : order) {
        auto failure = b->m_aFailures.begin();
        for (int r = b->m_nFirst; r < b->m_nLast; ++r) {
            list.SetText(r, kColNewName, b->Name(r));
            if (failure != b->m_aFailures.end() && failure->first == r) {
                list.SetNameFailed(r, failure->second);
                ++failure;
            }
        }
    }
    std::vector<const CRowNamer*> namers;
    for (const auto& n : m_aNamers) namers.push_back(n.get());
    return CycleNote(*m_pPlan, namers);
}

}  // namespace kq
