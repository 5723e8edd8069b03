#pragma once

#include <memory>
#include <string>

namespace tanglefix::host
{

/** A plug-in bundle opened with dlopen(). It resolves the seven entry points through which a
    host reaches a bundle and nothing else; if the file can't be loaded or any entry point is
    missing, open() fails with a message saying which.
*/
class Bundle
{
public:
    ~Bundle();

    Bundle (const Bundle&) = delete;
    Bundle& operator= (const Bundle&) = delete;

    /** Returns the opened bundle, or null with the reason in errorMessage. */
    static std::unique_ptr<Bundle> open (const std::string& path, std::string& errorMessage);

    const std::string& getPath() const noexcept { return path; }

    /** The address of a named entry point; open() has made sure each of the seven exists. */
    void* entryPoint (const char* name) const;

    /** The bundle's Linux run-loop function (AAX_LinuxRunLoop.h), or null when it has none. */
    void* runLoopEntryPoint() const;

    /** True when the address lies inside this bundle's loaded image. */
    bool contains (const void* address) const;

    /** "null", "in bundle" or "outside bundle": what a listing says about a pointer. */
    std::string describePointer (const void* address) const;

    static const char* const entryPointNames[7];

private:
    Bundle (std::string path, void* handle);

    std::string path;
    void* handle = nullptr;
    const void* imageBase = nullptr;
};

} // namespace tanglefix::host
