#include "renamer/supersort/WeightOrder.h"

#include <algorithm>
#include <numeric>

namespace kq {

// Why this gives the loop's permutation. Pass i of the loop carries the
// entry at i along the strict running minima of the rest: each of them moves
// to the position of the next smaller one, and the smallest lands at i. So
// the result is sorted, and only the order within a group of equal weights v
// needs care. Looking only at the entries with weight <= v ("E" for v, "L"
// for smaller), every pass before the first v is placed removes the first
// remaining L, and when j E's stand before that L, the first of those j
// moves behind the other j-1. Grouping the L's by the number j of E's before
// them (m_j of them) therefore rotates the first j E's left by m_j, for j
// = 1, 2, … in turn; afterwards the E's leave in their order.
namespace {

// Counts over positions 0..n-1.
class CFenwick {
public:
    explicit CFenwick(size_t n) : m_a(n + 1, 0) {}
    void Add(size_t pos, int delta)
    {
        for (size_t i = pos + 1; i < m_a.size(); i += i & (~i + 1)) m_a[i] += delta;
    }
    int Prefix(size_t count) const  // positions < count
    {
        int sum = 0;
        for (size_t i = count; i > 0; i -= i & (~i + 1)) sum += m_a[i];
        return sum;
    }
    // Smallest position whose prefix count (inclusive) reaches k+1 (k from 0).
    size_t Kth(int k) const
    {
        size_t pos = 0;
        size_t step = 1;
        while (step * 2 < m_a.size()) step *= 2;
        for (; step > 0; step /= 2) {
            if (pos + step < m_a.size() && m_a[pos + step] <= k) {
                pos += step;
                k -= m_a[pos];
            }
        }
        return pos;
    }

private:
    std::vector<int> m_a;
};

// The group's order after the rotations: rotating prefix j left by r_j for
// j = 1..m is undone from the last j down, tracking which final slot each
// entry takes as a rotation of the slots still free.
void OrderGroup(const std::vector<int>& members, const std::vector<int>& rotations, std::vector<int>& out)
{
    const int m = static_cast<int>(members.size());
    std::vector<int> result(size_t(m), -1);
    CFenwick freeSlots{size_t(m)};
    for (int s = 0; s < m; ++s) freeSlots.Add(size_t(s), 1);
    int offset = 0;  // rank (among free slots) of index 0 of the current prefix
    for (int j = m; j >= 1; --j) {
        const int shifted = ((offset - rotations[size_t(j - 1)]) % j + j) % j;
        const int rank = (shifted + j - 1) % j;
        const size_t slot = freeSlots.Kth(rank);
        result[slot] = members[size_t(j - 1)];
        freeSlots.Add(slot, -1);
        offset = shifted == 0 ? 0 : shifted - 1;
    }
    out.insert(out.end(), result.begin(), result.end());
}

}  // namespace

std::vector<int> ExchangeSortOrder(const std::vector<int32_t>& weights, bool ascending)
{
    const size_t n = weights.size();
    std::vector<int64_t> key(n);
    for (size_t i = 0; i < n; ++i) key[i] = ascending ? int64_t(weights[i]) : -int64_t(weights[i]);
    std::vector<int> byKey(n);
    std::iota(byKey.begin(), byKey.end(), 0);
    std::stable_sort(byKey.begin(), byKey.end(), [&](int a, int b) { return key[size_t(a)] < key[size_t(b)]; });

    std::vector<int> order;
    order.reserve(n);
    CFenwick placed(n);  // positions of the entries with a smaller key
    std::vector<int> rotations;
    for (size_t begin = 0; begin < n;) {
        size_t end = begin;
        while (end < n && key[size_t(byKey[end])] == key[size_t(byKey[begin])]) ++end;
        const std::vector<int> members(byKey.begin() + long(begin), byKey.begin() + long(end));
        const size_t m = members.size();
        if (m == 1) {
            order.push_back(members[0]);
        } else {
            rotations.assign(m, 0);
            for (size_t j = 1; j <= m; ++j) {
                const size_t from = size_t(members[j - 1]) + 1;
                const size_t to = j < m ? size_t(members[j]) : n;
                rotations[j - 1] = (placed.Prefix(to) - placed.Prefix(from)) % int(j);
            }
            OrderGroup(members, rotations, order);
        }
        for (int member : members) placed.Add(size_t(member), 1);
        begin = end;
    }
    return order;
}

}  // namespace kq
