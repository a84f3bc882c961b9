#pragma once

#include "ui/widgets/ReportFile.h"

#include "analyses/aggregation/Aggregation.h"
#include "analyses/autocorrelation/Autocorrelation.h"
#include "analyses/kinship/Kinship.h"
#include "analyses/landscape/Landscape.h"
#include "analyses/mantel/Mantel.h"
#include "analyses/matrixregression/MatrixRegression.h"
#include "analyses/mlpe/Mlpe.h"
#include "analyses/modelcomparison/ModelComparison.h"
#include "analyses/monmonier/Monmonier.h"
#include "analyses/partialmantel/PartialMantel.h"
#include "core/Permutations.h"
#include "core/RandomUniform.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <utility>

namespace tessaloc::ui {

/// Every analysis setting the options windows edit, in the engines' own types. The members start
/// at the engines' start-up values; they last until the program ends and are never written to disk.
struct ProgramSettings {
    MantelSettings mantel;
    AutocorrelationSettings autocorrelation;
    AggregationSettings aggregation;
    /// The paired-sample analysis's permutation count; the program has no such analysis yet.
    std::int32_t psgdaPermutationCount = 1000;
    LandscapeSettings landscape;
    MonmonierSettings monmonier;
    PartialMantelSettings partialMantel;
    MatrixRegressionSettings matrixRegression;
    MlpeSettings mlpe;
    ModelComparisonSettings modelComparison;
    KinshipSettings kinship;
    /// How every permutation test (Mantel, spatial autocorrelation, aggregation) draws its replicates:
    /// one choice for the whole program, which a run puts into its analysis's settings (the scheme
    /// in the analyses' own settings above is not used).
    PermutationScheme permutationScheme = PermutationScheme::Exchanges;
};

/// What the window program holds for as long as it runs: the settings, the directory of the last
/// run, the folder of the last saved report, the one platform generator that seeds every run and the
/// seed the user fixed.
struct ProgramState {
    ProgramSettings settings;
    /// The working directory when the last run started; empty before the first run.
    QString RunDirectory;
    /// The folder in which a report was last saved; the save dialogs start there. Empty before the
    /// first save.
    QString lastSaveFolder;
    SeedSource seeds;
    /// The seed every run starts from ("Options" > "Random Seed..."); without one each run seeds
    /// itself from the clock.
    std::optional<std::pair<std::int64_t, std::int64_t>> fixedSeed;
    /// The seed the last run started from; none before the first run.
    std::optional<std::pair<std::int64_t, std::int64_t>> lastRunSeed;
    /// The line indexes a run made of its reports, handed to the results window that loads them
    /// (see startAnalysis); empty between runs.
    ReportIndexCache reportIndexes;
};

} // namespace tessaloc::ui
