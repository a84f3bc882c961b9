#pragma once

#include "core/NumberText.h"
#include "core/PackedDistances.h"
#include "core/SquareMatrix.h"

#include <initializer_list>
#include <string>
#include <vector>

namespace tessaloc::testing {

/// A symmetric n x n matrix with a zero diagonal from its upper triangle, listed row by row:
/// (0, 1), (0, 2), ..., (0, n-1), (1, 2), ...
inline SquareMatrix fromPairs(int n, std::initializer_list<double> upper)
{
    SquareMatrix m(n);
    auto value = upper.begin();
    for (int i = 0; i < n; ++i)
        for (int j = i + 1; j < n; ++j)
            m.setPair(i, j, *value++);
    return m;
}

/// `matrix` as a distance matrix file: the names in the first row and the first column, every value
/// in its shortest text that reads back exactly, the columns in reverse order so that a reader must
/// match them by name.
inline std::string matrixFileText(const std::vector<std::string>& names, const SquareMatrix& matrix)
{
    const int n = matrix.size();
    std::string csv;
    for (int j = n - 1; j >= 0; --j)
        csv += "," + names[static_cast<size_t>(j)];
    csv += "\n";
    for (int i = 0; i < n; ++i) {
        csv += names[static_cast<size_t>(i)];
        for (int j = n - 1; j >= 0; --j)
            csv += "," + shortestText(matrix(i, j));
        csv += "\n";
    }
    return csv;
}

/// `matrix` as R's read.csv(header = FALSE) reads it: N rows of N values, no names, each value's
/// text reading back exactly.
inline std::string plainMatrixCsv(const SquareMatrix& matrix)
{
    std::string text;
    for (int i = 0; i < matrix.size(); ++i) {
        for (int j = 0; j < matrix.size(); ++j)
            text += std::string(j == 0 ? "" : ",") + std::string(ExactNumber(matrix(i, j)).view());
        text += "\n";
    }
    return text;
}

/// The same distances stored once per pair, as the engines take them.
inline PackedDistances pairsOf(int n, std::initializer_list<double> upper)
{
    return PackedDistances(fromPairs(n, upper));
}

} // namespace tessaloc::testing
