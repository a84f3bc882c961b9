#include "core/RunListener.h"

#include "core/Errors.h"

namespace tessaloc {

RunListener& RunListener::none()
{
    // Stateless, so one shared instance serves every thread.
    static RunListener silent;
    return silent;
}

void RunListener::throwIfCancelled() const
{
    if (cancelled())
        throw RunCancelled();
}

} // namespace tessaloc
