// The order super sort gives a list of weights.
#pragma once

#include <cstdint>
#include <vector>

namespace kq {

// The permutation of the exchange sort "for i < k: swap entries i and k when
// weight k is smaller (ascending) / greater (descending) than weight i",
// computed in O(n log n): order[p] is the original index of the entry that
// ends at position p. Equal weights end in exactly the order that loop
// leaves them in (ascending over 2, 2, 1 gives the third, second, first).
std::vector<int> ExchangeSortOrder(const std::vector<int32_t>& weights, bool ascending);

}  // namespace kq
