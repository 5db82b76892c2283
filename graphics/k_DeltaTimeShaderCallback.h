#pragma once
// The shader callback "deltatime": uploads the seconds of demo time the last
// frame moved (the real seconds scaled by the speed, as they are when the show
// plays at speed 1) to the float uniform "deltatime" of every program it is
// attached to. Worlds that need it create one and register it with the
// resource factory.
#include "interfaces/IShaderCallback.h"

class IEngine;

class k_DeltaTimeShaderCallback : public IShaderCallback
{
public:
    explicit k_DeltaTimeShaderCallback(IEngine* engine);

    // "deltatime".
    std::wstring GetName() override;
    // Sets "deltatime" to the timeline's last step of demo time; the value is not used.
    void Apply(IShaderProgram* program, int value) override;
    // True when the program has a "deltatime" uniform.
    bool IsSupported(IShaderProgram* program) override;

private:
    IEngine* m_engine;
};
