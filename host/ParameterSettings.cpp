#include "ParameterSettings.h"

#include <strings.h>

namespace tanglefix::host
{

namespace
{
    std::string listNames (const std::vector<ParameterListing>& parameters)
    {
        std::string names;

        for (const auto& parameter : parameters)
            names += (names.empty() ? "" : ", ") + parameter.name;

        return names;
    }
}

const ParameterListing* ParameterSettings::find (const std::vector<ParameterListing>& parameters, const std::string& name)
{
    for (const auto& parameter : parameters)
        if (parameter.id == name || strcasecmp (parameter.name.c_str(), name.c_str()) == 0)
            return &parameter;

    return nullptr;
}

bool ParameterSettings::resolve (const std::vector<ParameterListing>& parameters,
                                 std::vector<std::pair<std::string, double>>& settings, std::string& errorMessage)
{
    for (auto& [name, value] : settings)
    {
        const auto* parameter = find (parameters, name);

        if (parameter == nullptr)
        {
            errorMessage = "the plug-in has no parameter \"" + name + "\"; it has " + listNames (parameters);
            return false;
        }

        name = parameter->id;
    }

    return true;
}

} // namespace tanglefix::host
