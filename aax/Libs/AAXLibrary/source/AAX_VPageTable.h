#pragma once

#include "AAX_IPageTable.h"
#include "AAX_IACFPageTable.h"
#include "ACFPtr.h"

/** A host page table (a control surface's map of parameters to controls). Every operation
    answers AAX_ERROR_UNIMPLEMENTED when the host lacks its version, the first included. */
class AAX_VPageTable : public AAX_IPageTable
{
public:
    /** Takes references of its own to the table's interfaces; a null table gives none. */
    explicit AAX_VPageTable (IACFUnknown* pageTable);
    ~AAX_VPageTable() override;

    AAX_Result Clear() override;
    AAX_Result Empty (AAX_CBoolean& outEmpty) const override;
    AAX_Result GetNumPages (int32_t& outNumPages) const override;
    AAX_Result InsertPage (int32_t page) override;
    AAX_Result RemovePage (int32_t page) override;
    AAX_Result GetNumMappedParameterIDs (int32_t page, int32_t& outNumParameterIdentifiers) const override;
    AAX_Result ClearMappedParameter (int32_t page, int32_t index) override;
    AAX_Result GetMappedParameterID (int32_t page, int32_t index, AAX_IString& outParameterIdentifier) const override;
    AAX_Result MapParameterID (AAX_CParamID parameterIdentifier, int32_t page, int32_t index) override;
    AAX_Result GetNumParametersWithNameVariations (int32_t& outNumParameters) const override;
    AAX_Result GetNameVariationParameterIDAtIndex (int32_t index, AAX_IString& outParameterIdentifier) const override;
    AAX_Result GetNumNameVariationsForParameter (AAX_CPageTableParamID parameterIdentifier, int32_t& outNumVariations) const override;
    AAX_Result GetParameterNameVariationAtIndex (AAX_CPageTableParamID parameterIdentifier, int32_t index,
                                                 AAX_IString& outNameVariation, int32_t& outLength) const override;
    AAX_Result GetParameterNameVariationOfLength (AAX_CPageTableParamID parameterIdentifier, int32_t length,
                                                  AAX_IString& outNameVariation) const override;
    AAX_Result ClearParameterNameVariations() override;
    AAX_Result ClearNameVariationsForParameter (AAX_CPageTableParamID parameterIdentifier) override;
    AAX_Result SetParameterNameVariation (AAX_CPageTableParamID parameterIdentifier, const AAX_IString& nameVariation,
                                          int32_t length) override;

    /** The host's page table (version 1), null when the object given was none. */
    AAX_IACFPageTable* GetIUnknown() const noexcept    { return mPageTableV1.get(); }

    AAX_VPageTable (const AAX_VPageTable&) = delete;
    AAX_VPageTable& operator= (const AAX_VPageTable&) = delete;

private:
    // Declared oldest first, so that destruction releases the newest version first.
    ACFPtr<AAX_IACFPageTable> mPageTableV1;
    ACFPtr<AAX_IACFPageTable_V2> mPageTableV2;
};
