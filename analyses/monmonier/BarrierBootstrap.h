#pragma once

#include "analyses/monmonier/Monmonier.h"

#include <string>
#include <vector>

namespace tessaloc {

/// The edges the barriers cross and the lines they draw, in the ids of `numbers` (see
/// BarrierCrossings). Preconditions: every slot names a triangle that `numbers` numbers.
BarrierCrossings CrossingsOf(const std::vector<BarrierRecord>& barriers, const EdgeNumbers& numbers);

/// The warning of a bootstrap over a single locus (or sequence site): every replicate then repeats
/// the observed data, and the support says nothing.
std::string singleUnitBootstrapWarning(DataType dataType);

/// What the search of one replicate gave.
struct ReplicateSearch {
    enum class Outcome {
        Searched,    ///< every barrier was found
        NoStartEdge, ///< the search found no start edge for some barrier
        NoDistances, ///< a pair of observations had no common locus among the resampled ones
    };
    Outcome outcome = Outcome::Searched;
    /// The crossings of the replicate's barriers; empty unless Searched.
    BarrierCrossings crossings;
};

/// Everything the observed search ran on, which every replicate shares. Referenced, not copied: it
/// must outlive the bootstrap.
struct BarrierSearchData {
    const SampleTable& table;
    DataType dataType = DataType::Codominant;
    bool useLatLong = false;
    MonmonierDistanceKind kind = MonmonierDistanceKind::Residual;
    long long barrierCount = 1;
    /// The geographic distances of the observations; read only for residual values.
    const SquareMatrix& geographic;
    const DistinctLocations& locations;
    const Triangulation& triangulation;
    /// The observed search's triangles (their geometry; the replicates give the edges new values).
    const std::vector<BarrierTriangle>& triangles;
};

/// The bootstrap support of the observed barriers over the loci.
///
/// A replicate resamples the loci with replacement (the sites of the sequences for data type 3; see
/// ResampledTable), builds the genetic distances of the resampled table, takes their residuals on
/// the same geographic distances when the values are residuals, gives the edges of the same
/// triangulation their values and runs the same search for the same number of barriers. A
/// replicate whose search finds no start edge for one of its barriers, or whose loci leave a pair
/// of observations without a common locus, crosses no edge.
class BarrierBootstrap {
public:
    explicit BarrierBootstrap(const BarrierSearchData& data);

    /// The loci (or sites) a replicate draws: ResampledUnitCount of the table.
    int resampledUnits() const { return m_units; }
    const EdgeNumbers& edges() const { return m_edges; }

    /// The search of one replicate on the loci (or sites) at the positions `drawn`. Safe to call on
    /// several threads at once. Throws AnalysisError where the observed search would have.
    ReplicateSearch search(const std::vector<int>& drawn) const;

    /// The memory one search holds at its peak, in bytes: the replicate's genetic distances of
    /// `observations` observations as pairs and as a full matrix of doubles.
    static double searchBytes(int observations);
    /// The searches run side by side on `threads` threads (0: defaultThreadCount()): no more than
    /// their matrices allow together (workingCopiesAtOnce), so that memory does not grow with the
    /// number of threads beyond that.
    static int searchesAtOnce(int observations, int threads);

    /// `replicates` replicates (0..kMostBootstrapReplicates). Every replicate's positions are drawn
    /// from `random` in replicate order (DrawResample), a batch at a time on the calling thread; the
    /// batch's searches run on searchesAtOnce(observations, threads) threads, and their crossings are counted
    /// in replicate order, so the support does not depend on the number of threads. With a group of
    /// processes (sharingProcessGroup()) each process searches a contiguous block of replicates and
    /// the searches are shared before they are counted: every process ends with a single process's
    /// support and generator. Warns through
    /// the listener when a single locus is resampled; shows "Bootstrap: " with every 10th replicate;
    /// throws RunCancelled between batches when asked.
    BarrierSupport run(const std::vector<BarrierRecord>& observed, long long replicates, int threads,
                       RandomUniform& random, RunListener& listener = RunListener::none()) const;

private:
    BarrierSearchData m_data;
    int m_units;
    EdgeNumbers m_edges;
    /// The neighbours of the triangles with no edge crossed yet: where every search starts.
    std::vector<TriangleLinks> m_links;
};

} // namespace tessaloc
