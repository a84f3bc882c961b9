#pragma once

// The barrier search over a table held in memory, as RunMonmonier makes it from the files, with the
// bootstrap over it: what the bootstrap's tests and benchmark start from.

#include "analyses/monmonier/BarrierBootstrap.h"
#include "core/GeneticDistances.h"
#include "core/GeographicDistances.h"
#include "geometry/GeometryHelpers.h"

#include <utility>
#include <vector>

namespace tessaloc::reference {

struct ObservedBarrierSearch {
    SampleTable table;
    DataType dataType;
    bool useLatLong;
    MonmonierDistanceKind kind;
    long long barrierCount;
    std::vector<double> x, y;
    SquareMatrix geographic;
    DistinctLocations locations;
    Triangulation triangulation;
    std::vector<BarrierTriangle> triangles;
    std::vector<BarrierRecord> barriers;

    ObservedBarrierSearch(SampleTable data, DataType type, bool latLong, MonmonierDistanceKind valueKind,
                          long long barrierNumber)
        : table(std::move(data))
        , dataType(type)
        , useLatLong(latLong)
        , kind(valueKind)
        , barrierCount(barrierNumber)
    {
        for (int i = 0; i < table.sampleCount(); ++i) {
            x.push_back(table.coordinateX(i));
            y.push_back(table.coordinateY(i));
        }
        geographic = BuildGeographicDistances(table, useLatLong).square();
        SquareMatrix G = BuildGeneticDistances(table, dataType).square();
        if (kind == MonmonierDistanceKind::Residual)
            ResidualizeDistances(G, geographic);
        locations = GroupDistinctLocations(x, y);
        triangulation = TriangulateLocations(locations);
        triangles = BuildBarrierTriangles(locations, triangulation, G, useLatLong, kind);
        auto links = FindNeighbours(triangles);
        barriers = FindBarriers(triangles, links, barrierCount);
    }

    /// The bootstrap over this search; it refers to this object, which must outlive it.
    BarrierBootstrap bootstrap() const
    {
        return BarrierBootstrap(
            {table, dataType, useLatLong, kind, barrierCount, geographic, locations, triangulation, triangles});
    }
};

} // namespace tessaloc::reference
