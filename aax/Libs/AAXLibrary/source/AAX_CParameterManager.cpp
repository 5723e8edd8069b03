#include "AAX_CParameterManager.h"

#include <cstring>
#include <utility>

AAX_CParameterManager::~AAX_CParameterManager()
{
    RemoveAllParameters();
}

void AAX_CParameterManager::Initialize (AAX_IAutomationDelegate* automationDelegate)
{
    mAutomationDelegate = automationDelegate;
}

void AAX_CParameterManager::AddParameter (AAX_IParameter* parameter)
{
    if (parameter == nullptr)
        return;

    const std::string identifier (parameter->Identifier());

    // A second parameter with a held identifier would be unreachable by identifier; it stays
    // with the caller and the first one keeps its place.
    if (mParametersByID.count (identifier) != 0)
        return;

    parameter->SetAutomationDelegate (mAutomationDelegate);
    mParameters.push_back (parameter);
    mParametersByID.emplace (identifier, parameter);
}

void AAX_CParameterManager::RemoveAllParameters()
{
    for (auto* parameter : mParameters)
        delete parameter;

    mParameters.clear();
    mParametersByID.clear();
}

int32_t AAX_CParameterManager::NumParameters() const
{
    return static_cast<int32_t> (mParameters.size());
}

AAX_IParameter* AAX_CParameterManager::GetParameterByID (AAX_CParamID identifier)
{
    return const_cast<AAX_IParameter*> (std::as_const (*this).GetParameterByID (identifier));
}

const AAX_IParameter* AAX_CParameterManager::GetParameterByID (AAX_CParamID identifier) const
{
    if (identifier == nullptr)
        return nullptr;

    const auto found = mParametersByID.find (identifier);
    return found != mParametersByID.end() ? found->second : nullptr;
}

int32_t AAX_CParameterManager::GetParameterIndex (AAX_CParamID identifier) const
{
    if (identifier == nullptr)
        return -1;

    for (size_t i = 0; i < mParameters.size(); ++i)
        if (std::strcmp (mParameters[i]->Identifier(), identifier) == 0)
            return static_cast<int32_t> (i);

    return -1;
}

AAX_IParameter* AAX_CParameterManager::GetParameter (int32_t index)
{
    return const_cast<AAX_IParameter*> (std::as_const (*this).GetParameter (index));
}

const AAX_IParameter* AAX_CParameterManager::GetParameter (int32_t index) const
{
    if (index < 0 || index >= NumParameters())
        return nullptr;

    return mParameters[static_cast<size_t> (index)];
}
