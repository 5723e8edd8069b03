#pragma once

#include "AAX_IString.h"

/** A host page table: which parameter sits on which control of a control surface. */
class AAX_IACFPageTable : public IACFUnknown
{
public:
    virtual AAX_Result Clear() = 0;
    virtual AAX_Result Empty (AAX_CBoolean& outEmpty) const = 0;
    virtual AAX_Result GetNumPages (int32_t& outNumPages) const = 0;
    virtual AAX_Result InsertPage (int32_t page) = 0;
    virtual AAX_Result RemovePage (int32_t page) = 0;
    virtual AAX_Result GetNumMappedParameterIDs (int32_t page, int32_t& outNumParameterIdentifiers) const = 0;
    virtual AAX_Result ClearMappedParameter (int32_t page, int32_t index) = 0;
    virtual AAX_Result GetMappedParameterID (int32_t page, int32_t index, AAX_IString& outParameterIdentifier) const = 0;
    virtual AAX_Result MapParameterID (AAX_CParamID parameterIdentifier, int32_t page, int32_t index) = 0;

protected:
    ~AAX_IACFPageTable() = default;
};

class AAX_IACFPageTable_V2 : public AAX_IACFPageTable
{
public:
    virtual AAX_Result GetNumParametersWithNameVariations (int32_t& outNumParameters) const = 0;
    virtual AAX_Result GetNameVariationParameterIDAtIndex (int32_t index, AAX_IString& outParameterIdentifier) const = 0;
    virtual AAX_Result GetNumNameVariationsForParameter (AAX_CPageTableParamID parameterIdentifier, int32_t& outNumVariations) const = 0;
    virtual AAX_Result GetParameterNameVariationAtIndex (AAX_CPageTableParamID parameterIdentifier, int32_t index,
                                                         AAX_IString& outNameVariation, int32_t& outLength) const = 0;
    virtual AAX_Result GetParameterNameVariationOfLength (AAX_CPageTableParamID parameterIdentifier, int32_t length,
                                                          AAX_IString& outNameVariation) const = 0;
    virtual AAX_Result ClearParameterNameVariations() = 0;
    virtual AAX_Result ClearNameVariationsForParameter (AAX_CPageTableParamID parameterIdentifier) = 0;
    virtual AAX_Result SetParameterNameVariation (AAX_CPageTableParamID parameterIdentifier, const AAX_IString& nameVariation,
                                                  int32_t length) = 0;

protected:
    ~AAX_IACFPageTable_V2() = default;
};
