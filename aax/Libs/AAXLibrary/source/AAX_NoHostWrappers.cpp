#include "AAX_NoHostWrappers.h"
#include "AAX_VController.h"
#include "AAX_VTransport.h"
#include "AAX_VViewContainer.h"

namespace
{
    // Made when the bundle loads rather than on first use: the audio thread may read the
    // transport, and a first-use guard could block it.
    AAX_VController noHostController (nullptr);
    AAX_VTransport noHostTransport (nullptr);
    AAX_VViewContainer noHostViewContainer (nullptr);
}

AAX_VController& AAX_NoHost::Controller() noexcept          { return noHostController; }
AAX_VTransport& AAX_NoHost::Transport() noexcept            { return noHostTransport; }
AAX_VViewContainer& AAX_NoHost::ViewContainer() noexcept    { return noHostViewContainer; }
