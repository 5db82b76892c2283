#pragma once
// A named piece of code that uploads uniforms of its own to every program it
// is attached to, each time the program is used. Registered by name with the
// resource factory (which owns it); programs only point to it.
#include <string>

class IShaderProgram;

class IShaderCallback
{
public:
    virtual ~IShaderCallback() = default;

    // The name under which the callback is registered and attached.
    virtual std::wstring GetName() = 0;
    // Uploads the callback's uniforms to the program; value is the number given when it was attached.
    virtual void Apply(IShaderProgram* program, int value) = 0;
    // Whether the program uses the callback's uniforms.
    virtual bool IsSupported(IShaderProgram* program) = 0;
};
