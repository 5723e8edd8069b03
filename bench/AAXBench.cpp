// The AAX layer's main-thread work per host request: a parameter set and its answer, the
// value text, a coefficient request with nothing to send, and the dispatcher's lock.

#include "AAX_CLinearTaperDelegate.h"
#include "AAX_CNumberDisplayDelegate.h"
#include "AAX_CPacketDispatcher.h"
#include "AAX_CParameter.h"
#include "AAX_VController.h"

#include <benchmark/benchmark.h>

namespace
{
    /** A host that takes every request and does nothing with it. */
    struct SilentAutomation : AAX_IAutomationDelegate
    {
        AAX_Result RegisterParameter (AAX_CParamID) override                  { return AAX_SUCCESS; }
        AAX_Result UnregisterParameter (AAX_CParamID) override                { return AAX_SUCCESS; }
        AAX_Result PostSetValueRequest (AAX_CParamID, double) override        { return AAX_SUCCESS; }
        AAX_Result PostCurrentValue (AAX_CParamID, double) override           { return AAX_SUCCESS; }
        AAX_Result PostTouchRequest (AAX_CParamID) override                   { return AAX_SUCCESS; }
        AAX_Result PostReleaseRequest (AAX_CParamID) override                 { return AAX_SUCCESS; }
        AAX_Result GetTouchState (AAX_CParamID, AAX_CBoolean*) override       { return AAX_SUCCESS; }
    };

    AAX_CParameter<float> makeParameter()
    {
        return AAX_CParameter<float> ("gain", AAX_CString ("Gain"), 0.5f, AAX_CLinearTaperDelegate<float, 0>(),
                                      AAX_CNumberDisplayDelegate<float, 3>(), true);
    }

    struct Filler
    {
        AAX_Result Fill (AAX_CPacket& packet)    { packet.SetValue (1.0f); return AAX_SUCCESS; }
    };
}

static void BM_ParameterSetRequestAndAnswer (benchmark::State& state)
{
    SilentAutomation host;
    auto parameter = makeParameter();
    parameter.SetAutomationDelegate (&host);
    double value = 0.0;

    for (auto _ : state)
    {
        value = value < 1.0 ? value + 0.001 : 0.0;
        parameter.SetNormalizedValue (value);
        parameter.UpdateNormalizedValue (value);
    }

    parameter.SetAutomationDelegate (nullptr);
}
BENCHMARK (BM_ParameterSetRequestAndAnswer);

static void BM_ParameterValueText (benchmark::State& state)
{
    const auto parameter = makeParameter();
    AAX_CString text;

    for (auto _ : state)
    {
        parameter.GetValueString (8, &text);
        benchmark::DoNotOptimize (text.Get());
    }
}
BENCHMARK (BM_ParameterValueText);

static void BM_DispatchWithNothingDirty (benchmark::State& state)
{
    AAX_VController noHost (nullptr);
    AAX_CPacketDispatcher dispatcher;
    Filler filler;
    const AAX_CPacketHandler<Filler> handler (&filler, &Filler::Fill);
    const char* ids[] = { "0", "1", "2", "3", "4", "5", "MasterBypassID" };

    dispatcher.Initialize (&noHost, nullptr);

    for (int i = 0; i < 7; ++i)
        dispatcher.RegisterPacket (ids[i], i, &handler);

    for (auto* id : ids)
        dispatcher.SetDirty (id, false);

    for (auto _ : state)
        benchmark::DoNotOptimize (dispatcher.Dispatch());
}
BENCHMARK (BM_DispatchWithNothingDirty);

static void BM_MutexGuard (benchmark::State& state)
{
    AAX_CMutex mutex;

    for (auto _ : state)
    {
        const AAX_StLock_Guard guard (mutex);
        benchmark::ClobberMemory();
    }
}
BENCHMARK (BM_MutexGuard);

BENCHMARK_MAIN();
