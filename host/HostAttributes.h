#pragma once

#include <ACFTypes.h>

#include <vector>

namespace tanglefix::host
{

/** The typed attributes behind an IACFDefinition: each id holds a type and a block of bytes. */
class HostAttributes
{
public:
    ACFRESULT define (const acfUID& id, acfUInt32 typeID, const void* data, acfUInt32 dataSize);
    ACFRESULT getInfo (const acfUID& id, acfUInt32* outTypeID, acfUInt32* outDataSize) const;
    ACFRESULT copy (const acfUID& id, acfUInt32 typeID, void* outData, acfUInt32 dataSize) const;

private:
    struct Attribute
    {
        acfUID id;
        acfUInt32 type;
        std::vector<unsigned char> data;
    };

    const Attribute* find (const acfUID& id) const;

    std::vector<Attribute> attributes;
};

/** IACFDefinition, or an interface built on it, implemented over a set of attributes. */
template <typename DefinitionInterface>
class HostDefinition : public DefinitionInterface
{
public:
    ACFRESULT DefineAttribute (const acfUID& attributeID, acfUInt32 typeID, const void* data, acfUInt32 dataSize) override
    {
        return attributes.define (attributeID, typeID, data, dataSize);
    }

    ACFRESULT GetAttributeInfo (const acfUID& attributeID, acfUInt32* outTypeID, acfUInt32* outDataSize) override
    {
        return attributes.getInfo (attributeID, outTypeID, outDataSize);
    }

    ACFRESULT CopyAttribute (const acfUID& attributeID, acfUInt32 typeID, void* outData, acfUInt32 dataSize) override
    {
        return attributes.copy (attributeID, typeID, outData, dataSize);
    }

private:
    HostAttributes attributes;
};

} // namespace tanglefix::host
