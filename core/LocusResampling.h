#pragma once

#include "core/RandomUniform.h"
#include "core/SampleTable.h"

#include <vector>

namespace tessaloc {

/// The positions of one bootstrap resample of `count` loci (or sites): `count` draws with replacement,
/// each Int(U x count) (0-based), in the order drawn. `count` must be at least 1.
std::vector<int> DrawResample(int count, RandomUniform& random);

/// The number of units a bootstrap over the genetic data resamples: the loci for data types 1 and 2,
/// the sites of the first sequence for data type 3 (the sequence distance is taken over its length).
int ResampledUnitCount(const SampleTable& table, DataType dataType);

/// The table with its genetic data replaced by the resample `drawn` (positions from DrawResample over
/// ResampledUnitCount units): for data types 1 and 2 the loci at those positions, in that order, a
/// locus drawn twice standing twice; for data type 3 each sequence made of its characters at the drawn
/// sites. A sequence shorter than a drawn site gets a NUL byte there, which differs from every
/// character of another sequence and matches only another sequence that also ends before it, so the
/// sequence distance of the resampled table is the distance over the drawn sites as the whole
/// sequences define it. Names and coordinates are kept.
SampleTable ResampledTable(const SampleTable& table, DataType dataType, const std::vector<int>& drawn);

/// DrawResample and ResampledTable in one: one bootstrap replicate of the genetic data.
SampleTable ResampleLoci(const SampleTable& table, DataType dataType, RandomUniform& random);

} // namespace tessaloc
