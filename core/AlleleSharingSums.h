#pragma once

#include "core/SampleTable.h"
#include "core/SquareMatrix.h"

#include <vector>

namespace tessaloc {

/// The ways the data-type-1 distance can add up its per-locus terms. Every one of them adds each
/// pair's terms one by one in locus order, as the definition does, so all give the same matrix bit
/// for bit; they differ only in how many pairs advance together.
enum class AlleleSumKernel {
    Portable, ///< plain C++: 32 pairs side by side, one addition after the other
    Avx512,   ///< x86-64 with AVX-512: 32 pairs in four vectors of eight, one instruction per eight terms
};

/// The kernels this processor can run, the fastest first.
std::vector<AlleleSumKernel> availableAlleleSumKernels();

/// The allele-sharing distance of data type 1 (see AlleleDistanceMatrix) with the given kernel,
/// which must be one of availableAlleleSumKernels(). Throws DataProblem (noCommonLociMessage) for the
/// first pair, i ascending then j ascending, without a usable locus.
SquareMatrix alleleSharingDistances(const SampleTable& table, AlleleSumKernel kernel);

} // namespace tessaloc
