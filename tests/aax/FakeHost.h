#pragma once

// A small in-process host for the AAX layer's tests. Its objects are owned by the test
// (never deleted by a Release), count their references so that a test can check that the
// layer released everything it took, and offer only the interface versions a test asks for.

#include "AAX_IACFCollection.h"
#include "AAX_IACFComponentDescriptor.h"
#include "AAX_IACFDescriptionHost.h"
#include "AAX_IACFEffectDescriptor.h"
#include "AAX_IACFFeatureInfo.h"
#include "AAX_IACFHostServices.h"
#include "AAX_IACFPropertyMap.h"
#include "AAX_UIDs.h"

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace FakeHost
{
    /** Reference counting and interface lookup over a list of offered interfaces. */
    template <typename Interface>
    class Counted : public Interface
    {
    public:
        ACFRESULT QueryInterface (const acfIID& iid, void** out) override
        {
            *out = nullptr;

            for (const auto& [id, pointer] : offered)
            {
                if (id == iid)
                {
                    *out = pointer;
                    static_cast<IACFUnknown*> (pointer)->AddRef();
                    return ACF_OK;
                }
            }

            return ACF_E_NOINTERFACE;
        }

        acfUInt32 AddRef() override    { return ++references; }
        acfUInt32 Release() override   { return --references; }

        /** Offers `object` for the first `numVersions` ids of the list. */
        void offer (IACFUnknown* object, std::initializer_list<acfIID> versionIDs, int numVersions)
        {
            for (const auto& id : versionIDs)
                if (numVersions-- > 0)
                    offered.emplace_back (id, object);
        }

        int references = 0;
        std::vector<std::pair<acfIID, void*>> offered;
    };

    /** Which versions of each interface the host offers; 0 means none. */
    struct Options
    {
        int hostServices = 3;
        int collection = 1;
        int effectDescriptor = 2;
        int componentDescriptor = 3;
        int propertyMap = 3;
        bool factory = true;
        bool descriptionHost = true;
        bool pluginDefinition = true;
    };

    struct HostServices : Counted<AAX_IACFHostServices_V3>
    {
        AAX_Result Trace (int32_t priority, const char* message) override
        {
            traces.emplace_back (priority, message);
            return AAX_SUCCESS;
        }

        AAX_Result StackTrace (int32_t, int32_t, const char* message) override
        {
            traces.emplace_back (0, message);
            return AAX_SUCCESS;
        }

        AAX_Result HandleAssertFailure (const char* file, int32_t line, const char* note, int32_t flags) override
        {
            asserts.push_back (std::string (file) + ":" + std::to_string (line) + ":" + note + ":" + std::to_string (flags));
            return AAX_SUCCESS;
        }

        std::vector<std::pair<int32_t, std::string>> traces;
        std::vector<std::string> asserts;
    };

    struct PropertyMap : Counted<AAX_IACFPropertyMap_V3>
    {
        explicit PropertyMap (int versions)
        {
            offer (this, { IID_IACFUnknown, IID_IAAXPropertyMapV1, IID_IAAXPropertyMapV2, IID_IAAXPropertyMapV3 }, versions + 1);
        }

        AAX_CBoolean GetProperty (AAX_EProperty id, AAX_CPropertyValue* out) const override
        {
            const auto entry = values.find (id);

            if (entry == values.end())
                return false;

            *out = entry->second;
            return true;
        }

        AAX_Result AddProperty (AAX_EProperty id, AAX_CPropertyValue value) override    { values[id] = value; return AAX_SUCCESS; }
        AAX_Result RemoveProperty (AAX_EProperty id) override                           { return values.erase (id) != 0 ? AAX_SUCCESS : AAX_ERROR_PROPERTY_UNDEFINED; }
        AAX_Result AddPropertyWithIDArray (AAX_EProperty, const AAX_SPlugInIdentifierTriad*, uint32_t) override    { return AAX_SUCCESS; }
        AAX_CBoolean GetPropertyWithIDArray (AAX_EProperty, const AAX_SPlugInIdentifierTriad**, uint32_t*) const override { return false; }

        AAX_CBoolean GetProperty64 (AAX_EProperty id, AAX_CPropertyValue64* out) const override
        {
            const auto entry = values64.find (id);

            if (entry == values64.end())
                return false;

            *out = entry->second;
            return true;
        }

        AAX_Result AddProperty64 (AAX_EProperty id, AAX_CPropertyValue64 value) override    { values64[id] = value; return AAX_SUCCESS; }

        std::map<int32_t, AAX_CPropertyValue> values;
        std::map<int32_t, AAX_CPropertyValue64> values64;
    };

    /** Every call a descriptor receives, as text, for comparing with what a test expects. */
    struct CallLog
    {
        std::vector<std::string> calls;
        void add (std::string call)    { calls.push_back (std::move (call)); }
    };

    struct ComponentDescriptor : Counted<AAX_IACFComponentDescriptor_V3>, CallLog
    {
        explicit ComponentDescriptor (int versions)
        {
            offer (this, { IID_IACFUnknown, IID_IAAXComponentDescriptorV1, IID_IAAXComponentDescriptorV2,
                           IID_IAAXComponentDescriptorV3 }, versions + 1);
        }

        AAX_Result Clear() override                                   { add ("Clear"); return AAX_SUCCESS; }
        AAX_Result AddAudioIn (AAX_CFieldIndex f) override             { add ("AudioIn " + std::to_string (f)); return AAX_SUCCESS; }
        AAX_Result AddAudioOut (AAX_CFieldIndex f) override            { add ("AudioOut " + std::to_string (f)); return AAX_SUCCESS; }
        AAX_Result AddAudioBufferLength (AAX_CFieldIndex f) override   { add ("BufferLength " + std::to_string (f)); return AAX_SUCCESS; }
        AAX_Result AddSampleRate (AAX_CFieldIndex) override            { return AAX_SUCCESS; }
        AAX_Result AddClock (AAX_CFieldIndex) override                 { return AAX_SUCCESS; }
        AAX_Result AddSideChainIn (AAX_CFieldIndex) override           { return AAX_SUCCESS; }
        AAX_Result AddDataInPort (AAX_CFieldIndex f, uint32_t size, AAX_EDataInPortType type) override
        {
            add ("DataInPort " + std::to_string (f) + " " + std::to_string (size) + " " + std::to_string (type));
            return AAX_SUCCESS;
        }
        AAX_Result AddAuxOutputStem (AAX_CFieldIndex, int32_t, const char*) override    { return AAX_SUCCESS; }
        AAX_Result AddPrivateData (AAX_CFieldIndex f, int32_t size, uint32_t options) override
        {
            add ("PrivateData " + std::to_string (f) + " " + std::to_string (size) + " " + std::to_string (options));
            return AAX_SUCCESS;
        }
        AAX_Result AddTemporaryData (AAX_CFieldIndex, uint32_t) override                   { add ("TemporaryData"); return AAX_SUCCESS; }
        AAX_Result AddDmaInstance (AAX_CFieldIndex, uint32_t) override                     { return AAX_SUCCESS; }
        AAX_Result AddMeters (AAX_CFieldIndex, const AAX_CTypeID*, uint32_t) override      { return AAX_SUCCESS; }
        AAX_Result AddMIDINode (AAX_CFieldIndex, AAX_EMIDINodeType, const char*, uint32_t) override { return AAX_SUCCESS; }
        AAX_Result AddReservedField (AAX_CFieldIndex, uint32_t) override                   { return AAX_SUCCESS; }

        AAX_Result AddProcessProc_Native (AAX_CProcessProc proc, IACFUnknown* properties, AAX_CInstanceInitProc,
                                          AAX_CBackgroundProc, AAX_CSelector* outID) override
        {
            nativeProcs.emplace_back (proc, properties);
            add ("ProcessProc_Native");

            if (outID != nullptr)
                *outID = nextProcID;

            return nativeResult;
        }

        AAX_Result AddProcessProc_TI (const char*, const char*, IACFUnknown*, const char*, const char*, AAX_CSelector* outID) override
        {
            add ("ProcessProc_TI");

            if (outID != nullptr)
                *outID = nextProcID + 1;

            return AAX_SUCCESS;
        }

        AAX_Result AddProcessProc (IACFUnknown*, AAX_CSelector*, int32_t) override    { add ("ProcessProc"); return AAX_SUCCESS; }

        std::vector<std::pair<AAX_CProcessProc, IACFUnknown*>> nativeProcs;
        AAX_CSelector nextProcID = 7;
        AAX_Result nativeResult = AAX_SUCCESS;
    };

    struct EffectDescriptor : Counted<AAX_IACFEffectDescriptor_V2>, CallLog
    {
        explicit EffectDescriptor (int versions)
        {
            offer (this, { IID_IACFUnknown, IID_IAAXEffectDescriptorV1, IID_IAAXEffectDescriptorV2 }, versions + 1);
        }

        AAX_Result AddComponent (IACFUnknown* c) override       { components.push_back (c); add ("Component"); return AAX_SUCCESS; }
        AAX_Result AddName (const char* name) override           { add (std::string ("Name ") + name); return AAX_SUCCESS; }
        AAX_Result AddCategory (uint32_t c) override             { add ("Category " + std::to_string (c)); return AAX_SUCCESS; }
        AAX_Result AddCategoryBypassParameter (uint32_t, AAX_CParamID) override    { return AAX_SUCCESS; }
        AAX_Result AddProcPtr (void*, AAX_CProcPtrID id) override { add ("ProcPtr " + std::to_string (id)); return AAX_SUCCESS; }
        AAX_Result SetProperties (IACFUnknown*) override         { return AAX_SUCCESS; }
        AAX_Result AddResourceInfo (AAX_EResourceType, const char*) override    { return AAX_SUCCESS; }
        AAX_Result AddMeterDescription (AAX_CTypeID, const char*, IACFUnknown*) override    { return AAX_SUCCESS; }
        AAX_Result AddControlMIDINode (AAX_CTypeID, AAX_EMIDINodeType, const char*, uint32_t) override
        {
            add ("ControlMIDINode");
            return AAX_SUCCESS;
        }

        std::vector<IACFUnknown*> components;
    };

    struct PluginDefinition : Counted<IACFPluginDefinition>
    {
        ACFRESULT DefineAttribute (const acfUID&, acfUInt32, const void*, acfUInt32) override    { return ACF_OK; }
        ACFRESULT GetAttributeInfo (const acfUID&, acfUInt32*, acfUInt32*) override             { return ACF_OK; }
        ACFRESULT CopyAttribute (const acfUID&, acfUInt32, void*, acfUInt32) override           { return ACF_OK; }
    };

    struct Collection : Counted<AAX_IACFCollection>, CallLog
    {
        Collection (int versions, bool offersDefinition)
        {
            offer (this, { IID_IACFUnknown, IID_IAAXCollectionV1 }, versions + 1);

            if (offersDefinition)
                offered.emplace_back (IID_IACFPluginDefinition, static_cast<IACFUnknown*> (&definition));
        }

        AAX_Result AddEffect (const char* id, IACFUnknown* effect) override
        {
            add (std::string ("Effect ") + id + (effect != nullptr ? "" : " (null)"));
            return AAX_SUCCESS;
        }

        AAX_Result SetManufacturerName (const char* name) override    { add (std::string ("Manufacturer ") + name); return AAX_SUCCESS; }
        AAX_Result AddPackageName (const char* name) override         { add (std::string ("Package ") + name); return AAX_SUCCESS; }
        AAX_Result SetPackageVersion (uint32_t v) override            { add ("Version " + std::to_string (v)); return AAX_SUCCESS; }
        AAX_Result SetProperties (IACFUnknown*) override              { return AAX_SUCCESS; }

        PluginDefinition definition;
    };

    struct FeatureInfo : Counted<AAX_IACFFeatureInfo>
    {
        FeatureInfo()    { offer (this, { IID_IACFUnknown, IID_IAAXFeatureInfoV1 }, 2); }

        AAX_Result SupportLevel (AAX_ESupportLevel* out) const override    { *out = level; return AAX_SUCCESS; }

        AAX_Result AcquireProperties (IACFUnknown** out) override
        {
            *out = &properties;
            properties.AddRef();
            return AAX_SUCCESS;
        }

        AAX_ESupportLevel level = AAX_eSupportLevel_ByProperty;
        PropertyMap properties { 1 };
    };

    struct DescriptionHost : Counted<AAX_IACFDescriptionHost>
    {
        DescriptionHost()    { offer (this, { IID_IACFUnknown, IID_IAAXDescriptionHostV1 }, 2); }

        AAX_Result AcquireFeatureProperties (const AAX_Feature_UID& id, IACFUnknown** out) override
        {
            *out = nullptr;

            if (id != AAXATTR_ClientFeature_StemFormat)
                return AAX_ERROR_UNKNOWN_ID;

            *out = &stemFormats;
            stemFormats.AddRef();
            return AAX_SUCCESS;
        }

        FeatureInfo stemFormats;
    };

    class Host;

    struct Factory : Counted<IACFComponentFactory>
    {
        explicit Factory (Host& h) : host (h)    { offer (this, { IID_IACFUnknown, IID_IACFComponentFactory }, 2); }

        ACFRESULT CreateComponent (IACFUnknown*, const acfCLSID& component, const acfIID& iid, void** out) override;

        Host& host;
    };

    /** The host unknown with its factory and the objects the factory made. */
    class Host : public Counted<IACFUnknown>
    {
    public:
        explicit Host (Options o = {}) : options (o)
        {
            offered.emplace_back (IID_IACFUnknown, static_cast<IACFUnknown*> (this));

            if (options.factory)
                offered.emplace_back (IID_IACFComponentFactory, static_cast<IACFUnknown*> (&factory));

            if (options.descriptionHost)
                offered.emplace_back (IID_IAAXDescriptionHostV1, static_cast<IACFUnknown*> (&descriptionHost));
        }

        /** References that some object still holds; 0 once the layer has released all. */
        int outstandingReferences() const
        {
            int total = references + factory.references + services.references + descriptionHost.references
                      + descriptionHost.stemFormats.references + descriptionHost.stemFormats.properties.references;

            for (const auto& c : collections)    total += c->references + c->definition.references;
            for (const auto& e : effects)        total += e->references;
            for (const auto& c : components)     total += c->references;
            for (const auto& m : maps)           total += m->references;
            return total;
        }

        std::vector<std::string> traceTexts() const
        {
            std::vector<std::string> texts;

            for (const auto& trace : services.traces)
                texts.push_back (trace.second);

            return texts;
        }

        Options options;
        Factory factory { *this };
        HostServices services;
        HostServices* offeredServices = &services;    // what the factory hands out
        DescriptionHost descriptionHost;
        std::vector<std::unique_ptr<Collection>> collections;
        std::vector<std::unique_ptr<EffectDescriptor>> effects;
        std::vector<std::unique_ptr<ComponentDescriptor>> components;
        std::vector<std::unique_ptr<PropertyMap>> maps;
    };

    inline ACFRESULT Factory::CreateComponent (IACFUnknown*, const acfCLSID& component, const acfIID& iid, void** out)
    {
        *out = nullptr;
        const auto& o = host.options;

        if (component == AAXCompID_HostServices)
        {
            // Each version is a separate creation; offer only those the options allow.
            const acfIID versions[] = { IID_IAAXHostServicesV1, IID_IAAXHostServicesV2, IID_IAAXHostServicesV3 };

            for (int v = 0; v < o.hostServices; ++v)
            {
                if (versions[v] == iid)
                {
                    *out = static_cast<IACFUnknown*> (host.offeredServices);
                    host.offeredServices->AddRef();
                    return ACF_OK;
                }
            }

            return ACF_E_NOINTERFACE;
        }

        IACFUnknown* made = nullptr;

        if (component == AAXCompID_AAXCollection)
            made = host.collections.emplace_back (std::make_unique<Collection> (o.collection, o.pluginDefinition)).get();
        else if (component == AAXCompID_EffectDescriptor)
            made = host.effects.emplace_back (std::make_unique<EffectDescriptor> (o.effectDescriptor)).get();
        else if (component == AAXCompID_ComponentDescriptor)
            made = host.components.emplace_back (std::make_unique<ComponentDescriptor> (o.componentDescriptor)).get();
        else if (component == AAXCompID_PropertyMap)
            made = host.maps.emplace_back (std::make_unique<PropertyMap> (o.propertyMap)).get();

        if (made == nullptr)
            return ACF_E_NOINTERFACE;

        return made->QueryInterface (iid, out);
    }
}
