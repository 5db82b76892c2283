#include "demo/k_CaptionWorld.h"

#include "interfaces/IEngine.h"
#include "interfaces/IResourceFactory.h"

#include <epoxy/gl.h>

k_CaptionWorld::k_CaptionWorld(IEngine* engine) : k_World(engine, Name) {}

void k_CaptionWorld::Build()
{
    SetCamera(m_engine->GetResourceFactory()->CreateCamera());
}

void k_CaptionWorld::Clear()
{
    glDepthMask(GL_TRUE);
    glClearDepth(GetClearDepth());
    glClear(GL_DEPTH_BUFFER_BIT);
}
