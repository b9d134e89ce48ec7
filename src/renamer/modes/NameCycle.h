// A name cycle split in two: a plan made on one thread from the list as it
// is (everything that depends on row order: counters, repeat counts, folder
// numbers, the clipboard), and namers that compute any row's name from the
// plan alone, so that rows can be named on several threads in any order.
//
// While a plan or a cycle lives, the list is only read: whoever owns the
// list writes the results (CNameCycle::WriteTo) after the cycle has ended.
#pragma once

#include <atomic>
#include <climits>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace kq {

class CFileNameList;

// One row's outcome.
struct CRowName {
    std::u16string m_strName;
    bool m_bFailed = false;
    std::u16string m_strFailure;  // the reason, when failed
};

// Names rows of one plan; one object per thread.
class CRowNamer {
public:
    virtual ~CRowNamer() = default;
    // Fills out for row (0-based); out is reused from row to row.
    virtual void Name(int row, CRowName& out) = 0;

    // The message of the lowest row named so far that had one (the
    // replacement of the Simple and Enhanced pages): row -1 for none.
    int m_nNoteRow = -1;
    std::u16string m_strNote;

protected:
    void Note(int row, std::u16string text)
    {
        if (m_nNoteRow >= 0 && m_nNoteRow <= row) return;
        m_nNoteRow = row;
        m_strNote = std::move(text);
    }
};

class CNamePlan {
public:
    explicit CNamePlan(int rows) : m_nRows(rows) {}
    virtual ~CNamePlan() = default;

    int RowCount() const { return m_nRows; }
    virtual std::unique_ptr<CRowNamer> MakeNamer() const = 0;
    // Work before the rows outside the visible range, on one of the cycle's
    // threads (reading the files a formula needs ahead).
    virtual void BeforeRows() const {}
    // True when rows must be named in list order on one thread (a formula
    // that draws random numbers).
    bool m_bOrdered = false;
    // A message known before any row (an invalid pattern): it comes before
    // every row's.
    std::u16string m_strNote;

private:
    int m_nRows;
};

// Names every row of the plan on the calling thread and writes the list
// (hand-edited rows keep their names); returns the cycle's message.
std::u16string RunPlanInOrder(const CNamePlan& plan, CFileNameList& list);

// Every row's folder number (1-based, in order of first appearance) and its
// number within that folder, folders told apart by key(folder).
struct CFolderNumbers {
    std::vector<int> m_aFolder;
    std::vector<int> m_aInFolder;
};
CFolderNumbers NumberFolders(const CFileNameList& list,
                             const std::function<std::u16string(const std::u16string&)>& key);

// Runs a plan on worker threads: the rows in [visibleFirst, visibleLast)
// first, then the others, in small batches; Cancel stops at the next batch.
class CNameCycle {
public:
    enum EEvent { kVisibleReady, kAllReady };
    // notify is called on a worker thread, once with kVisibleReady when the
    // visible rows are named and once with kAllReady when all are (never
    // after a Cancel returned). threads 0: one per core.
    CNameCycle(std::shared_ptr<const CNamePlan> plan, int visibleFirst, int visibleLast,
               std::function<void(EEvent)> notify = {}, int threads = 0);
    // Cancels and waits for the threads.
    ~CNameCycle();
    CNameCycle(const CNameCycle&) = delete;
    CNameCycle& operator=(const CNameCycle&) = delete;

    void Cancel();
    // Blocks until every row is named (or the cycle was cancelled).
    void Wait();
    bool IsVisibleReady() const { return m_bVisibleReady.load(std::memory_order_acquire); }
    bool IsAllReady() const { return m_bAllReady.load(std::memory_order_acquire); }
    int VisibleFirst() const { return m_nVisibleFirst; }
    int VisibleLast() const { return m_nVisibleLast; }
    // A row's new name: only once IsVisibleReady (for a visible row) or
    // IsAllReady.
    std::u16string_view Name(int row) const;

    // After Wait on a cycle that was not cancelled: writes column 1 of
    // every row and the failed rows, as the sequential cycle does, and
    // returns the cycle's message.
    std::u16string WriteTo(CFileNameList& list);

private:
    // The names of a batch's rows lie one after another in its pool: a few
    // allocations a batch instead of one a row. Fresh memory is dear (every
    // page faulted in costs more than naming a row), so the rows' texts are
    // copied into the list's own strings at the end, which keep their room
    // from cycle to cycle.
    struct CBatch {
        int m_nFirst = 0;
        int m_nLast = 0;
        std::u16string m_strPool;
        std::vector<size_t> m_aEnd;                               // end of each row's name in the pool
        std::vector<std::pair<int, std::u16string>> m_aFailures;  // row, reason
        std::u16string_view Name(int row) const
        {
            const size_t i = size_t(row - m_nFirst);
            const size_t begin = i == 0 ? 0 : m_aEnd[i - 1];
            return std::u16string_view(m_strPool).substr(begin, m_aEnd[i] - begin);
        }
    };
    const CBatch& BatchOf(int row) const;
    void Work(size_t worker);
    void NameBatch(CRowNamer& namer, CBatch& batch);
    bool AwaitBeforeRows();

    std::shared_ptr<const CNamePlan> m_pPlan;
    int m_nVisibleFirst;
    int m_nVisibleLast;
    std::function<void(EEvent)> m_fnNotify;
    std::vector<CBatch> m_aBatches;  // the visible ones first
    size_t m_nVisibleBatches = 0;
    size_t m_nBatchesBefore = 0;  // batches of the rows before the visible ones
    std::atomic<size_t> m_nNextBatch{0};
    std::atomic<size_t> m_nVisibleDone{0};
    std::atomic<size_t> m_nAllDone{0};
    std::atomic<bool> m_bCancel{false};
    std::atomic<bool> m_bVisibleReady{false};
    std::atomic<bool> m_bAllReady{false};
    std::vector<std::unique_ptr<CRowNamer>> m_aNamers;  // one per thread
    std::vector<std::thread> m_aThreads;
    // The work before the rows: the first thread past the visible rows does
    // it, the others wait on the condition (not on the atomic: the wait of
    // some C++ runtimes can miss a notify that comes between its check and
    // its sleep).
    std::mutex m_beforeMutex;
    std::condition_variable m_beforeChanged;
    bool m_bBeforeStarted = false;         // under m_beforeMutex
    std::atomic<bool> m_bBeforeDone{false};  // set under m_beforeMutex
};

}  // namespace kq
