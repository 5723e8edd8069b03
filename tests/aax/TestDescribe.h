#pragma once

#include "AAX_ICollection.h"

#include <functional>

/** What the test bundle's describe function does; each test sets it. */
extern std::function<AAX_Result (AAX_ICollection*)> testDescribe;

#include "AAX_CHostServices.h"

/** Installs a host's services for one test and removes them again, also when it fails. */
struct ScopedHostServices
{
    explicit ScopedHostServices (IACFUnknown* host)    { AAX_CHostServices::Set (host); }
    ~ScopedHostServices()                              { AAX_CHostServices::Set (nullptr); }
};
