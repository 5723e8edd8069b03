#pragma once

#include "PluginInstance.h"

#include <string>
#include <utility>
#include <vector>

namespace tanglefix::host
{

/** What --set names, resolved against the parameters an instance lists: the same rules for
    every command that takes --set, so that no command sets a parameter that is not there
    and reports success over the defaults.
*/
namespace ParameterSettings
{
    /** The parameter a name stands for: its id, or its name without regard to case; null
        when none is. */
    const ParameterListing* find (const std::vector<ParameterListing>& parameters, const std::string& name);

    /** Turns each setting's name into its parameter's id; false, with a message that names
        the first unknown one and lists the valid names, when any is none of the parameters. */
    bool resolve (const std::vector<ParameterListing>& parameters,
                  std::vector<std::pair<std::string, double>>& settings, std::string& errorMessage);
}

} // namespace tanglefix::host
