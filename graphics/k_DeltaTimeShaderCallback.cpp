#include "graphics/k_DeltaTimeShaderCallback.h"

#include "interfaces/IEngine.h"
#include "interfaces/IShaderProgram.h"
#include "interfaces/ITimeline.h"

k_DeltaTimeShaderCallback::k_DeltaTimeShaderCallback(IEngine* engine) : m_engine(engine) {}

std::wstring k_DeltaTimeShaderCallback::GetName()
{
    return L"deltatime";
}

void k_DeltaTimeShaderCallback::Apply(IShaderProgram* program, int)
{
    program->SetUniformFloat("deltatime", static_cast<float>(m_engine->GetTimeline()->GetDemoDeltaTime()));
}

bool k_DeltaTimeShaderCallback::IsSupported(IShaderProgram* program)
{
    return program->GetUniformLocation("deltatime") >= 0;
}
