#pragma once
// Qt's item model, as the peer of the data-aware grid's memory figure (built into bench/dbgrid
// only).

#include <cstddef>
#include <string>
#include <vector>

namespace lumora_bench {

// Bytes the heap grows by (glibc mallinfo2) while a QStandardItemModel holds Rows, one item per
// cell with its text, measured with the model alive and then freed.
size_t QtStandardModelBytes(const std::vector<std::vector<std::string>>& Rows);

}  // namespace lumora_bench
