#include "HostPageTable.h"

#include <AAX_Errors.h>
#include <AAX_UIDs.h>

#include <iterator>

namespace tanglefix::host
{

HostPageTable::HostPageTable (std::shared_ptr<HostContext> c)
    : HostObjectWith (std::move (c))
{
}

void* HostPageTable::findInterface (const acfIID& iid)
{
    return findOfferedVersion (iid, InterfaceFamily::pageTable,
                               { { IID_IAAXPageTableV1, static_cast<AAX_IACFPageTable*> (this) },
                                 { IID_IAAXPageTableV2, static_cast<AAX_IACFPageTable_V2*> (this) } });
}

bool HostPageTable::isControl (int32_t page, int32_t index) const
{
    return page >= 0 && static_cast<size_t> (page) < contents.pages.size()
        && index >= 0 && static_cast<size_t> (index) < contents.pages[static_cast<size_t> (page)].size();
}

const std::map<int32_t, std::string>* HostPageTable::variationsOf (AAX_CPageTableParamID parameterIdentifier) const
{
    if (parameterIdentifier == nullptr)
        return nullptr;

    const auto found = contents.nameVariations.find (parameterIdentifier);
    return found != contents.nameVariations.end() ? &found->second : nullptr;
}

AAX_Result HostPageTable::Clear()
{
    contents.pages.clear();
    return AAX_SUCCESS;
}

AAX_Result HostPageTable::Empty (AAX_CBoolean& outEmpty) const
{
    outEmpty = contents.pages.empty() ? 1 : 0;
    return AAX_SUCCESS;
}

AAX_Result HostPageTable::GetNumPages (int32_t& outNumPages) const
{
    outNumPages = static_cast<int32_t> (contents.pages.size());
    return AAX_SUCCESS;
}

AAX_Result HostPageTable::InsertPage (int32_t page)
{
    if (page < 0 || static_cast<size_t> (page) > contents.pages.size())
        return AAX_ERROR_INVALID_ARGUMENT;

    contents.pages.insert (std::next (contents.pages.begin(), page), std::vector<std::string>());
    return AAX_SUCCESS;
}

AAX_Result HostPageTable::RemovePage (int32_t page)
{
    if (page < 0 || static_cast<size_t> (page) >= contents.pages.size())
        return AAX_ERROR_INVALID_ARGUMENT;

    contents.pages.erase (std::next (contents.pages.begin(), page));
    return AAX_SUCCESS;
}

AAX_Result HostPageTable::GetNumMappedParameterIDs (int32_t page, int32_t& outNumParameterIdentifiers) const
{
    if (page < 0 || static_cast<size_t> (page) >= contents.pages.size())
        return AAX_ERROR_INVALID_ARGUMENT;

    outNumParameterIdentifiers = static_cast<int32_t> (contents.pages[static_cast<size_t> (page)].size());
    return AAX_SUCCESS;
}

AAX_Result HostPageTable::ClearMappedParameter (int32_t page, int32_t index)
{
    if (! isControl (page, index))
        return AAX_ERROR_INVALID_ARGUMENT;

    contents.pages[static_cast<size_t> (page)][static_cast<size_t> (index)].clear();
    return AAX_SUCCESS;
}

AAX_Result HostPageTable::GetMappedParameterID (int32_t page, int32_t index, AAX_IString& outParameterIdentifier) const
{
    if (! isControl (page, index))
        return AAX_ERROR_INVALID_ARGUMENT;

    outParameterIdentifier.Set (contents.pages[static_cast<size_t> (page)][static_cast<size_t> (index)].c_str());
    return AAX_SUCCESS;
}

AAX_Result HostPageTable::MapParameterID (AAX_CParamID parameterIdentifier, int32_t page, int32_t index)
{
    if (parameterIdentifier == nullptr || page < 0 || static_cast<size_t> (page) >= contents.pages.size() || index < 0)
        return AAX_ERROR_INVALID_ARGUMENT;

    auto& controls = contents.pages[static_cast<size_t> (page)];

    if (static_cast<size_t> (index) >= controls.size())
        controls.resize (static_cast<size_t> (index) + 1);

    controls[static_cast<size_t> (index)] = parameterIdentifier;
    return AAX_SUCCESS;
}

AAX_Result HostPageTable::GetNumParametersWithNameVariations (int32_t& outNumParameters) const
{
    outNumParameters = static_cast<int32_t> (contents.nameVariations.size());
    return AAX_SUCCESS;
}

AAX_Result HostPageTable::GetNameVariationParameterIDAtIndex (int32_t index, AAX_IString& outParameterIdentifier) const
{
    if (index < 0 || static_cast<size_t> (index) >= contents.nameVariations.size())
        return AAX_ERROR_INVALID_ARGUMENT;

    outParameterIdentifier.Set (std::next (contents.nameVariations.begin(), index)->first.c_str());
    return AAX_SUCCESS;
}

AAX_Result HostPageTable::GetNumNameVariationsForParameter (AAX_CPageTableParamID parameterIdentifier, int32_t& outNumVariations) const
{
    const auto* variations = variationsOf (parameterIdentifier);
    outNumVariations = variations != nullptr ? static_cast<int32_t> (variations->size()) : 0;
    return AAX_SUCCESS;
}

AAX_Result HostPageTable::GetParameterNameVariationAtIndex (AAX_CPageTableParamID parameterIdentifier, int32_t index,
                                                            AAX_IString& outNameVariation, int32_t& outLength) const
{
    const auto* variations = variationsOf (parameterIdentifier);

    if (variations == nullptr || index < 0 || static_cast<size_t> (index) >= variations->size())
        return AAX_ERROR_INVALID_ARGUMENT;

    const auto entry = std::next (variations->begin(), index);
    outLength = entry->first;
    outNameVariation.Set (entry->second.c_str());
    return AAX_SUCCESS;
}

AAX_Result HostPageTable::GetParameterNameVariationOfLength (AAX_CPageTableParamID parameterIdentifier, int32_t length,
                                                             AAX_IString& outNameVariation) const
{
    const auto* variations = variationsOf (parameterIdentifier);

    if (variations == nullptr || variations->count (length) == 0)
        return AAX_ERROR_INVALID_ARGUMENT;

    outNameVariation.Set (variations->at (length).c_str());
    return AAX_SUCCESS;
}

AAX_Result HostPageTable::ClearParameterNameVariations()
{
    contents.nameVariations.clear();
    return AAX_SUCCESS;
}

AAX_Result HostPageTable::ClearNameVariationsForParameter (AAX_CPageTableParamID parameterIdentifier)
{
    if (parameterIdentifier == nullptr)
        return AAX_ERROR_NULL_ARGUMENT;

    contents.nameVariations.erase (parameterIdentifier);
    return AAX_SUCCESS;
}

AAX_Result HostPageTable::SetParameterNameVariation (AAX_CPageTableParamID parameterIdentifier, const AAX_IString& nameVariation,
                                                     int32_t length)
{
    if (parameterIdentifier == nullptr || nameVariation.Get() == nullptr)
        return AAX_ERROR_NULL_ARGUMENT;

    contents.nameVariations[parameterIdentifier][length] = nameVariation.Get();
    return AAX_SUCCESS;
}

} // namespace tanglefix::host
