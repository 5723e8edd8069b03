#pragma once

#include <cstdint>

/** Result codes. 0 is success; the named failures run from -20001 to -20046. */
enum AAX_EError : int32_t
{
    AAX_SUCCESS                                        = 0,

    AAX_ERROR_INVALID_PARAMETER_ID                     = -20001,
    AAX_ERROR_INVALID_STRING_CONVERSION                = -20002,
    AAX_ERROR_INVALID_METER_INDEX                      = -20003,
    AAX_ERROR_NULL_OBJECT                              = -20004,
    AAX_ERROR_OLDER_VERSION                            = -20005,
    AAX_ERROR_INVALID_CHUNK_INDEX                      = -20006,
    AAX_ERROR_INVALID_CHUNK_ID                         = -20007,
    AAX_ERROR_INCORRECT_CHUNK_SIZE                     = -20008,
    AAX_ERROR_UNIMPLEMENTED                            = -20009,
    AAX_ERROR_INVALID_PARAMETER_INDEX                  = -20010,
    AAX_ERROR_NOT_INITIALIZED                          = -20011,
    AAX_ERROR_ACF_ERROR                                = -20012,
    AAX_ERROR_INVALID_METER_TYPE                       = -20013,
    AAX_ERROR_CONTEXT_ALREADY_HAS_METERS               = -20014,
    AAX_ERROR_NULL_COMPONENT                           = -20015,
    AAX_ERROR_PORT_ID_OUT_OF_RANGE                     = -20016,
    AAX_ERROR_FIELD_TYPE_DOES_NOT_SUPPORT_DIRECT_ACCESS = -20017,
    AAX_ERROR_DIRECT_ACCESS_OUT_OF_BOUNDS              = -20018,
    AAX_ERROR_FIFO_FULL                                = -20019,
    AAX_ERROR_INITIALIZING_PACKET_STREAM_THREAD        = -20020,
    AAX_ERROR_POST_PACKET_FAILED                       = -20021,
    AAX_RESULT_PACKET_STREAM_NOT_EMPTY                 = -20022,
    AAX_RESULT_ADD_FIELD_UNSUPPORTED_FIELD_TYPE        = -20023,
    AAX_ERROR_MIXER_THREAD_FALLING_BEHIND              = -20024,
    AAX_ERROR_INVALID_FIELD_INDEX                      = -20025,
    AAX_ERROR_MALFORMED_CHUNK                          = -20026,
    AAX_ERROR_TOD_BEHIND                               = -20027,
    AAX_RESULT_NEW_PACKET_POSTED                       = -20028,
    AAX_ERROR_PLUGIN_NOT_AUTHORIZED                    = -20029,
    AAX_ERROR_PLUGIN_NULL_PARAMETER                    = -20030,
    AAX_ERROR_NOTIFICATION_FAILED                      = -20031,
    AAX_ERROR_INVALID_VIEW_SIZE                        = -20032,
    AAX_ERROR_SIGNED_INT_OVERFLOW                      = -20033,
    AAX_ERROR_NO_COMPONENTS                            = -20034,
    AAX_ERROR_DUPLICATE_EFFECT_ID                      = -20035,
    AAX_ERROR_DUPLICATE_TYPE_ID                        = -20036,
    AAX_ERROR_EMPTY_EFFECT_NAME                        = -20037,
    AAX_ERROR_UNKNOWN_PLUGIN                           = -20038,
    AAX_ERROR_PROPERTY_UNDEFINED                       = -20039,
    AAX_ERROR_INVALID_PATH                             = -20040,
    AAX_ERROR_UNKNOWN_ID                               = -20041,
    AAX_ERROR_UNKNOWN_EXCEPTION                        = -20042,
    AAX_ERROR_INVALID_ARGUMENT                         = -20043,
    AAX_ERROR_NULL_ARGUMENT                            = -20044,
    AAX_ERROR_INVALID_INTERNAL_DATA                    = -20045,
    AAX_ERROR_ARGUMENT_BUFFER_OVERFLOW                 = -20046
};

/** What the controls-chunk parser answers when an entry does not fit. */
static constexpr int32_t AAX_CHUNK_PARSER_OVERFLOW = -333;
