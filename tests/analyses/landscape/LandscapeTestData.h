#pragma once

#include "analyses/landscape/Landscape.h"

namespace tessaloc::testing {

/// A network line known only by its midpoint and height, as the report and the grid read it.
inline LandscapeEdge edgeAt(double midX, double midY, double height)
{
    LandscapeEdge edge;
    edge.MidX = midX;
    edge.MidY = midY;
    edge.Height = height;
    return edge;
}

} // namespace tessaloc::testing
