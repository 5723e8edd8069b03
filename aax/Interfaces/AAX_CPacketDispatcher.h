#pragma once

#include "AAX_CMutex.h"
#include "AAX.h"

#include <cstring>
#include <map>
#include <string>
#include <vector>

class AAX_IController;
class AAX_IEffectParameters;

/** The bytes that one port of the algorithm's context receives. */
class AAX_CPacket
{
public:
    explicit AAX_CPacket (AAX_CFieldIndex port);

    AAX_CFieldIndex GetID() const noexcept      { return mID; }
    bool IsDirty() const noexcept               { return mDirty; }
    void SetDirty (bool dirty) noexcept         { mDirty = dirty; }
    uint32_t GetSize() const noexcept           { return mDataSize; }
    const void* GetData() const noexcept        { return mData.data(); }

    /** Resizes the data to hold a T and stores the value in the machine's byte order. */
    template <typename T>
    void SetValue (const T& value);

private:
    AAX_CFieldIndex mID;
    bool mDirty = true;
    uint32_t mDataSize = 0;
    std::vector<unsigned char> mData = std::vector<unsigned char> (8, 0);
};

/** Fills a packet for a parameter. */
class AAX_IPacketHandler
{
public:
    virtual ~AAX_IPacketHandler() = default;

    virtual AAX_IPacketHandler* Clone() const = 0;
    virtual AAX_Result CallHandler (AAX_CParamID parameterID, AAX_CPacket& packet) const = 0;
};

/** A packet handler that calls a member function of a worker object. */
template <typename Worker>
class AAX_CPacketHandler : public AAX_IPacketHandler
{
public:
    typedef AAX_Result (Worker::*PacketOnlyCallback) (AAX_CPacket& packet);
    typedef AAX_Result (Worker::*ParameterCallback) (AAX_CParamID parameterID, AAX_CPacket& packet);

    AAX_CPacketHandler (Worker* worker, PacketOnlyCallback callback)
        : mWorker (worker), mPacketOnlyCallback (callback) {}

    AAX_CPacketHandler (Worker* worker, ParameterCallback callback)
        : mWorker (worker), mParameterCallback (callback) {}

    AAX_CPacketHandler* Clone() const override;
    AAX_Result CallHandler (AAX_CParamID parameterID, AAX_CPacket& packet) const override;

private:
    Worker* mWorker;
    PacketOnlyCallback mPacketOnlyCallback = nullptr;
    ParameterCallback mParameterCallback = nullptr;
};

/** Maps parameter identifiers to packets of the algorithm's context and posts the packets
    whose parameters changed. */
class AAX_CPacketDispatcher
{
public:
    AAX_CPacketDispatcher();
    ~AAX_CPacketDispatcher();

    void Initialize (AAX_IController* controller, AAX_IEffectParameters* effectParameters);

    AAX_Result RegisterPacket (AAX_CParamID parameterID, AAX_CFieldIndex port, const AAX_IPacketHandler* handler);

    /** Registers the parameter's own value, as the single-value generator fills it. */
    AAX_Result RegisterPacket (AAX_CParamID parameterID, AAX_CFieldIndex port);

    AAX_Result SetDirty (AAX_CParamID parameterID, bool dirty = true);

    /** Has every dirty packet filled by its handler and posted, each at most once. A packet
        is marked clean before its handler runs, so a mark made meanwhile is kept for the next
        dispatch; a packet whose post fails is dirty again afterwards, and the first failed
        post is the result. */
    AAX_Result Dispatch();

    AAX_Result GenerateSingleValuePacket (AAX_CParamID parameterID, AAX_CPacket& packet);

    AAX_CPacketDispatcher (const AAX_CPacketDispatcher&) = delete;
    AAX_CPacketDispatcher& operator= (const AAX_CPacketDispatcher&) = delete;

private:
    struct Registration
    {
        AAX_CPacket* packet;            // null for a negative port
        AAX_IPacketHandler* handler;
    };

    AAX_CPacket* PacketForPort (AAX_CFieldIndex port);
    AAX_Result DispatchOne (const std::string& parameterID, const Registration& registration);

    std::map<AAX_CFieldIndex, AAX_CPacket*> mPacketsByPort;
    std::multimap<std::string, Registration> mHandlersByParameter;
    AAX_IController* mController = nullptr;
    AAX_IEffectParameters* mEffectParameters = nullptr;
    AAX_CMutex mMutex;
};

//==============================================================================
template <typename T>
void AAX_CPacket::SetValue (const T& value)
{
    mDataSize = static_cast<uint32_t> (sizeof (T));
    mData.resize (sizeof (T));
    std::memcpy (mData.data(), &value, sizeof (T));
}

template <typename Worker>
AAX_CPacketHandler<Worker>* AAX_CPacketHandler<Worker>::Clone() const
{
    return new AAX_CPacketHandler (*this);
}

template <typename Worker>
AAX_Result AAX_CPacketHandler<Worker>::CallHandler (AAX_CParamID parameterID, AAX_CPacket& packet) const
{
    if (mWorker != nullptr && mParameterCallback != nullptr)
        return (mWorker->*mParameterCallback) (parameterID, packet);

    if (mWorker != nullptr && mPacketOnlyCallback != nullptr)
        return (mWorker->*mPacketOnlyCallback) (packet);

    return AAX_ERROR_NULL_OBJECT;
}
