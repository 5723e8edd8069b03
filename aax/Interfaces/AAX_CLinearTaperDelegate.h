#pragma once

#include "AAX_CParameter.h"

#include <algorithm>

/** A straight-line taper from a minimum to a maximum real value. RealPrecision 0 keeps
    real values unrounded. */
template <typename T, int32_t RealPrecision = 0>
class AAX_CLinearTaperDelegate : public AAX_ITaperDelegate<T>
{
public:
    AAX_CLinearTaperDelegate (T minValue = 0, T maxValue = 1);

    AAX_CLinearTaperDelegate* Clone() const override;
    T GetMaximumValue() const override;
    T GetMinimumValue() const override;
    T ConstrainRealValue (T value) const override;
    T NormalizedToReal (double normalizedValue) const override;
    double RealToNormalized (T realValue) const override;

private:
    T mMinValue;
    T mMaxValue;
};

//==============================================================================
template <typename T, int32_t RealPrecision>
AAX_CLinearTaperDelegate<T, RealPrecision>::AAX_CLinearTaperDelegate (T minValue, T maxValue)
    : mMinValue (minValue), mMaxValue (maxValue)
{
}

template <typename T, int32_t RealPrecision>
AAX_CLinearTaperDelegate<T, RealPrecision>* AAX_CLinearTaperDelegate<T, RealPrecision>::Clone() const
{
    return new AAX_CLinearTaperDelegate (*this);
}

template <typename T, int32_t RealPrecision>
T AAX_CLinearTaperDelegate<T, RealPrecision>::GetMaximumValue() const    { return mMaxValue; }

template <typename T, int32_t RealPrecision>
T AAX_CLinearTaperDelegate<T, RealPrecision>::GetMinimumValue() const    { return mMinValue; }

template <typename T, int32_t RealPrecision>
T AAX_CLinearTaperDelegate<T, RealPrecision>::ConstrainRealValue (T value) const
{
    if (mMinValue == mMaxValue)
        return mMinValue;

    // The taper may run downwards (minimum above maximum); either way the value stays
    // between its two ends, and a NaN lands on the lower one.
    const T highest = std::max (mMinValue, mMaxValue);
    const T lowest = std::min (mMinValue, mMaxValue);

    if (value > highest)
        return highest;

    return std::max (lowest, value);
}

template <typename T, int32_t RealPrecision>
T AAX_CLinearTaperDelegate<T, RealPrecision>::NormalizedToReal (double normalizedValue) const
{
    const double range = static_cast<double> (mMaxValue) - static_cast<double> (mMinValue);
    const double realValue = range * normalizedValue + static_cast<double> (mMinValue);
    return ConstrainRealValue (AAX::NarrowParameterValue<T> (realValue));
}

template <typename T, int32_t RealPrecision>
double AAX_CLinearTaperDelegate<T, RealPrecision>::RealToNormalized (T realValue) const
{
    const T constrained = ConstrainRealValue (realValue);

    if (mMinValue == mMaxValue)
        return 0.5;

    return (static_cast<double> (constrained) - static_cast<double> (mMinValue))
         / (static_cast<double> (mMaxValue) - static_cast<double> (mMinValue));
}
