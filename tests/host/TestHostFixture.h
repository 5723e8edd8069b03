#pragma once

#include "HostUnknown.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>

namespace tanglefix::host
{

/** A host unknown offering the interface versions a test asks for ("family=N"), with a
    check when the test ends that every host object the test or the bundle made is gone.
*/
class TestHostFixture : public ::testing::Test
{
protected:
    void makeHost (std::initializer_list<const char*> offers = {})
    {
        HostOptions options;

        for (const auto* offer : offers)
            EXPECT_TRUE (options.parseOffer (offer)) << offer;

        context = std::make_shared<HostContext> (options);
        host = new HostUnknown (context);
        host->AddRef();
    }

    void SetUp() override    { makeHost(); }

    void TearDown() override
    {
        host->Release();
        EXPECT_EQ (context->getLiveObjectCount(), 0) << "a host object was never released";
    }

    std::shared_ptr<HostContext> context;
    HostUnknown* host = nullptr;
};

} // namespace tanglefix::host
