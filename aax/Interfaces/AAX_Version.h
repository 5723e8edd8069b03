#pragma once

#include <cstdint>

// The revision of this host interface, as a bundle reports it to the host. Version 2.3.
#define AAX_SDK_CURRENT_REVISION  13200373
#define AAX_SDK_2p3p0_REVISION    13200373

/** Major and minor version in the high word, the revision in the low word. */
constexpr uint64_t AAX_SDK_VERSION_NUMBER = (uint64_t { 0x0203 } << 32) | uint64_t { AAX_SDK_CURRENT_REVISION };
