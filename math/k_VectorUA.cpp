#include "math/k_VectorUA.h"

#include <cmath>

#if defined(__SSE__) || defined(__x86_64__)
#include <xmmintrin.h>
#define ORV_HAVE_SSE_RSQRT 1
#endif

float k_VectorUA::Length() const
{
    return std::sqrt(LengthSquared());
}

float k_VectorUA::ReciprocalSqrtEstimate(float s)
{
#ifdef ORV_HAVE_SSE_RSQRT
    return _mm_cvtss_f32(_mm_rsqrt_ss(_mm_set_ss(s)));
#else
    return 1.0f / std::sqrt(s);
#endif
}

k_VectorUA k_VectorUA::Normalized() const
{
    const float s = LengthSquared();
    if (s == 0.0f)
        return *this;
    return *this * ReciprocalSqrtEstimate(s);
}
