#include "animation/k_BoneShaderCallback.h"

#include "animation/k_Bone.h"
#include "interfaces/IEngine.h"
#include "interfaces/IShaderProgram.h"
#include "interfaces/ITimeline.h"

k_BoneShaderCallback::k_BoneShaderCallback(IEngine* engine) : m_engine(engine) {}

std::wstring k_BoneShaderCallback::GetName()
{
    return L"bones";
}

void k_BoneShaderCallback::Apply(IShaderProgram* program, int value)
{
    IBone* bone = k_Bone::FromHandle(value);
    if (bone == nullptr || program == nullptr)
        return;
    float* matrices = bone->GetMatrices();
    const int count = bone->GetMatrixCount();
    ITimeline* timeline = m_engine != nullptr ? m_engine->GetTimeline() : nullptr;
    const float time = timeline != nullptr ? static_cast<float>(timeline->GetTime()) : 0.0f;
    ++m_stamp;
    for (const auto& [index, member] : *bone->GetBoneMap())
        member->GetTransformation(time, m_stamp);
    program->SetUniformMatrix4Array("bonematrix", matrices, count);
}

bool k_BoneShaderCallback::IsSupported(IShaderProgram* program)
{
    return program != nullptr && program->GetUniformLocation("bonematrix") >= 0;
}
