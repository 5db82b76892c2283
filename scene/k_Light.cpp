#include "scene/k_Light.h"

#include <epoxy/gl.h>

static_assert(GL_DIFFUSE == GL_AMBIENT + 1 && GL_SPOT_DIRECTION == GL_AMBIENT + 4);
static_assert(GL_SPOT_EXPONENT == GL_AMBIENT + 5 && GL_QUADRATIC_ATTENUATION == GL_AMBIENT + 9);

k_Light::k_Light(IEngine* engine)
    : m_vectors{{0.0f, 0.0f, 0.0f, 0.0f},
                {1.0f, 1.0f, 1.0f, 1.0f},
                {1.0f, 1.0f, 1.0f, 1.0f},
                {0.0f, 0.0f, 0.0f, 1.0f},
                {0.0f, 0.0f, 0.0f, 0.0f}},
      m_scalars{0.0f, 180.0f, 1.0f, 0.0f, 0.0f}, m_engine(engine)
{
}

// --- parameters ---

void k_Light::SetAmbient(const k_VectorUA& colour)
{
    m_vectors[Ambient] = colour;
}

k_VectorUA k_Light::GetAmbient()
{
    return m_vectors[Ambient];
}

void k_Light::SetDiffuse(const k_VectorUA& colour)
{
    m_vectors[Diffuse] = colour;
}

k_VectorUA k_Light::GetDiffuse()
{
    return m_vectors[Diffuse];
}

void k_Light::SetSpecular(const k_VectorUA& colour)
{
    m_vectors[Specular] = colour;
}

k_VectorUA k_Light::GetSpecular()
{
    return m_vectors[Specular];
}

void k_Light::SetLightPosition(const k_VectorUA& position)
{
    m_vectors[Position] = position;
}

k_VectorUA k_Light::GetLightPosition()
{
    return m_vectors[Position];
}

void k_Light::SetSpot(const k_VectorUA& direction, float exponent, float cutOff)
{
    m_vectors[SpotDirection] = direction;
    m_scalars[SpotExponent] = exponent;
    m_scalars[SpotCutOff] = cutOff;
}

void k_Light::GetSpot(k_VectorUA& direction, float& exponent, float& cutOff)
{
    direction = m_vectors[SpotDirection];
    exponent = m_scalars[SpotExponent];
    cutOff = m_scalars[SpotCutOff];
}

void k_Light::SetAttenuation(float constant, float linear, float quadratic)
{
    m_scalars[ConstantAttenuation] = constant;
    m_scalars[LinearAttenuation] = linear;
    m_scalars[QuadraticAttenuation] = quadratic;
}

void k_Light::GetAttenuation(float& constant, float& linear, float& quadratic)
{
    constant = m_scalars[ConstantAttenuation];
    linear = m_scalars[LinearAttenuation];
    quadratic = m_scalars[QuadraticAttenuation];
}

// --- loading into GL ---

// GL has GL_MAX_LIGHTS (at least 8) lights; an index outside them would only
// raise GL_INVALID_ENUM, so it is ignored.
void k_Light::Apply(int index)
{
    static GLint maxLights = 0;
    if (maxLights == 0)
        glGetIntegerv(GL_MAX_LIGHTS, &maxLights);
    if (index < 0 || index >= maxLights)
        return;
    const GLenum light = GL_LIGHT0 + index;
    glEnable(light);
    for (int i = 0; i < VectorCount; ++i)
        glLightfv(light, GL_AMBIENT + i, &m_vectors[i].x);
    for (int i = 0; i < ScalarCount; ++i)
        glLightf(light, GL_SPOT_EXPONENT + i, m_scalars[i]);
}
