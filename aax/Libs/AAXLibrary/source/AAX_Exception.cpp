#include "AAX_Exception.h"
#include "AAX_CHostServices.h"

#include <cinttypes>
#include <cstdio>
#include <iterator>

namespace
{
    // Position k holds the name of code -(20000 + k).
    const char* const errorNames[] =
    {
        nullptr,
        "AAX_ERROR_INVALID_PARAMETER_ID",
        "AAX_ERROR_INVALID_STRING_CONVERSION",
        "AAX_ERROR_INVALID_METER_INDEX",
        "AAX_ERROR_NULL_OBJECT",
        "AAX_ERROR_OLDER_VERSION",
        "AAX_ERROR_INVALID_CHUNK_INDEX",
        "AAX_ERROR_INVALID_CHUNK_ID",
        "AAX_ERROR_INCORRECT_CHUNK_SIZE",
        "AAX_ERROR_UNIMPLEMENTED",
        "AAX_ERROR_INVALID_PARAMETER_INDEX",
        "AAX_ERROR_NOT_INITIALIZED",
        "AAX_ERROR_ACF_ERROR",
        "AAX_ERROR_INVALID_METER_TYPE",
        "AAX_ERROR_CONTEXT_ALREADY_HAS_METERS",
        "AAX_ERROR_NULL_COMPONENT",
        "AAX_ERROR_PORT_ID_OUT_OF_RANGE",
        "AAX_ERROR_FIELD_TYPE_DOES_NOT_SUPPORT_DIRECT_ACCESS",
        "AAX_ERROR_DIRECT_ACCESS_OUT_OF_BOUNDS",
        "AAX_ERROR_FIFO_FULL",
        "AAX_ERROR_INITIALIZING_PACKET_STREAM_THREAD",
        "AAX_ERROR_POST_PACKET_FAILED",
        "AAX_RESULT_PACKET_STREAM_NOT_EMPTY",
        "AAX_RESULT_ADD_FIELD_UNSUPPORTED_FIELD_TYPE",
        "AAX_ERROR_MIXER_THREAD_FALLING_BEHIND",
        "AAX_ERROR_INVALID_FIELD_INDEX",
        "AAX_ERROR_MALFORMED_CHUNK",
        "AAX_ERROR_TOD_BEHIND",
        "AAX_RESULT_NEW_PACKET_POSTED",
        "AAX_ERROR_PLUGIN_NOT_AUTHORIZED",
        "AAX_ERROR_PLUGIN_NULL_PARAMETER",
        "AAX_ERROR_NOTIFICATION_FAILED",
        "AAX_ERROR_INVALID_VIEW_SIZE",
        "AAX_ERROR_SIGNED_INT_OVERFLOW",
        "AAX_ERROR_NO_COMPONENTS",
        "AAX_ERROR_DUPLICATE_EFFECT_ID",
        "AAX_ERROR_DUPLICATE_TYPE_ID",
        "AAX_ERROR_EMPTY_EFFECT_NAME",
        "AAX_ERROR_UNKNOWN_PLUGIN",
        "AAX_ERROR_PROPERTY_UNDEFINED",
        "AAX_ERROR_INVALID_PATH",
        "AAX_ERROR_UNKNOWN_ID",
        "AAX_ERROR_UNKNOWN_EXCEPTION",
        "AAX_ERROR_INVALID_ARGUMENT",
        "AAX_ERROR_NULL_ARGUMENT",
        "AAX_ERROR_INVALID_INTERNAL_DATA",
        "AAX_ERROR_ARGUMENT_BUFFER_OVERFLOW"
    };

    constexpr int64_t numErrorNames = static_cast<int64_t> (std::size (errorNames));
}

const char* AAX::AsStringResult (AAX_Result result)
{
    if (result == AAX_SUCCESS)
        return "AAX_SUCCESS";

    // Widened first, so that no code (INT32_MIN included) overflows on the way.
    const int64_t position = -(static_cast<int64_t> (result) + 20000);

    if (position >= 1 && position < numErrorNames)
        return errorNames[position];

    return "<unknown error code>";
}

std::string AAX::AsStringError (AAX_Result result)
{
    char number[32];
    std::snprintf (number, sizeof (number), " (%" PRId64 ")", static_cast<int64_t> (result));
    return AsStringResult (result) + std::string (number);
}

//==============================================================================
AAX::Exception::Any::Any (std::string description, std::string function, std::string line)
    : mDescription (std::move (description)),
      mFunction (std::move (function)),
      mLine (std::move (line)),
      mWhat (mDescription)
{
    if (! mFunction.empty())
        mWhat += " func:" + mFunction;

    if (! mLine.empty())
        mWhat += " line:" + mLine;
}

AAX::Exception::ResultError::ResultError (AAX_Result result)
    : Any (AsStringError (result)),
      mResult (result)
{
}

//==============================================================================
AAX_CheckedResult::AAX_CheckedResult (AAX_Result result)
    : mCurrentResult (result)
{
    Check();
}

AAX_CheckedResult& AAX_CheckedResult::operator= (AAX_Result result)
{
    mCurrentResult = result;
    Check();
    return *this;
}

void AAX_CheckedResult::Check()
{
    if (mAcceptedResults.count (mCurrentResult) != 0)
        return;

    AAX::Exception::ResultError error (mCurrentResult);
    mLastError = mCurrentResult;
    mCurrentResult = AAX_SUCCESS;

    AAX_CHostServices::Trace (AAX_eTracePriorityHost_Normal, "AAX_CheckedResult - throwing %s", error.What().c_str());
    throw error;
}
