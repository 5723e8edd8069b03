#include "HostFeatureInfo.h"

#include "HostPropertyMap.h"

#include <AAX_Errors.h>
#include <AAX_UIDs.h>

namespace tanglefix::host
{

namespace
{
    /** The stem formats this host plays: every layout up to 7.1, none of the immersive or
        Ambisonics ones, so that a bundle which asks sees both answers. Each entry's id is the
        stem format itself.
    */
    PropertyList stemFormatSupport()
    {
        constexpr AAX_EStemFormat formats[] = {
            AAX_eStemFormat_Mono, AAX_eStemFormat_Stereo, AAX_eStemFormat_LCR, AAX_eStemFormat_LCRS,
            AAX_eStemFormat_Quad, AAX_eStemFormat_5_0, AAX_eStemFormat_5_1, AAX_eStemFormat_6_0,
            AAX_eStemFormat_6_1, AAX_eStemFormat_7_0_SDDS, AAX_eStemFormat_7_1_SDDS, AAX_eStemFormat_7_0_DTS,
            AAX_eStemFormat_7_1_DTS, AAX_eStemFormat_7_0_2, AAX_eStemFormat_7_1_2, AAX_eStemFormat_Ambi_1_ACN,
            AAX_eStemFormat_Ambi_2_ACN, AAX_eStemFormat_Ambi_3_ACN
        };

        PropertyList support;

        for (const auto format : formats)
        {
            const auto supported = AAX_STEM_FORMAT_INDEX (format) <= AAX_eStemFormat_MaxUniversalIndex;
            support.push_back ({ static_cast<std::uint32_t> (format),
                                 supported ? AAX_eSupportLevel_Supported : AAX_eSupportLevel_Unsupported,
                                 false });
        }

        return support;
    }
}

HostFeatureInfo::HostFeatureInfo (std::shared_ptr<HostContext> c, AAX_ESupportLevel l, PropertyList d)
    : HostObjectWith (std::move (c)), level (l), details (std::move (d))
{
}

ACFRESULT HostFeatureInfo::acquire (std::shared_ptr<HostContext> context, const AAX_Feature_UID& featureID, IACFUnknown** outFeatureInfo)
{
    if (outFeatureInfo == nullptr)
        return AAX_ERROR_NULL_ARGUMENT;

    *outFeatureInfo = nullptr;

    if (featureID != AAXATTR_ClientFeature_StemFormat)
        return AAX_ERROR_UNKNOWN_ID;

    auto* info = new HostFeatureInfo (std::move (context), AAX_eSupportLevel_ByProperty, stemFormatSupport());
    return handOut (info, IID_IAAXFeatureInfoV1, reinterpret_cast<void**> (outFeatureInfo));
}

void* HostFeatureInfo::findInterface (const acfIID& iid)
{
    return findOfferedVersion (iid, InterfaceFamily::featureInfo,
                               { { IID_IAAXFeatureInfoV1, static_cast<AAX_IACFFeatureInfo*> (this) } });
}

AAX_Result HostFeatureInfo::SupportLevel (AAX_ESupportLevel* outLevel) const
{
    if (outLevel == nullptr)
        return AAX_ERROR_NULL_ARGUMENT;

    *outLevel = level;
    return AAX_SUCCESS;
}

AAX_Result HostFeatureInfo::AcquireProperties (IACFUnknown** outPropertyMap)
{
    if (outPropertyMap == nullptr)
        return AAX_ERROR_NULL_ARGUMENT;

    *outPropertyMap = nullptr;
    return HostPropertyMap::create (getSharedContext(), IID_IAAXPropertyMapV1, reinterpret_cast<void**> (outPropertyMap), details);
}

} // namespace tanglefix::host
