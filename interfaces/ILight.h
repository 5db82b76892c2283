#pragma once
// A fixed-function light: colours, position, spot and attenuation, loaded into
// one of the GL lights when its world is drawn.
struct k_VectorUA;

class ILight
{
public:
    virtual ~ILight() = default;

    // Sets the ambient colour.
    virtual void SetAmbient(const k_VectorUA& colour) = 0;
    // Returns the ambient colour.
    virtual k_VectorUA GetAmbient() = 0;
    // Sets the diffuse colour.
    virtual void SetDiffuse(const k_VectorUA& colour) = 0;
    // Returns the diffuse colour.
    virtual k_VectorUA GetDiffuse() = 0;
    // Sets the specular colour.
    virtual void SetSpecular(const k_VectorUA& colour) = 0;
    // Returns the specular colour.
    virtual k_VectorUA GetSpecular() = 0;
    // Sets the light position (w = 0 for a directional light), transformed by GL at Apply time.
    virtual void SetLightPosition(const k_VectorUA& position) = 0;
    // Returns the light position.
    virtual k_VectorUA GetLightPosition() = 0;
    // Sets the spot direction, exponent and cut-off angle (degrees; 180 = no spot).
    virtual void SetSpot(const k_VectorUA& direction, float exponent, float cutOff) = 0;
    // Writes the spot direction, exponent and cut-off into the arguments.
    virtual void GetSpot(k_VectorUA& direction, float& exponent, float& cutOff) = 0;
    // Sets the constant, linear and quadratic attenuation factors.
    virtual void SetAttenuation(float constant, float linear, float quadratic) = 0;
    // Writes the three attenuation factors into the arguments.
    virtual void GetAttenuation(float& constant, float& linear, float& quadratic) = 0;
    // Enables GL light number index and loads every parameter into it.
    virtual void Apply(int index) = 0;
};
