#include "Registration.h"

#include <algorithm>

namespace tanglefix::host
{

namespace
{
    bool hasProcPointer (const EffectRecord& effect, std::uint32_t procId)
    {
        return std::any_of (effect.procPointers.begin(), effect.procPointers.end(),
                            [procId] (const auto& proc) { return proc.first == procId; });
    }

    std::string findEffectFault (const EffectRecord& effect)
    {
        const auto name = "effect \"" + effect.identifier + "\"";

        if (effect.names.empty())
            return name + " has no name";

        // Without the effect-parameters factory (proc id 0) no instance could ever be made.
        if (! hasProcPointer (effect, 0))
            return name + " registers no factory for its effect parameters";

        if (effect.components.empty())
            return name + " has no processing component";

        for (size_t i = 0; i < effect.components.size(); ++i)
            if (effect.components[i].processProcs.empty())
                return "component " + std::to_string (i + 1) + " of " + name + " has no process procedure";

        return {};
    }
}

std::string findRegistrationFault (const PluginRecord& plugin)
{
    if (plugin.effects.empty())
        return "the bundle registered no effect";

    for (const auto& effect : plugin.effects)
        if (auto fault = findEffectFault (effect); ! fault.empty())
            return fault;

    return {};
}

} // namespace tanglefix::host
