#pragma once
// A fixed-function light. Its five vectors and five floats are kept in the
// order of the GL parameter codes GL_AMBIENT .. GL_SPOT_DIRECTION and
// GL_SPOT_EXPONENT .. GL_QUADRATIC_ATTENUATION, and Apply loads them by
// walking those codes.
#include "interfaces/ILight.h"
#include "math/k_VectorUA.h"

class IEngine;

class k_Light : public ILight
{
public:
    explicit k_Light(IEngine* engine);

    void SetAmbient(const k_VectorUA& colour) override;
    k_VectorUA GetAmbient() override;
    void SetDiffuse(const k_VectorUA& colour) override;
    k_VectorUA GetDiffuse() override;
    void SetSpecular(const k_VectorUA& colour) override;
    k_VectorUA GetSpecular() override;
    void SetLightPosition(const k_VectorUA& position) override;
    k_VectorUA GetLightPosition() override;
    void SetSpot(const k_VectorUA& direction, float exponent, float cutOff) override;
    void GetSpot(k_VectorUA& direction, float& exponent, float& cutOff) override;
    void SetAttenuation(float constant, float linear, float quadratic) override;
    void GetAttenuation(float& constant, float& linear, float& quadratic) override;
    void Apply(int index) override;

private:
    // Indices into the arrays, in GL parameter-code order.
    enum Vector
    {
        Ambient,
        Diffuse,
        Specular,
        Position,
        SpotDirection,
        VectorCount
    };
    enum Scalar
    {
        SpotExponent,
        SpotCutOff,
        ConstantAttenuation,
        LinearAttenuation,
        QuadraticAttenuation,
        ScalarCount
    };

    k_VectorUA m_vectors[VectorCount];
    float m_scalars[ScalarCount];
    IEngine* m_engine;
};
