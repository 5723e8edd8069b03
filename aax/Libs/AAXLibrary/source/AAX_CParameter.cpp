#include "AAX_CParameter.h"
#include "AAX_CLinearTaperDelegate.h"
#include "AAX_CNumberDisplayDelegate.h"
#include "AAX_CHostServices.h"

#include <algorithm>
#include <cstring>

namespace AAX
{
    void ReportAssertFailure (const char* file, int32_t line, const char* note)
    {
        AAX_CHostServices::HandleAssertFailure (file, line, note, AAX_eAssertFlags_Log);
    }

    void CopyParameterIdentifier (char (&destination)[eParemeterDefaultMaxIdentifierSize], AAX_CParamID identifier)
    {
        const size_t maxLength = eParemeterDefaultMaxIdentifierSize - 1;
        const size_t len = identifier != nullptr ? std::strlen (identifier) : 0;

        if (! (len < eParemeterDefaultMaxIdentifierSize))
            ReportAssertFailure (__FILE__, __LINE__, "len < eParemeterDefaultMaxIdentifierSize");

        const size_t copied = std::min (len, maxLength);

        if (copied > 0)
            std::memcpy (destination, identifier, copied);

        destination[copied] = '\0';
    }
}

// The instances JUCE's wrapper uses, compiled once into the library.
template class AAX_CParameterValue<float>;
template class AAX_CParameter<float>;
template class AAX_CLinearTaperDelegate<float, 0>;
template class AAX_CNumberDisplayDelegate<float, 3>;
