#include "analyses/monmonier/BarrierBootstrap.h"

#include "core/Errors.h"
#include "core/LocusResampling.h"
#include "core/ThreadCount.h"
#include "geometry/GeometryHelpers.h"
#include "tests/analyses/monmonier/FanCase.h"
#include "tests/support/LiteralDistances.h"
#include "tests/support/LiteralMonmonier.h"
#include "tests/support/NumberedNames.h"
#include "tests/support/ObservedBarrierSearch.h"
#include "tests/support/RecordingListener.h"
#include "tests/support/TempFiles.h"
#include "tests/support/ThreadsAsProcesses.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace tessaloc {
namespace {

using testing::Fan;
using Pieces = std::vector<std::pair<std::int32_t, std::int32_t>>;

using Search = reference::ObservedBarrierSearch;

reference::RandomTableRecipe recipe(int samples, int loci, double missing, std::uint32_t seed)
{
    reference::RandomTableRecipe r;
    r.samples = samples;
    r.loci = loci;
    r.allelesPerLocus = 3;
    r.missingRate = missing;
    r.sequenceLength = 12;
    r.seed = seed;
    return r;
}

// A table whose `copies` loci are all the first locus of a random table.
SampleTable identicalLoci(DataType type, int samples, int copies, std::uint32_t seed)
{
    SampleTable table = reference::randomSampleTable(type, recipe(samples, 1, 0.0, seed));
    table.genotypes.assign(static_cast<size_t>(copies), table.genotypes[0]);
    table.locusCount = copies;
    return table;
}

TEST(NumberEdges, NumbersTheFanInOrderOfFirstOccurrence)
{
    // By hand from the fan's triangles (O,P0,P1), (O,P1,P2), (O,P2,P3), (O,P3,P0): the spokes O-P1,
    // O-P2, O-P3 come again as edge 0 of the next triangle, O-P0 as edge 2 of the last.
    const EdgeNumbers numbers = NumberEdges(Fan().triangles);
    EXPECT_EQ(numbers.idOf, (std::vector<std::int32_t>{0, 1, 2, 2, 3, 4, 4, 5, 6, 6, 7, 0}));
    EXPECT_EQ(numbers.firstOccurrence, (std::vector<std::int32_t>{0, 1, 2, 4, 5, 7, 8, 10}));
    EXPECT_EQ(numbers.count(), 8);
    EXPECT_EQ(numbers.id(3, 2), 0);
}

TEST(CrossingsOf, TheFanBarrierCrossesTheFourSpokesAndDrawsFourLines)
{
    // The walk of FindBarriers' fan test: slots (1,0) (2,0) (3,0) (0,0) (1,0), then (1,0) (0,2) (3,2):
    // the spokes O-P1 (id 2), O-P2 (4), O-P3 (6), O-P0 (0). Its lines join O-P1 to O-P2, O-P2 to
    // O-P3, O-P3 to O-P0 and O-P0 to O-P1; the second segment's first line has no length and its
    // second repeats the last.
    const Fan fan;
    auto links = FindNeighbours(fan.triangles);
    const auto barriers = FindBarriers(fan.triangles, links, 1);
    const BarrierCrossings crossings = CrossingsOf(barriers, NumberEdges(fan.triangles));
    ASSERT_EQ(crossings.edges.size(), 1u);
    EXPECT_EQ(crossings.edges[0], (std::vector<std::int32_t>{0, 2, 4, 6}));
    EXPECT_EQ(crossings.pieces, (Pieces{{0, 2}, {0, 6}, {2, 4}, {4, 6}}));
}

TEST(CrossingsOf, ASecondBarrierCrossesTheEdgeWhereItMeetsTheFirst)
{
    // The second barrier starts on the rim P3-P0 (0.4, the largest left), enters triangle 3 and leaves
    // through O-P3 (0.7 against O-P0's 0.6), crossed by barrier 1: it ends there and crosses it too.
    const Fan fan;
    auto links = FindNeighbours(fan.triangles);
    const auto barriers = FindBarriers(fan.triangles, links, 2);
    const BarrierCrossings crossings = CrossingsOf(barriers, NumberEdges(fan.triangles));
    ASSERT_EQ(crossings.edges.size(), 2u);
    EXPECT_EQ(crossings.edges[1], (std::vector<std::int32_t>{6, 7}));
    EXPECT_EQ(crossings.pieces, (Pieces{{0, 2}, {0, 6}, {2, 4}, {4, 6}, {6, 7}}));
}

TEST(BarrierBootstrap, IdenticalLociGiveFullSupportOnEveryObservedEdge)
{
    // Every resample of copies of one locus is that locus again, so every replicate repeats the
    // observed search: each observed edge has 100 % for its barrier, and nothing else is crossed.
    const Search search(identicalLoci(DataType::Codominant, 14, 5, 3), DataType::Codominant, false,
                        MonmonierDistanceKind::Residual, 2);
    RandomUniform random(11, 13);
    const BarrierSupport support = search.bootstrap().run(search.barriers, 25, 0, random);
    const BarrierCrossings observed = CrossingsOf(search.barriers, support.edges);
    ASSERT_FALSE(support.rows.empty());
    for (const EdgeSupport& row : support.rows) {
        ASSERT_GT(row.observed, 0) << "edge " << row.edge << " is crossed only in replicates";
        EXPECT_EQ(support.percent(row.any), 100.0);
        for (int b = 1; b <= 2; ++b) {
            const auto& edges = observed.edges[static_cast<size_t>(b - 1)];
            const bool crossed = std::binary_search(edges.begin(), edges.end(), row.edge);
            EXPECT_EQ(support.barrierPercent(b, row.edge), crossed ? 100.0 : 0.0) << "edge " << row.edge;
        }
    }
    for (const PieceSupport& piece : support.pieces) {
        EXPECT_TRUE(piece.observed);
        EXPECT_EQ(piece.any, 25);
    }
    EXPECT_EQ(support.withoutStartEdge, 0);
    EXPECT_EQ(support.withoutDistances, 0);
}

struct LiteralCase {
    const char* name;
    DataType type;
    bool latLong;
    MonmonierDistanceKind kind;
    long long barriers;
    int samples;
    int loci;
    double missing;
    std::uint32_t seed;
    long long replicates;
};

void PrintTo(const LiteralCase& c, std::ostream* out)
{
    *out << c.name;
}

class AgainstTheLiteralLoop : public ::testing::TestWithParam<LiteralCase> {};

TEST_P(AgainstTheLiteralLoop, EveryCountIsTheLiteralLoopsCount)
{
    const LiteralCase& c = GetParam();
    SampleTable table = reference::randomSampleTable(c.type, recipe(c.samples, c.loci, c.missing, c.seed));
    if (c.latLong) {
        // Longitudes -50..49.9 and latitudes -50..49.9 from the table's 0..999.
        for (int i = 0; i < table.sampleCount(); ++i) {
            table.xTexts[i] = std::to_string(std::stoi(table.xTexts[i]) / 10.0 - 50);
            table.yTexts[i] = std::to_string(std::stoi(table.yTexts[i]) / 10.0 - 50);
        }
    }
    const Search search(table, c.type, c.latLong, c.kind, c.barriers);
    RandomUniform random(7, c.seed + 1);
    RandomUniform literalRandom = random;
    const BarrierSupport support = search.bootstrap().run(search.barriers, c.replicates, 0, random);
    const reference::LiteralSupport literal =
        reference::literalBarrierSupport(table, c.type, c.latLong, c.kind, c.barriers, c.replicates, literalRandom);

    EXPECT_EQ(support.withoutStartEdge, literal.withoutStartEdge);
    EXPECT_EQ(support.withoutDistances, literal.withoutDistances);
    EXPECT_EQ(random.state1(), literalRandom.state1()) << "both draw the same numbers";
    EXPECT_EQ(random.state2(), literalRandom.state2());

    // The same edges with the same counts: every literal edge is a row, and every row that is no
    // literal edge is an observed edge that no replicate crossed.
    const auto edgeOf = [&](std::int32_t id) -> const TriangleEdge& {
        const std::int32_t occurrence = support.edges.firstOccurrence[static_cast<size_t>(id)];
        return search.triangles[static_cast<size_t>(occurrence / 3)].Edges[static_cast<size_t>(occurrence % 3)];
    };
    const auto literalIndex = [&](std::int32_t id) {
        for (size_t k = 0; k < literal.edges.size(); ++k)
            if (SameEdge(literal.edges[k], edgeOf(id)))
                return static_cast<long long>(k);
        return -1LL;
    };
    size_t matched = 0;
    for (const EdgeSupport& row : support.rows) {
        const long long k = literalIndex(row.edge);
        if (k < 0) {
            EXPECT_EQ(row.any, 0);
            EXPECT_GT(row.observed, 0);
            continue;
        }
        ++matched;
        EXPECT_EQ(row.any, literal.anyCounts[static_cast<size_t>(k)]) << "edge " << row.edge;
        for (long long b = 0; b < c.barriers; ++b)
            EXPECT_EQ(row.barriers[static_cast<size_t>(b)], literal.barrierCounts[static_cast<size_t>(k)][b])
                << "edge " << row.edge << ", barrier " << b + 1;
    }
    EXPECT_EQ(matched, literal.edges.size());

    ASSERT_EQ(support.pieces.size(), literal.pieces.size());
    for (const PieceSupport& piece : support.pieces) {
        const long long from = literalIndex(piece.from);
        const long long to = literalIndex(piece.to);
        bool found = false;
        for (size_t j = 0; j < literal.pieces.size(); ++j) {
            const auto [p, q] = literal.pieces[j];
            if ((static_cast<long long>(p) == from && static_cast<long long>(q) == to) ||
                (static_cast<long long>(p) == to && static_cast<long long>(q) == from)) {
                found = true;
                EXPECT_EQ(piece.any, literal.pieceCounts[j]);
            }
        }
        EXPECT_TRUE(found) << "piece " << piece.from << "-" << piece.to;
    }
}

INSTANTIATE_TEST_SUITE_P(BarrierBootstrap, AgainstTheLiteralLoop,
                         ::testing::Values(LiteralCase{"CodominantResiduals", DataType::Codominant, false,
                                                       MonmonierDistanceKind::Residual, 2, 16, 6, 0.05, 21, 40},
                                           LiteralCase{"GenotypesRawWithMissingData", DataType::Genotypes, false,
                                                       MonmonierDistanceKind::Raw, 1, 12, 4, 0.15, 3, 60},
                                           LiteralCase{"SequencesPseudoslopesLatLong", DataType::Sequences, true,
                                                       MonmonierDistanceKind::Pseudoslope, 3, 15, 1, 0.0, 8, 30},
                                           LiteralCase{"ManyBarriersOnFewLocations", DataType::Codominant, false,
                                                       MonmonierDistanceKind::Raw, 3, 5, 4, 0.0, 3, 60}),
                         [](const ::testing::TestParamInfo<LiteralCase>& param) {
                             return std::string(param.param.name);
                         });

TEST(BarrierBootstrap, TheLiteralCasesReachEveryOutcome)
{
    // The cases above are worth their name only if some replicates lack distances or a start edge.
    const auto literalFor = [](DataType type, MonmonierDistanceKind kind, long long barriers, int samples, int loci,
                               double missing, std::uint32_t seed, long long replicates) {
        const SampleTable table = reference::randomSampleTable(type, recipe(samples, loci, missing, seed));
        RandomUniform random(7, seed + 1);
        return reference::literalBarrierSupport(table, type, false, kind, barriers, replicates, random);
    };
    EXPECT_GT(literalFor(DataType::Genotypes, MonmonierDistanceKind::Raw, 1, 12, 4, 0.15, 3, 60).withoutDistances, 0);
    EXPECT_GT(literalFor(DataType::Codominant, MonmonierDistanceKind::Raw, 3, 5, 4, 0.0, 3, 60).withoutStartEdge, 0);
}

void expectSameSupport(const BarrierSupport& other, const BarrierSupport& one, const std::string& where)
{
    EXPECT_EQ(other.withoutStartEdge, one.withoutStartEdge) << where;
    EXPECT_EQ(other.withoutDistances, one.withoutDistances) << where;
    ASSERT_EQ(other.rows.size(), one.rows.size()) << where;
    for (size_t r = 0; r < one.rows.size(); ++r) {
        EXPECT_EQ(other.rows[r].edge, one.rows[r].edge) << where;
        EXPECT_EQ(other.rows[r].observed, one.rows[r].observed) << where;
        EXPECT_EQ(other.rows[r].any, one.rows[r].any) << where;
        EXPECT_EQ(other.rows[r].barriers, one.rows[r].barriers) << where;
    }
    ASSERT_EQ(other.pieces.size(), one.pieces.size()) << where;
    for (size_t p = 0; p < one.pieces.size(); ++p) {
        EXPECT_EQ(std::make_pair(other.pieces[p].from, other.pieces[p].to),
                  std::make_pair(one.pieces[p].from, one.pieces[p].to))
            << where;
        EXPECT_EQ(other.pieces[p].any, one.pieces[p].any) << where;
    }
}

TEST(BarrierBootstrap, TheSupportDoesNotDependOnTheNumberOfThreadsOrProcesses)
{
    // Residual barriers on a larger table, and two tables on which some replicates have no
    // distances or find no start edge: those outcomes must keep their places too.
    struct Case {
        const char* name;
        DataType type;
        MonmonierDistanceKind kind;
        long long barriers;
        reference::RandomTableRecipe recipe;
    };
    for (const Case& c :
         {Case{"residuals", DataType::Codominant, MonmonierDistanceKind::Residual, 3, recipe(30, 8, 0.05, 17)},
          Case{"missing data", DataType::Genotypes, MonmonierDistanceKind::Raw, 1, recipe(12, 4, 0.15, 3)},
          Case{"few locations", DataType::Codominant, MonmonierDistanceKind::Raw, 3, recipe(5, 4, 0.0, 3)}}) {
        const Search search(reference::randomSampleTable(c.type, c.recipe), c.type, false, c.kind, c.barriers);
        const BarrierBootstrap bootstrap = search.bootstrap();
        RandomUniform random(5, 9);
        const BarrierSupport one = bootstrap.run(search.barriers, 150, 1, random);
        if (c.kind == MonmonierDistanceKind::Raw) {
            EXPECT_GT(one.withoutDistances + one.withoutStartEdge, 0) << c.name << " reaches the other outcomes";
        }
        struct Sharing {
            int threads;
            int processes;
        };
        for (const Sharing sharing :
             {Sharing{2, 1}, Sharing{3, 1}, Sharing{8, 1}, Sharing{1, 2}, Sharing{2, 3}, Sharing{3, 4}}) {
            std::vector<BarrierSupport> supports(static_cast<size_t>(sharing.processes));
            std::vector<RandomUniform> randoms(static_cast<size_t>(sharing.processes), RandomUniform(5, 9));
            const auto failures = test::ThreadsAsProcesses::run(sharing.processes, [&](int index) {
                const size_t p = static_cast<size_t>(index);
                supports[p] = bootstrap.run(search.barriers, 150, sharing.threads, randoms[p]);
            });
            for (size_t p = 0; p < supports.size(); ++p) {
                const std::string where = std::string(c.name) + ", " + std::to_string(sharing.threads) +
                                          " threads, process " + std::to_string(p) + " of " +
                                          std::to_string(sharing.processes);
                ASSERT_FALSE(failures[p]) << where;
                EXPECT_EQ(randoms[p].state1(), random.state1()) << where;
                EXPECT_EQ(randoms[p].state2(), random.state2()) << where;
                expectSameSupport(supports[p], one, where);
            }
        }
    }
}

TEST(BarrierBootstrap, EachReplicateDrawsItsPositionsInReplicateOrder)
{
    // The replicate searched for replicate r is the one on the r-th DrawResample of the generator.
    const Search search(reference::randomSampleTable(DataType::Genotypes, recipe(10, 4, 0.0, 2)), DataType::Genotypes,
                        false, MonmonierDistanceKind::Raw, 1);
    const BarrierBootstrap bootstrap = search.bootstrap();
    RandomUniform random(3, 4);
    RandomUniform copy = random;
    const BarrierSupport support = bootstrap.run(search.barriers, 12, 3, random);
    std::vector<std::int32_t> any(static_cast<size_t>(support.edges.count()), 0);
    for (int r = 0; r < 12; ++r) {
        const ReplicateSearch replicate = bootstrap.search(DrawResample(bootstrap.resampledUnits(), copy));
        ASSERT_EQ(replicate.outcome, ReplicateSearch::Outcome::Searched);
        std::vector<bool> crossed(any.size(), false);
        for (const auto& edges : replicate.crossings.edges)
            for (const std::int32_t edge : edges)
                crossed[static_cast<size_t>(edge)] = true;
        for (size_t e = 0; e < any.size(); ++e)
            any[e] += crossed[e] ? 1 : 0;
    }
    for (const EdgeSupport& row : support.rows)
        EXPECT_EQ(row.any, any[static_cast<size_t>(row.edge)]) << "edge " << row.edge;
    EXPECT_EQ(copy.state1(), random.state1());
}

TEST(BarrierBootstrap, OneLocusWarnsThatTheSupportIsMeaninglessAndStillComputesIt)
{
    const Search search(identicalLoci(DataType::Genotypes, 10, 1, 6), DataType::Genotypes, false,
                        MonmonierDistanceKind::Raw, 1);
    testing::RecordingListener listener;
    RandomUniform random(1, 2);
    const BarrierSupport support = search.bootstrap().run(search.barriers, 10, 0, random, listener);
    EXPECT_EQ(listener.warnings, (std::vector<std::string>{singleUnitBootstrapWarning(DataType::Genotypes)}));
    EXPECT_EQ(support.resampledUnits, 1);
    for (const EdgeSupport& row : support.rows)
        EXPECT_EQ(support.percent(row.any), 100.0);
}

TEST(BarrierBootstrap, ShowsEveryTenthReplicateAndStopsWhenCancelled)
{
    const Search search(reference::randomSampleTable(DataType::Genotypes, recipe(8, 3, 0.0, 9)), DataType::Genotypes,
                        false, MonmonierDistanceKind::Raw, 1);
    testing::RecordingListener listener;
    RandomUniform random(1, 2);
    search.bootstrap().run(search.barriers, 25, 1, random, listener);
    EXPECT_EQ(listener.statuses, (std::vector<std::string>{"Bootstrap:  10", "Bootstrap:  20"}));

    testing::RecordingListener cancelling;
    cancelling.cancelAfterFirstStatus = true;
    cancelling.status("Implementing Algorithm");
    EXPECT_THROW(search.bootstrap().run(search.barriers, 25, 1, random, cancelling), RunCancelled);
}

TEST(BarrierBootstrap, RefusesReplicateCountsOutsideTheRange)
{
    const Search search(reference::randomSampleTable(DataType::Genotypes, recipe(8, 3, 0.0, 9)), DataType::Genotypes,
                        false, MonmonierDistanceKind::Raw, 1);
    RandomUniform random(1, 2);
    EXPECT_THROW(search.bootstrap().run(search.barriers, -1, 1, random), AnalysisError);
    EXPECT_THROW(search.bootstrap().run(search.barriers, kMostBootstrapReplicates + 1, 1, random), AnalysisError);
}

TEST(SingleUnitBootstrapWarning, NamesALocusOrASite)
{
    EXPECT_EQ(singleUnitBootstrapWarning(DataType::Codominant),
              "Only one locus to resample: every bootstrap replicate repeats the data, so the support of the barriers "
              "is meaningless.");
    EXPECT_NE(singleUnitBootstrapWarning(DataType::Sequences).find("Only one site"), std::string::npos);
}

// Runs from files, as both front ends do.
struct RunFiles {
    testing::TempFolder folder;
    MonmonierInput input;

    explicit RunFiles(const SampleTable& table)
    {
        std::string coordinates, genotypes = std::to_string(table.locusCount) + "\n";
        for (int i = 0; i < table.sampleCount(); ++i) {
            coordinates += table.names[i] + "," + table.xTexts[i] + "," + table.yTexts[i] + "\n";
            genotypes += table.names[i];
            for (int l = 0; l < table.locusCount; ++l)
                genotypes += "," + table.genotype(l, i);
            genotypes += "\n";
        }
        coordinates += ";\n";
        input.coordinatePath = folder.write("c.txt", coordinates).string();
        input.genotypePath = folder.write("g.txt", genotypes).string();
        input.dataType = DataType::Genotypes;
        input.settings.distanceKind = MonmonierDistanceKind::Raw;
    }
};

TEST(RunMonmonier, WithoutReplicatesDrawsNothingAndComputesNoSupport)
{
    const RunFiles files(reference::randomSampleTable(DataType::Genotypes, recipe(9, 3, 0.0, 12)));
    RandomUniform random(4, 5);
    const MonmonierResult result = RunMonmonier(files.input, random);
    EXPECT_FALSE(result.support.computed());
    EXPECT_EQ(random.state1(), 4);
    EXPECT_EQ(random.state2(), 5);
}

TEST(RunMonmonier, ASeedReproducesTheSupportDrawnAfterTheObservedSearch)
{
    RunFiles files(reference::randomSampleTable(DataType::Genotypes, recipe(12, 5, 0.0, 12)));
    files.input.settings.barrierCount = 2;
    files.input.settings.bootstrapReplicates = 30;
    testing::RecordingListener listener;
    RandomUniform random(4, 5);
    const MonmonierResult result = RunMonmonier(files.input, random, listener);
    ASSERT_TRUE(result.support.computed());
    EXPECT_EQ(result.support.replicates, 30);
    EXPECT_EQ(result.support.resampledUnits, 5);
    EXPECT_EQ(listener.statuses.back(), "Bootstrap:  30");

    // The generator has made exactly the draws of 30 replicates of 5 loci.
    RandomUniform expected(4, 5);
    for (int draw = 0; draw < 30 * 5; ++draw)
        expected.next();
    EXPECT_EQ(random.state1(), expected.state1());
    EXPECT_EQ(random.state2(), expected.state2());

    RandomUniform again(4, 5);
    const MonmonierResult repeated = RunMonmonier(files.input, again);
    ASSERT_EQ(repeated.support.rows.size(), result.support.rows.size());
    for (size_t r = 0; r < result.support.rows.size(); ++r)
        EXPECT_EQ(repeated.support.rows[r].barriers, result.support.rows[r].barriers);
}

TEST(RunMonmonier, AReplicateCountOutsideTheRangeFailsBeforeReading)
{
    MonmonierInput input;
    input.coordinatePath = "no such file";
    RandomUniform random(1, 1);
    for (const long long replicates : {-1LL, kMostBootstrapReplicates + 1}) {
        input.settings.bootstrapReplicates = replicates;
        try {
            RunMonmonier(input, random);
            FAIL();
        } catch (const AnalysisError& error) {
            EXPECT_NE(std::string(error.what()).find("bootstrap replicates must be from 0 to 100000"),
                      std::string::npos)
                << error.what();
        }
    }
}

TEST(RunMonmonier, ReplicatesNeedTheGenerator)
{
    MonmonierInput input;
    input.settings.bootstrapReplicates = 5;
    EXPECT_THROW(RunMonmonier(input), std::invalid_argument);
}

TEST(BarrierBootstrapMemory, SearchesSideBySideAreBoundedWhateverTheThreads)
{
    // A search per thread with no bound: support at 2000 observations took 180 MB on 1 thread,
    // 718 MB on 8 and 1.36 GB on 16. A search holds n(n-1)/2 + n^2 doubles (by hand: 47.99 MB at
    // n = 2000, 299.96 MB at n = 5000), so a quarter gigabyte holds 5 of the first, and the second
    // runs alone.
    EXPECT_DOUBLE_EQ(BarrierBootstrap::searchBytes(2000), (1999000.0 + 4000000.0) * 8.0);
    const struct {
        int observations;
        int threads;
        int searches;
    } cases[] = {{2000, 1, 1}, {2000, 8, 5}, {2000, 16, 5}, {5000, 64, 1}, {100, 8, 8}, {30, 64, 64}};
    for (const auto& c : cases) {
        EXPECT_EQ(BarrierBootstrap::searchesAtOnce(c.observations, c.threads), c.searches)
            << c.observations << " observations on " << c.threads << " threads";
        EXPECT_LE(BarrierBootstrap::searchesAtOnce(c.observations, c.threads) *
                      BarrierBootstrap::searchBytes(c.observations),
                  std::max(kWorkingCopiesMemory, BarrierBootstrap::searchBytes(c.observations)));
    }
}

} // namespace
} // namespace tessaloc
