#pragma once

#include "core/PackedDistances.h"
#include "core/SampleTable.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessaloc {

/// The ways the per-pair, per-locus loops of the data-type-1 and data-type-2 distances can run.
/// Every one of them adds each pair's data-type-1 terms one by one in locus order, as the
/// definition does, and counts the same data-type-2 loci, so all give the same matrix bit for bit;
/// they differ only in how many pairs advance together and in the instructions they use.
enum class DistanceKernel {
    Portable, ///< plain C++ that compilers vectorise for any processor
    Avx2,     ///< x86-64 with AVX2
    Avx512,   ///< x86-64 with AVX-512 (F and BW)
};

/// The environment variable that makes the program use a slower kernel than its processor allows:
/// "portable", "avx2" or "avx512" (for testing and benchmarking).
inline constexpr const char* kDistanceKernelVariable = "TESSALOC_DISTANCE_KERNEL";

/// The kernels this processor can run, the fastest first; the portable one is always last.
std::vector<DistanceKernel> availableDistanceKernels();

/// The kernel's name as the environment variable and `tessaloc-cli --version` spell it.
std::string_view distanceKernelName(DistanceKernel kernel);

/// The kernel named `name`, or nothing when no kernel has that name.
std::optional<DistanceKernel> distanceKernelNamed(std::string_view name);

/// The kernel to use when `requested` is the value of kDistanceKernelVariable (nullptr when it is not
/// set): the fastest of `available` that is not faster than the kernel requested. A value that names
/// no kernel is ignored, so the fastest is used.
DistanceKernel distanceKernelFor(const char* requested, const std::vector<DistanceKernel>& available);

/// The kernel the distance builders use: distanceKernelFor(the environment variable, this
/// processor's kernels).
DistanceKernel chosenDistanceKernel();

/// One line that names the kernel in use and the ones the processor has, for `--version`:
/// "distance kernel: avx2 (this processor: avx512 avx2 portable)".
std::string distanceKernelSummary();

/// The allele-sharing distance of data type 1 (see AlleleDistanceMatrix) with the given kernel,
/// which must be one of availableDistanceKernels(). Throws DataProblem (noCommonLociMessage) for the
/// first pair, i ascending then j ascending, without a usable locus.
PackedDistances alleleSharingDistances(const SampleTable& table, DistanceKernel kernel);

/// The proportion of differing fields of data type 2 (see GenotypeDistanceMatrix) with the given
/// kernel, which must be one of availableDistanceKernels(). Throws DataProblem like
/// alleleSharingDistances.
PackedDistances genotypeDifferenceDistances(const SampleTable& table, DistanceKernel kernel);

} // namespace tessaloc
