#include "TestDescribe.h"
#include "AAX_Init.h"

std::function<AAX_Result (AAX_ICollection*)> testDescribe;

AAX_Result GetEffectDescriptions (AAX_ICollection* collection)
{
    return testDescribe != nullptr ? testDescribe (collection) : AAX_SUCCESS;
}
