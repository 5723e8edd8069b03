#include "AAX_CPacketDispatcher.h"
#include "AAX_IController.h"
#include "AAX_IEffectParameters.h"
#include "AAX_IParameter.h"

AAX_CPacket::AAX_CPacket (AAX_CFieldIndex port)
    : mID (port)
{
}

//==============================================================================
AAX_CPacketDispatcher::AAX_CPacketDispatcher() = default;

AAX_CPacketDispatcher::~AAX_CPacketDispatcher()
{
    const AAX_StLock_Guard guard (mMutex);

    for (auto& [port, packet] : mPacketsByPort)
        delete packet;

    for (auto& [parameterID, registration] : mHandlersByParameter)
        delete registration.handler;
}

void AAX_CPacketDispatcher::Initialize (AAX_IController* controller, AAX_IEffectParameters* effectParameters)
{
    mController = controller;
    mEffectParameters = effectParameters;
}

AAX_CPacket* AAX_CPacketDispatcher::PacketForPort (AAX_CFieldIndex port)
{
    if (port < 0)
        return nullptr;

    auto& packet = mPacketsByPort[port];

    if (packet == nullptr)
        packet = new AAX_CPacket (port);

    return packet;
}

AAX_Result AAX_CPacketDispatcher::RegisterPacket (AAX_CParamID parameterID, AAX_CFieldIndex port, const AAX_IPacketHandler* handler)
{
    if (parameterID == nullptr || handler == nullptr)
        return AAX_ERROR_NULL_ARGUMENT;

    const AAX_StLock_Guard guard (mMutex);
    auto* packet = PacketForPort (port);

    // A multimap keeps the entries of one identifier in the order they were added.
    mHandlersByParameter.emplace (parameterID, Registration { packet, handler->Clone() });
    return AAX_SUCCESS;
}

AAX_Result AAX_CPacketDispatcher::RegisterPacket (AAX_CParamID parameterID, AAX_CFieldIndex port)
{
    const AAX_CPacketHandler<AAX_CPacketDispatcher> handler (this, &AAX_CPacketDispatcher::GenerateSingleValuePacket);
    return RegisterPacket (parameterID, port, &handler);
}

AAX_Result AAX_CPacketDispatcher::SetDirty (AAX_CParamID parameterID, bool dirty)
{
    if (parameterID == nullptr)
        return AAX_SUCCESS;

    const AAX_StLock_Guard guard (mMutex);
    const auto [first, last] = mHandlersByParameter.equal_range (parameterID);

    for (auto entry = first; entry != last; ++entry)
        if (entry->second.packet != nullptr)
            entry->second.packet->SetDirty (dirty);

    return AAX_SUCCESS;
}

AAX_Result AAX_CPacketDispatcher::Dispatch()
{
    const AAX_StLock_Guard guard (mMutex);
    AAX_Result result = AAX_SUCCESS;
    std::vector<AAX_CPacket*> refused;

    for (const auto& [parameterID, registration] : mHandlersByParameter)
    {
        const auto posted = DispatchOne (parameterID, registration);

        if (posted == AAX_SUCCESS)
            continue;

        refused.push_back (registration.packet);

        // A failed post is reported, and a later success does not hide it.
        if (result == AAX_SUCCESS)
            result = posted;
    }

    // The algorithm still has the old values, so refused packets go again at the next
    // dispatch. Marked only now: another identifier on the same port would otherwise post
    // the packet again within this one.
    for (auto* packet : refused)
        packet->SetDirty (true);

    return result;
}

AAX_Result AAX_CPacketDispatcher::DispatchOne (const std::string& parameterID, const Registration& registration)
{
    auto* packet = registration.packet;

    if (packet == nullptr || ! packet->IsDirty())
        return AAX_SUCCESS;

    // Clean before the handler runs: a SetDirty made while it runs is for the next dispatch.
    packet->SetDirty (false);

    if (registration.handler->CallHandler (parameterID.c_str(), *packet) != AAX_SUCCESS)
        return AAX_SUCCESS;    // nothing to send; the handler's failure is its own

    if (mController == nullptr)
        return AAX_ERROR_NULL_OBJECT;

    return mController->PostPacket (packet->GetID(), packet->GetData(), packet->GetSize());
}

AAX_Result AAX_CPacketDispatcher::GenerateSingleValuePacket (AAX_CParamID parameterID, AAX_CPacket& packet)
{
    AAX_IParameter* parameter = nullptr;

    if (mEffectParameters == nullptr
        || mEffectParameters->GetParameter (parameterID, &parameter) != AAX_SUCCESS
        || parameter == nullptr)
        return AAX_ERROR_NULL_OBJECT;

    bool boolValue = false;
    float floatValue = 0.0f;
    int32_t intValue = 0;
    double doubleValue = 0.0;

    if (parameter->GetValueAsBool (&boolValue))
        packet.SetValue (static_cast<uint32_t> (boolValue ? 1 : 0));
    else if (parameter->GetValueAsFloat (&floatValue))
        packet.SetValue (floatValue);
    else if (parameter->GetValueAsInt32 (&intValue))
        packet.SetValue (intValue);
    else if (parameter->GetValueAsDouble (&doubleValue))
        packet.SetValue (doubleValue);
    else
        return AAX_ERROR_NULL_OBJECT;

    return AAX_SUCCESS;
}
