#pragma once

#include "core/RandomUniform.h"

#include <QString>

#include <cstdint>

namespace tessaloc::ui {

/// The spatial autocorrelation settings kept between runs.
struct SaaOptions {
    std::int32_t classCount = 10;
    std::int32_t permutationCount = 1000;
    std::int16_t classMode = 0; ///< 0 = EqualDistances, 1 = EqualCounts
};

/// The allelic aggregation settings kept between runs.
struct AaiaOptions {
    std::int32_t permutationCount = 1000;
    std::int16_t areaMode = 0; ///< 0 = EstimatedRectangular, 1 = Empirical
    double empiricalArea = 0.0;
};

/// Every analysis setting the options windows edit. The members start at the program's start-up
/// values; they last until the program ends and are never written to disk.
struct ProgramSettings {
    std::int32_t MantelPermutations = 1000;
    std::int16_t MantelLogGeo = 0; ///< 1 = log10 of the geographic distances
    std::int16_t MantelLogGen = 0; ///< 1 = log10 of the genetic distances
    SaaOptions saa;
    AaiaOptions aaia;
    std::int32_t psgdaPermutationCount = 1000;
    std::int16_t LandscapeNetwork = 1;    ///< 1 = Delaunay edges, 0 = all pairwise lines
    std::int16_t LandscapeHeightMode = 2; ///< 0 raw, 1 pseudoslopes, 2 residuals
    bool LandscapeLogHeights = false;
    std::int16_t MonmonierDistanceKind = 2; ///< 0 raw, 1 pseudoslopes, 2 residuals
    std::int32_t MonmonierBarrierCount = 1;
};

/// What the window program holds for as long as it runs: the settings, the directory of the last
/// run and the one platform generator that seeds every run.
struct ProgramState {
    ProgramSettings settings;
    /// The working directory when the last run started; empty before the first run.
    QString RunDirectory;
    SeedSource seeds;
};

} // namespace tessaloc::ui
