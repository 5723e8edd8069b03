#pragma once

// The object model that the host and the plug-in share: 16-byte ids, result codes and the
// reference-counted base interface with the host's component factory. Everything here is
// plain C++ with no virtual destructors in the interfaces, so that the table of virtual
// functions is the whole contract and either side can implement it.

#include <cstdint>
#include <cstring>

typedef uint32_t acfUInt32;
typedef int32_t  acfSInt32;
typedef uint64_t acfUInt64;
typedef int32_t  ACFRESULT;

/** A 16-byte identifier of an interface, a component class or a host feature. */
struct acfUID
{
    uint32_t Data1;
    uint16_t Data2;
    uint16_t Data3;
    uint8_t  Data4[8];
};

typedef acfUID acfIID;
typedef acfUID acfCLSID;

inline bool operator== (const acfUID& a, const acfUID& b) noexcept
{
    return std::memcmp (&a, &b, sizeof (acfUID)) == 0;
}

inline bool operator!= (const acfUID& a, const acfUID& b) noexcept   { return ! (a == b); }

/** Results of the object-model calls. Negative values are failures. */
enum : ACFRESULT
{
    ACF_OK             = 0,
    ACF_E_INVALIDARG   = static_cast<ACFRESULT> (0x80000003),  // an interface pointer built from a null unknown
    ACF_E_NOINTERFACE  = static_cast<ACFRESULT> (0x80000004),  // the object does not offer the interface asked for
    ACF_E_POINTER      = static_cast<ACFRESULT> (0x80000005),  // a null interface pointer was used
    ACF_E_UNEXPECTED   = static_cast<ACFRESULT> (0x8000FFFF)   // an exception reached an exported entry point
};

inline bool ACFSUCCEEDED (ACFRESULT r) noexcept   { return r >= 0; }
inline bool ACFFAILED (ACFRESULT r) noexcept      { return r < 0; }

//==============================================================================
/** The base of every interface: interface lookup and reference counting. */
class IACFUnknown
{
public:
    virtual ACFRESULT QueryInterface (const acfIID& iid, void** outInterface) = 0;
    virtual acfUInt32 AddRef() = 0;
    virtual acfUInt32 Release() = 0;

protected:
    ~IACFUnknown() = default;
};

/** The host's factory for host-side objects (collections, descriptors, property maps...). */
class IACFComponentFactory : public IACFUnknown
{
public:
    virtual ACFRESULT CreateComponent (IACFUnknown* outerUnknown, const acfCLSID& componentID,
                                       const acfIID& interfaceID, void** outComponent) = 0;

protected:
    ~IACFComponentFactory() = default;
};

/** A set of typed attributes describing a host or a plug-in. */
class IACFDefinition : public IACFUnknown
{
public:
    virtual ACFRESULT DefineAttribute (const acfUID& attributeID, acfUInt32 typeID,
                                       const void* data, acfUInt32 dataSize) = 0;
    virtual ACFRESULT GetAttributeInfo (const acfUID& attributeID, acfUInt32* outTypeID,
                                        acfUInt32* outDataSize) = 0;
    virtual ACFRESULT CopyAttribute (const acfUID& attributeID, acfUInt32 typeID,
                                     void* outData, acfUInt32 dataSize) = 0;

protected:
    ~IACFDefinition() = default;
};

/** What a registration hands back to the host: the definition of the whole plug-in. */
class IACFPluginDefinition : public IACFDefinition
{
protected:
    ~IACFPluginDefinition() = default;
};
