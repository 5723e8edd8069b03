#pragma once

#include "AAX_IParameter.h"

#include <map>
#include <string>
#include <vector>

/** The parameters of one effect instance, by index and by identifier. It owns them. */
class AAX_CParameterManager
{
public:
    AAX_CParameterManager() = default;
    ~AAX_CParameterManager();

    void Initialize (AAX_IAutomationDelegate* automationDelegate);

    /** Takes ownership, unless the parameter is null or its identifier is already held. */
    void AddParameter (AAX_IParameter* parameter);
    void RemoveAllParameters();

    int32_t NumParameters() const;
    AAX_IParameter* GetParameterByID (AAX_CParamID identifier);
    const AAX_IParameter* GetParameterByID (AAX_CParamID identifier) const;
    int32_t GetParameterIndex (AAX_CParamID identifier) const;
    AAX_IParameter* GetParameter (int32_t index);
    const AAX_IParameter* GetParameter (int32_t index) const;

    AAX_CParameterManager (const AAX_CParameterManager&) = delete;
    AAX_CParameterManager& operator= (const AAX_CParameterManager&) = delete;

private:
    AAX_IAutomationDelegate* mAutomationDelegate = nullptr;
    std::vector<AAX_IParameter*> mParameters;
    std::map<std::string, AAX_IParameter*> mParametersByID;
};
