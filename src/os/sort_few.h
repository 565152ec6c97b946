// A stable sort for the launcher's lists of a few entries, where the
// library's sorts would take kilobytes of the Windows executable.
#ifndef TARN_OS_SORT_FEW_H
#define TARN_OS_SORT_FEW_H

#include <cstddef>
#include <utility>
#include <vector>

namespace tarn {

// Insertion sort: entries for which before(a, b) holds come ahead of b;
// equal ones keep their order.
template <typename T, typename Before>
void sortFew(std::vector<T>& list, Before before) {
  for (size_t i = 1; i < list.size(); ++i)
    for (size_t j = i; j > 0 && before(list[j], list[j - 1]); --j) std::swap(list[j - 1], list[j]);
}

}  // namespace tarn

#endif
