#include "core/MatrixSums.h"

#include "core/Errors.h"

#include <cmath>

namespace tessaloc {

double CrossProductSum(const SquareMatrix& a, const SquareMatrix& b)
{
    const int n = a.size();
    double sum = 0.0;
    for (int i = 0; i < n; ++i) {
        const double* rowA = a.row(i);
        const double* rowB = b.row(i);
        for (int j = i + 1; j < n; ++j)
            sum += rowA[j] * rowB[j];
    }
    return sum;
}

double MatrixCorrelation(const SquareMatrix& a, const SquareMatrix& b)
{
    const int n = a.size();
    const double pairs = static_cast<double>(n) * (n - 1) / 2.0;

    double sumA = 0.0;
    double sumB = 0.0;
    for (int i = 0; i < n; ++i) {
        for (int j = i + 1; j < n; ++j) {
            sumA += a(i, j);
            sumB += b(i, j);
        }
    }
    const double meanA = sumA / pairs;
    const double meanB = sumB / pairs;

    double saa = 0.0;
    double sbb = 0.0;
    double sab = 0.0;
    for (int i = 0; i < n; ++i) {
        for (int j = i + 1; j < n; ++j) {
            const double da = a(i, j) - meanA;
            const double db = b(i, j) - meanB;
            saa += da * da;
            sbb += db * db;
            sab += db * da;
        }
    }
    return requireFinite(sab / std::sqrt(saa * sbb),
                         "the matrix correlation (every pair has the same distance, or there are fewer than three "
                         "observations)");
}

PairDeviations CenterPairs(const SquareMatrix& m)
{
    const int n = m.size();
    PairDeviations centered;
    centered.deviations = SquareMatrix(n);
    if (n < 2)
        return centered;
    double sum = 0.0;
    for (int i = 0; i < n - 1; ++i) {
        const double* row = m.row(i);
        for (int j = i + 1; j < n; ++j)
            sum += row[j];
    }
    centered.mean = sum / (static_cast<double>(n) * (n - 1) / 2.0);
    for (int i = 0; i < n - 1; ++i) {
        const double* row = m.row(i);
        for (int j = i + 1; j < n; ++j) {
            const double deviation = row[j] - centered.mean;
            centered.deviations.setPair(i, j, deviation);
            centered.sumOfSquares += deviation * deviation;
        }
    }
    return centered;
}

} // namespace tessaloc
