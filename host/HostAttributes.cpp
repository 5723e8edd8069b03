#include "HostAttributes.h"

#include <algorithm>
#include <cstring>

namespace tanglefix::host
{

const HostAttributes::Attribute* HostAttributes::find (const acfUID& id) const
{
    const auto found = std::find_if (attributes.begin(), attributes.end(), [&id] (const Attribute& a) { return a.id == id; });
    return found != attributes.end() ? &*found : nullptr;
}

ACFRESULT HostAttributes::define (const acfUID& id, acfUInt32 typeID, const void* data, acfUInt32 dataSize)
{
    if (data == nullptr && dataSize > 0)
        return ACF_E_POINTER;

    // An attribute is defined once; a second definition would silently change what others read.
    if (find (id) != nullptr)
        return ACF_E_INVALIDARG;

    const auto* bytes = static_cast<const unsigned char*> (data);
    attributes.push_back ({ id, typeID, std::vector<unsigned char> (bytes, bytes + dataSize) });
    return ACF_OK;
}

ACFRESULT HostAttributes::getInfo (const acfUID& id, acfUInt32* outTypeID, acfUInt32* outDataSize) const
{
    const auto* attribute = find (id);

    if (attribute == nullptr)
        return ACF_E_INVALIDARG;

    if (outTypeID != nullptr)
        *outTypeID = attribute->type;

    if (outDataSize != nullptr)
        *outDataSize = static_cast<acfUInt32> (attribute->data.size());

    return ACF_OK;
}

ACFRESULT HostAttributes::copy (const acfUID& id, acfUInt32 typeID, void* outData, acfUInt32 dataSize) const
{
    const auto* attribute = find (id);

    if (attribute == nullptr || attribute->type != typeID || dataSize < attribute->data.size())
        return ACF_E_INVALIDARG;

    if (outData == nullptr)
        return ACF_E_POINTER;

    std::memcpy (outData, attribute->data.data(), attribute->data.size());
    return ACF_OK;
}

} // namespace tanglefix::host
