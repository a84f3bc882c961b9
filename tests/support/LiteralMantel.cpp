#include "tests/support/LiteralMantel.h"

#include "core/MatrixSums.h"

#include <utility>

namespace tessaloc::reference {

void literalExchangeReplicate(SquareMatrix& m, RandomUniform& random)
{
    const int n = m.size();
    for (int exchange = 1; exchange <= n; ++exchange) {
        const int a = static_cast<int>(random.next() * n) + 1;
        int b = static_cast<int>(random.next() * n) + 1;
        while (b == a)
            b = static_cast<int>(random.next() * n) + 1;
        for (int column = 1; column <= n; ++column)
            std::swap(m(a - 1, column - 1), m(b - 1, column - 1));
        for (int row = 1; row <= n; ++row)
            std::swap(m(row - 1, a - 1), m(row - 1, b - 1));
    }
}

LiteralMantelCounts literalMantelPermutations(const SquareMatrix& genetic, const SquareMatrix& geographic, double z,
                                              long long permutations, RandomUniform& random)
{
    SquareMatrix m = genetic;
    LiteralMantelCounts counts;
    for (long long k = 1; k <= permutations; ++k) {
        literalExchangeReplicate(m, random);
        const double zPrime = CrossProductSum(m, geographic);
        if (zPrime >= z)
            ++counts.greaterOrEqual;
        if (zPrime <= z)
            ++counts.lessOrEqual;
    }
    return counts;
}

} // namespace tessaloc::reference
