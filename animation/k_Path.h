#pragma once
// A keyed curve over time (see IPath), instantiated as k_Path<float> and k_Path<k_VectorUA>.
// Keys are kept ascending by time, one per distinct time. Evaluation walks the keys from the
// start on every call and allocates nothing.
//
// Method 0 is linear: inside the keys it interpolates the enclosing pair; before the first
// key it extends the first segment; past the last key it uses the line through the last and
// the first key. Method 1 is the uniform Catmull-Rom spline (tangents half the difference of
// the neighbouring values; the first and last keys stand in for their missing neighbours).
//
// Cases outside that: a path without keys gives a zero value, a path with one key gives that
// key's value, and a Catmull-Rom path asked for a time after its last key gives the last key's
// value. Any other method throws "Interpolation method not implemented!" when evaluated.
#include "interfaces/IPath.h"
#include "math/k_VectorUA.h"

#include <map>

class IEngine;

template <typename T> class k_Path : public IPath<T>
{
public:
    static constexpr int Linear = 0;
    static constexpr int CatmullRom = 1;

    // An empty linear path. The engine is stored, not owned.
    explicit k_Path(IEngine* engine);
    ~k_Path() override = default;

    void SetInterpolation(int method) override;
    // A key at a time that is not a number is logged and ignored.
    void SetKey(float time, T value) override;
    T GetValue(float time) override;

private:
    using Keys = std::map<float, T>;
    T GetLinear(float time) const;
    T GetCatmullRom(float time) const;

    IEngine* m_engine;
    Keys m_keys;
    int m_method = Linear;
};

extern template class k_Path<float>;
extern template class k_Path<k_VectorUA>;
