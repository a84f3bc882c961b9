#include "formats/Gdal.h"

#include "core/Errors.h"

#include <mutex>

namespace tessaloc {

void registerGdalDrivers()
{
    static std::once_flag once;
    std::call_once(once, [] { GDALAllRegister(); });
}

GdalErrors::GdalErrors()
{
    CPLErrorReset();
    CPLPushErrorHandlerEx(&GdalErrors::keep, this);
}

GdalErrors::~GdalErrors()
{
    CPLPopErrorHandler();
}

std::string GdalErrors::reason(std::string fallback) const
{
    return m_first.empty() ? fallback : escapeControlCharacters(m_first.substr(0, 300));
}

void CPL_STDCALL GdalErrors::keep(CPLErr level, CPLErrorNum, const char* message)
{
    auto* self = static_cast<GdalErrors*>(CPLGetErrorHandlerUserData());
    if (level >= CE_Failure && self->m_first.empty() && message != nullptr)
        self->m_first = message;
}

} // namespace tessaloc
