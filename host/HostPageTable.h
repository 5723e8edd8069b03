#pragma once

#include "HostObject.h"

#include <AAX_IACFPageTable.h>

#include <map>
#include <string>
#include <vector>

namespace tanglefix::host
{

/** What a page table holds: per page, the parameter identifier on each control ("" for a
    free control), and short names of parameters keyed by their length.
*/
struct PageTableContents
{
    std::vector<std::vector<std::string>> pages;
    std::map<std::string, std::map<int32_t, std::string>> nameVariations;

    bool operator== (const PageTableContents& other) const
    {
        return pages == other.pages && nameVariations == other.nameVariations;
    }
};

/** A control-surface page table, made by the host's factory empty; the controller copies the
    host's stored tables into it. Page tables live on the host's main thread only.
*/
class HostPageTable final : public HostObjectWith<AAX_IACFPageTable_V2>
{
public:
    explicit HostPageTable (std::shared_ptr<HostContext> context);

    const PageTableContents& getContents() const noexcept { return contents; }
    void setContents (PageTableContents newContents)      { contents = std::move (newContents); }

    // AAX_IACFPageTable
    AAX_Result Clear() override;
    AAX_Result Empty (AAX_CBoolean& outEmpty) const override;
    AAX_Result GetNumPages (int32_t& outNumPages) const override;
    AAX_Result InsertPage (int32_t page) override;
    AAX_Result RemovePage (int32_t page) override;
    AAX_Result GetNumMappedParameterIDs (int32_t page, int32_t& outNumParameterIdentifiers) const override;
    AAX_Result ClearMappedParameter (int32_t page, int32_t index) override;
    AAX_Result GetMappedParameterID (int32_t page, int32_t index, AAX_IString& outParameterIdentifier) const override;
    AAX_Result MapParameterID (AAX_CParamID parameterIdentifier, int32_t page, int32_t index) override;

    // AAX_IACFPageTable_V2
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

private:
    void* findInterface (const acfIID& iid) override;

    /** The variations of a parameter, or null when it has none (or the identifier is null). */
    const std::map<int32_t, std::string>* variationsOf (AAX_CPageTableParamID parameterIdentifier) const;
    bool isControl (int32_t page, int32_t index) const;

    PageTableContents contents;
};

} // namespace tanglefix::host
