#include "demo/k_Demo.h"

#include "interfaces/IEngine.h"
#include "interfaces/IGraphics.h"
#include "interfaces/IWindow.h"

#include <GL/glew.h>

k_Demo::k_Demo(IEngine* engine) : m_engine(engine) {}

k_Demo::~k_Demo() = default;

// --- building the show ---

void k_Demo::Build()
{
    // The worlds and captions join here as they are written; the bar ends full either way.
    m_engine->GetGraphics()->DrawProgressBar(1.0f);
    if (IWindow* window = m_engine->GetWindow())
        window->Present();
}

// --- per frame ---

void k_Demo::BeginFrame()
{
    glDepthMask(GL_TRUE);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClearDepth(0.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glFrontFace(GL_CW);
}

// --- schedule ---

void k_Demo::Trigger(int /*code*/) {}

void k_Demo::Animate(double /*progress*/, int /*code*/) {}
