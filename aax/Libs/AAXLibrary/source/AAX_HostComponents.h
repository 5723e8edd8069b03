#pragma once

#include "AAX_UIDs.h"
#include "ACFPtr.h"

namespace AAX
{
    /** Asks the host's component factory for a new object and its interface. A null host,
        a host without a factory or a refused creation gives null. */
    template <typename Interface>
    ACFPtr<Interface> CreateHostComponent (IACFUnknown* hostUnknown, const acfCLSID& componentID, const acfIID& interfaceID)
    {
        ACFPtr<Interface> component;
        ACFPtr<IACFComponentFactory> factory;

        if (ACFSUCCEEDED (factory.QueryFrom (hostUnknown, IID_IACFComponentFactory)) && factory)
            if (ACFFAILED (factory->CreateComponent (nullptr, componentID, interfaceID, component.OutParameter())))
                component.Detach();    // a refusal hands out no reference

        return component;
    }

    /** Asks an object for one of its interfaces; null when the object is null or refuses. */
    template <typename Interface>
    ACFPtr<Interface> QueryHostInterface (IACFUnknown* object, const acfIID& interfaceID)
    {
        ACFPtr<Interface> result;
        result.QueryFrom (object, interfaceID);
        return result;
    }

    /** Keeps a reference of its own to an object it was given. */
    inline ACFPtr<IACFUnknown> Retain (IACFUnknown* object)
    {
        ACFPtr<IACFUnknown> result;

        if (object != nullptr)
        {
            object->AddRef();
            result.Attach (object);
        }

        return result;
    }

    /** Gives each output a defined value (zero) before a wrapper forwards a call. A host that
        lacks the version, or fails, then leaves no caller reading an uninitialised value:
        JUCE's wrapper reads GetIsAudioSuite's answer without checking the result. */
    template <typename... Outputs>
    void ClearOutputs (Outputs*... outputs) noexcept
    {
        ((outputs != nullptr ? void (*outputs = Outputs {}) : void()), ...);
    }
}
