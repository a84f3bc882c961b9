#pragma once

// The allelic aggregation analysis done the direct way: the geographic matrix
// itself is rearranged, N row-and-column exchanges per replicate, cumulatively; every replicate
// rebuilds and Shell-sorts all N neighbour lists and walks them category by category. The reference
// for the engine (tests) and its yardstick (benchmarks).

#include "analyses/aggregation/Aggregation.h"

namespace tessaloc::reference {

/// The whole analysis of `table`, with the mended rules of the engine (missing-data codes bear no
/// category; latitude/longitude data measured in kilometres throughout; the one-dimensional
/// expectation only when the observations share one Y). The paths of the result are left empty.
AggregationResult literalAllelicAggregation(const SampleTable& table, DataType dataType, bool useLatLong,
                                            const AggregationSettings& settings, RandomUniform& random);

} // namespace tessaloc::reference
