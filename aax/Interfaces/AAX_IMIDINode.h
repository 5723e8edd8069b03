#pragma once

#include "AAX.h"

/** One MIDI message of at most four bytes, timed within the current block. */
struct AAX_CMidiPacket
{
    uint32_t      mTimestamp;
    uint32_t      mLength;
    unsigned char mData[4];
    AAX_CBoolean  mIsImmediate;
};

/** The MIDI messages of one block. */
struct AAX_CMidiStream
{
    uint32_t         mBufferSize;
    AAX_CMidiPacket* mBuffer;
};

/** A MIDI node of the algorithm's context. This product registers none. */
class AAX_IMIDINode
{
public:
    virtual AAX_CMidiStream* GetNodeBuffer() = 0;
    virtual AAX_Result PostMIDIPacket (AAX_CMidiPacket* packet) = 0;

protected:
    ~AAX_IMIDINode() = default;
};
