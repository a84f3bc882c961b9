#include "resistance/GridOrdering.h"

#include <algorithm>
#include <cassert>

namespace tessaloc {
namespace {

// A rectangle of cells: rows [top, bottom), columns [left, right).
struct CellBlock {
    int top;
    int bottom;
    int left;
    int right;
};

class Dissection {
public:
    Dissection(int columns, const std::vector<std::int64_t>& nodeOfCell)
        : m_columns(columns)
        , m_nodeOfCell(nodeOfCell)
    {
    }

    void order(const CellBlock& block)
    {
        const int height = block.bottom - block.top;
        const int width = block.right - block.left;
        if (height <= 0 || width <= 0)
            return;
        if (static_cast<std::int64_t>(height) * width <= kLeafCells) {
            emit(block);
            return;
        }
        if (height > width) {
            const int cut = block.top + height / 2;
            order({block.top, cut, block.left, block.right});
            order({cut + 1, block.bottom, block.left, block.right});
            emit({cut, cut + 1, block.left, block.right});
        } else {
            const int cut = block.left + width / 2;
            order({block.top, block.bottom, block.left, cut});
            order({block.top, block.bottom, cut + 1, block.right});
            emit({block.top, block.bottom, cut, cut + 1});
        }
    }

    std::vector<std::int64_t> result;

private:
    // Below this many cells a block is ordered along its shorter side: the factor of a block that
    // small is dense anyway.
    static constexpr std::int64_t kLeafCells = 16;

    void emit(const CellBlock& block)
    {
        const bool byColumns = block.bottom - block.top > block.right - block.left;
        if (byColumns) {
            for (int c = block.left; c < block.right; ++c)
                for (int r = block.top; r < block.bottom; ++r)
                    take(r, c);
        } else {
            for (int r = block.top; r < block.bottom; ++r)
                for (int c = block.left; c < block.right; ++c)
                    take(r, c);
        }
    }
    void take(int row, int column)
    {
        const std::int64_t node =
            m_nodeOfCell[static_cast<size_t>(row) * static_cast<size_t>(m_columns) + static_cast<size_t>(column)];
        if (node >= 0)
            result.push_back(node);
    }

    int m_columns;
    const std::vector<std::int64_t>& m_nodeOfCell;
};

} // namespace

std::vector<std::int64_t> gridNestedDissection(int rows, int columns, const std::vector<std::int64_t>& nodeOfCell)
{
    assert(nodeOfCell.size() == static_cast<size_t>(rows) * static_cast<size_t>(columns));
    Dissection dissection(columns, nodeOfCell);
    dissection.result.reserve(static_cast<size_t>(
        std::count_if(nodeOfCell.begin(), nodeOfCell.end(), [](std::int64_t node) { return node >= 0; })));
    dissection.order({0, rows, 0, columns});
    return std::move(dissection.result);
}

} // namespace tessaloc
