#pragma once
// A linked GLSL program with cached uniform and attribute locations, typed
// uniform setters and getters, and the shader callbacks attached to it.
// Every setter makes the program current and leaves it current; a name the
// program lacks makes setters do nothing and getters return their default.
#include <array>
#include <string>

class IShaderProgram
{
public:
    // Deletes the GL program (not its shaders or callbacks).
    virtual ~IShaderProgram() = default;

    // Uploads count column-major 4x4 matrices.
    virtual void SetUniformMatrix4Array(const std::string& name, const float* data, int count) = 0;
    // Uploads one float (dimension 1) or one 2x2, 3x3 or 4x4 matrix; other dimensions set nothing.
    virtual void SetUniformMatrix(const std::string& name, const float* data, int dimension) = 0;
    // Uploads one vector of 1 to 4 components; other counts set nothing.
    virtual void SetUniformVector(const std::string& name, const float* data, int components) = 0;
    // Uploads one float.
    virtual void SetUniformFloat(const std::string& name, float value) = 0;
    // Uploads one int (also a sampler's texture unit).
    virtual void SetUniformInt(const std::string& name, int value) = 0;
    // The int uniform's value; 0 when the program lacks it.
    virtual int GetUniformInt(const std::string& name) = 0;
    // The float uniform's value; 0 when the program lacks it.
    virtual float GetUniformFloat(const std::string& name) = 0;
    // The uniform's first four floats; zeros when the program lacks it.
    virtual std::array<float, 4> GetUniformVector4(const std::string& name) = 0;
    // The 4x4 matrix uniform; the identity when the program lacks it.
    virtual std::array<float, 16> GetUniformMatrix4(const std::string& name) = 0;
    // The attribute's location (asked of GL once, then cached); -1 when absent.
    virtual int GetAttributeLocation(const std::string& name) = 0;
    // The uniform's location (asked of GL once, then cached); -1 when absent.
    virtual int GetUniformLocation(const std::string& name) = 0;
    // Attaches the registered callback of that name with a value; false when unknown or unsupported.
    virtual bool AddShaderCallback(const std::wstring& name, int value) = 0;
    // Makes the program current, then applies its callbacks in name order.
    virtual void Use() = 0;
};
