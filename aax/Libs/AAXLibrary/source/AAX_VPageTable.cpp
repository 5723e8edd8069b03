#include "AAX_VPageTable.h"
#include "AAX_HostComponents.h"

AAX_VPageTable::AAX_VPageTable (IACFUnknown* pageTable)
    : mPageTableV1 (AAX::QueryHostInterface<AAX_IACFPageTable> (pageTable, IID_IAAXPageTableV1)),
      mPageTableV2 (AAX::QueryHostInterface<AAX_IACFPageTable_V2> (pageTable, IID_IAAXPageTableV2))
{
}

AAX_VPageTable::~AAX_VPageTable() = default;

AAX_Result AAX_VPageTable::Clear()
{
    if (! mPageTableV1)
        return AAX_ERROR_UNIMPLEMENTED;

    return mPageTableV1->Clear();
}

AAX_Result AAX_VPageTable::Empty (AAX_CBoolean& outEmpty) const
{
    AAX::ClearOutputs (&outEmpty);

    if (! mPageTableV1)
        return AAX_ERROR_UNIMPLEMENTED;

    return mPageTableV1->Empty (outEmpty);
}

AAX_Result AAX_VPageTable::GetNumPages (int32_t& outNumPages) const
{
    AAX::ClearOutputs (&outNumPages);

    if (! mPageTableV1)
        return AAX_ERROR_UNIMPLEMENTED;

    return mPageTableV1->GetNumPages (outNumPages);
}

AAX_Result AAX_VPageTable::InsertPage (int32_t page)
{
    if (! mPageTableV1)
        return AAX_ERROR_UNIMPLEMENTED;

    return mPageTableV1->InsertPage (page);
}

AAX_Result AAX_VPageTable::RemovePage (int32_t page)
{
    if (! mPageTableV1)
        return AAX_ERROR_UNIMPLEMENTED;

    return mPageTableV1->RemovePage (page);
}

AAX_Result AAX_VPageTable::GetNumMappedParameterIDs (int32_t page, int32_t& outNumParameterIdentifiers) const
{
    AAX::ClearOutputs (&outNumParameterIdentifiers);

    if (! mPageTableV1)
        return AAX_ERROR_UNIMPLEMENTED;

    return mPageTableV1->GetNumMappedParameterIDs (page, outNumParameterIdentifiers);
}

AAX_Result AAX_VPageTable::ClearMappedParameter (int32_t page, int32_t index)
{
    if (! mPageTableV1)
        return AAX_ERROR_UNIMPLEMENTED;

    return mPageTableV1->ClearMappedParameter (page, index);
}

AAX_Result AAX_VPageTable::GetMappedParameterID (int32_t page, int32_t index, AAX_IString& outParameterIdentifier) const
{
    if (! mPageTableV1)
        return AAX_ERROR_UNIMPLEMENTED;

    return mPageTableV1->GetMappedParameterID (page, index, outParameterIdentifier);
}

AAX_Result AAX_VPageTable::MapParameterID (AAX_CParamID parameterIdentifier, int32_t page, int32_t index)
{
    if (! mPageTableV1)
        return AAX_ERROR_UNIMPLEMENTED;

    return mPageTableV1->MapParameterID (parameterIdentifier, page, index);
}

AAX_Result AAX_VPageTable::GetNumParametersWithNameVariations (int32_t& outNumParameters) const
{
    AAX::ClearOutputs (&outNumParameters);

    if (! mPageTableV2)
        return AAX_ERROR_UNIMPLEMENTED;

    return mPageTableV2->GetNumParametersWithNameVariations (outNumParameters);
}

AAX_Result AAX_VPageTable::GetNameVariationParameterIDAtIndex (int32_t index, AAX_IString& outParameterIdentifier) const
{
    if (! mPageTableV2)
        return AAX_ERROR_UNIMPLEMENTED;

    return mPageTableV2->GetNameVariationParameterIDAtIndex (index, outParameterIdentifier);
}

AAX_Result AAX_VPageTable::GetNumNameVariationsForParameter (AAX_CPageTableParamID parameterIdentifier, int32_t& outNumVariations) const
{
    AAX::ClearOutputs (&outNumVariations);

    if (! mPageTableV2)
        return AAX_ERROR_UNIMPLEMENTED;

    return mPageTableV2->GetNumNameVariationsForParameter (parameterIdentifier, outNumVariations);
}

AAX_Result AAX_VPageTable::GetParameterNameVariationAtIndex (AAX_CPageTableParamID parameterIdentifier, int32_t index,
                                                             AAX_IString& outNameVariation, int32_t& outLength) const
{
    AAX::ClearOutputs (&outLength);

    if (! mPageTableV2)
        return AAX_ERROR_UNIMPLEMENTED;

    return mPageTableV2->GetParameterNameVariationAtIndex (parameterIdentifier, index, outNameVariation, outLength);
}

AAX_Result AAX_VPageTable::GetParameterNameVariationOfLength (AAX_CPageTableParamID parameterIdentifier, int32_t length,
                                                              AAX_IString& outNameVariation) const
{
    if (! mPageTableV2)
        return AAX_ERROR_UNIMPLEMENTED;

    return mPageTableV2->GetParameterNameVariationOfLength (parameterIdentifier, length, outNameVariation);
}

AAX_Result AAX_VPageTable::ClearParameterNameVariations()
{
    if (! mPageTableV2)
        return AAX_ERROR_UNIMPLEMENTED;

    return mPageTableV2->ClearParameterNameVariations();
}

AAX_Result AAX_VPageTable::ClearNameVariationsForParameter (AAX_CPageTableParamID parameterIdentifier)
{
    if (! mPageTableV2)
        return AAX_ERROR_UNIMPLEMENTED;

    return mPageTableV2->ClearNameVariationsForParameter (parameterIdentifier);
}

AAX_Result AAX_VPageTable::SetParameterNameVariation (AAX_CPageTableParamID parameterIdentifier, const AAX_IString& nameVariation,
                                                      int32_t length)
{
    if (! mPageTableV2)
        return AAX_ERROR_UNIMPLEMENTED;

    return mPageTableV2->SetParameterNameVariation (parameterIdentifier, nameVariation, length);
}
