#include "Bundle.h"

#include <AAX_LinuxRunLoop.h>

#include <dlfcn.h>
#include <sys/stat.h>

namespace tanglefix::host
{

const char* const Bundle::entryPointNames[7] = {
    "ACFRegisterPlugin",
    "ACFRegisterComponent",
    "ACFGetClassFactory",
    "ACFCanUnloadNow",
    "ACFStartup",
    "ACFShutdown",
    "ACFGetSDKVersion",
};

namespace
{
    std::string lastLoaderError()
    {
        const auto* error = dlerror();
        return error != nullptr ? error : "unknown loader error";
    }

    /** Why the path can't be a bundle, or an empty text when it names a file. */
    std::string whyNotAFile (const std::string& path)
    {
        struct stat info {};

        if (stat (path.c_str(), &info) != 0)
            return "no such file";

        return S_ISREG (info.st_mode) ? std::string() : "not a file";
    }
}

Bundle::Bundle (std::string p, void* h)
    : path (std::move (p)), handle (h)
{
    Dl_info info {};

    if (dladdr (entryPoint (entryPointNames[0]), &info) != 0)
        imageBase = info.dli_fbase;
}

Bundle::~Bundle()
{
    dlclose (handle);
}

std::unique_ptr<Bundle> Bundle::open (const std::string& path, std::string& errorMessage)
{
    // dlopen() searches the library path for names without a slash; a host opens the file
    // it was given, so say clearly when there is none.
    if (const auto reason = whyNotAFile (path); ! reason.empty())
    {
        errorMessage = "cannot open bundle " + path + ": " + reason;
        return nullptr;
    }

    const auto resolvedPath = path.find ('/') == std::string::npos ? "./" + path : path;

    // RTLD_LOCAL keeps the bundle's symbols out of the host's namespace, as on a real host.
    auto* handle = dlopen (resolvedPath.c_str(), RTLD_NOW | RTLD_LOCAL);

    if (handle == nullptr)
    {
        errorMessage = "cannot load bundle " + path + ": " + lastLoaderError();
        return nullptr;
    }

    for (const auto* name : entryPointNames)
    {
        dlerror();

        if (dlsym (handle, name) == nullptr)
        {
            dlclose (handle);
            errorMessage = "bundle " + path + " does not export the entry point " + name;
            return nullptr;
        }
    }

    return std::unique_ptr<Bundle> (new Bundle (path, handle));
}

void* Bundle::entryPoint (const char* name) const
{
    return dlsym (handle, name);
}

void* Bundle::runLoopEntryPoint() const
{
    return dlsym (handle, AAX_LINUX_RUN_LOOP_EXPORT_NAME);
}

bool Bundle::contains (const void* address) const
{
    Dl_info info {};
    return address != nullptr && imageBase != nullptr
        && dladdr (address, &info) != 0 && info.dli_fbase == imageBase;
}

std::string Bundle::describePointer (const void* address) const
{
    if (address == nullptr)
        return "null";

    return contains (address) ? "in bundle" : "outside bundle";
}

} // namespace tanglefix::host
