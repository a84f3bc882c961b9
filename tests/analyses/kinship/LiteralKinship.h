#pragma once

// The estimators of the fine-scale structure analysis transcribed word for word from their
// definitions, for the tests of the fast engine: allele by allele, copy by copy, locus by locus.

#include "analyses/kinship/Kinship.h"

#include "core/SampleTable.h"
#include "core/SquareMatrix.h"

#include <string>
#include <vector>

namespace tessaloc::reference {

/// The kinship coefficients F_ij of Loiselle et al. over the loci of `table` except `leftOut`
/// (-1: none), NaN for a pair without a common polymorphic locus and on the diagonal.
SquareMatrix literalKinship(const SampleTable& table, DataType dataType, int leftOut = -1);

/// Rousset's a_ij over the loci except `leftOut`, NaN where the denominator is 0.
SquareMatrix literalRousset(const SampleTable& table, int leftOut = -1);

/// The least-squares slope of y on x over the points given, the textbook way (deviations from the
/// means), NaN for fewer than two points or x all equal.
double literalSlope(const std::vector<double>& x, const std::vector<double>& y);

/// What the analysis reports, from the pairwise values by the definitions: per class the mean of
/// the values that exist (NaN for none), the slopes on d and ln d, F1, Sp, the slope of a on ln d
/// and Nb. `classes` decides the class of each pair.
struct LiteralStatistics {
    std::vector<double> kinshipMeans;
    std::vector<double> roussetMeans;
    double bLin = 0.0;
    double bLog = 0.0;
    double f1 = 0.0;
    double sp = 0.0;
    double aSlope = 0.0;
    double nb = 0.0;
};
LiteralStatistics literalStatistics(const SquareMatrix& kinship, const SquareMatrix& rousset,
                                    const SquareMatrix& geographic, const KinshipClasses& classes);

/// A table of `fields[i]` (one field per locus) for individuals named "i1", "i2", ... at the given
/// coordinates.
SampleTable kinshipTable(const std::vector<std::vector<std::string>>& fields, const std::vector<double>& x,
                         const std::vector<double>& y);

/// The table without locus `locus`.
SampleTable withoutLocus(const SampleTable& table, int locus);

} // namespace tessaloc::reference
