#include "core/Errors.h"

#include <cmath>

namespace tessaloc {

double requireFinite(double value, std::string_view what)
{
    if (std::isfinite(value))
        return value;
    std::string reason(what);
    reason += std::isnan(value) ? " is undefined (not a number)" : " overflows";
    throw AnalysisError(reason);
}

} // namespace tessaloc
