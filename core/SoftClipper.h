#pragma once

#include <cmath>

//==============================================================================
/**
    The "Limiter": a rational approximation of tanh. Odd, unity-ish slope at zero
    (c1 / c4, about 1.0043) and bounded by c2 / c5 (about 1.0081).

    It runs in double precision: in single precision the numerator and denominator
    overflow for large inputs long before the ratio settles.
*/
struct SoftClipper
{
    static float process (float sample) noexcept
    {
        constexpr double c1 = 2.45550750702956;
        constexpr double c2 = 0.821226666969744;
        constexpr double c3 = 0.893229853513558;
        constexpr double c4 = 2.44506634652299;
        constexpr double c5 = 0.814642734961073;

        const double x = sample;

        // Infinity over infinity would give NaN; out there the curve has long arrived at
        // its bound.
        if (std::isinf (x))
            return (float) std::copysign (c2 / c5, x);

        const double a = std::abs (x);
        const double x2 = x * x;

        const double numerator = (((a * c2 + c3) * x2) + (a * c1 + c1)) * x;
        const double denominator = std::abs ((x * c5) * a + x) * (x2 + c4) + c4;

        return (float) (numerator / denominator);
    }
};
