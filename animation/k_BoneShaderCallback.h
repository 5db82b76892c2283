#pragma once
// The shader callback "bones": uploads a skeleton's matrices to the uniform
// array "bonematrix" of every program it is attached to. Attach it with the
// skeleton's bone handle (IBone::GetHandle) as the value. The resource
// factory makes and registers the one instance at its construction.
#include "interfaces/IShaderCallback.h"

class IEngine;

class k_BoneShaderCallback : public IShaderCallback
{
public:
    explicit k_BoneShaderCallback(IEngine* engine);

    // "bones".
    std::wstring GetName() override;
    // Brings every bone of the skeleton to the timeline's demo time, then uploads the root's matrix array as
    // "bonematrix". Does nothing for 0 or a handle of no living bone.
    void Apply(IShaderProgram* program, int value) override;
    // True when the program has a "bonematrix" uniform.
    bool IsSupported(IShaderProgram* program) override;

private:
    IEngine* m_engine;
    // A new stamp per upload, so bones changed since the last one are evaluated again.
    int m_stamp = 0;
};
