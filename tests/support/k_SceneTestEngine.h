#pragma once
// A small engine for scene tests: the real renderer over the test GL context,
// with a graphics device that reports the test window's size and collects GL
// errors, a plain clock whose Advance updates the worlds as the engine's
// timeline does. Everything the scene code asks the engine for, nothing more.
#include "engine/k_SyncTracks.h"
#include "interfaces/IEngine.h"
#include "interfaces/IGraphics.h"
#include "interfaces/IRenderer.h"
#include "interfaces/ITimeline.h"
#include "interfaces/IWorld.h"
#include "scene/k_Renderer.h"
#include "support/k_GlTestContext.h"

#include <epoxy/gl.h>
#include <vector>

// --- graphics device ---

class k_SceneTestGraphics : public IGraphics
{
public:
    void Resize(int width, int height) override
    {
        m_width = width;
        m_height = height == 0 ? 1 : height;
        glViewport(0, 0, m_width, m_height);
    }
    bool Initialize() override { return true; }
    bool CreateContext(k_DeviceContext) override { return true; }
    void DestroyContext() override {}
    int GetMaxTextureSize() override { return 4096; }
    int GetWidth() override { return m_width; }
    int GetHeight() override { return m_height; }
    float GetAspectRatio() override { return m_aspectRatio; }
    void SetAspectRatio(float aspectRatio) override { m_aspectRatio = aspectRatio; }
    // Records every pending GL error.
    void CheckErrors() override
    {
        for (GLenum error = glGetError(); error != GL_NO_ERROR; error = glGetError())
            errors.push_back(error);
    }
    void DrawProgressBar(float) override {}

    std::vector<GLenum> errors;

private:
    int m_width = k_GlTestContext::k_Width;
    int m_height = k_GlTestContext::k_Height;
    float m_aspectRatio = 1.0f;
};

// --- clock ---

class k_SceneTestTimeline : public ITimeline
{
public:
    explicit k_SceneTestTimeline(IEngine* engine) : m_engine(engine) {}
    double GetDeltaTime() override { return m_step; }
    double GetRealTime() override { return m_time; }
    double GetTime() override { return m_time; }
    void SetSpeed(double) override {}
    double GetSpeed() override { return 1.0; }
    void Advance(double step) override
    {
        m_time += step;
        m_step = step;
        steps.push_back(step);
        m_engine->UpdateWorlds();
    }
    void Seek(double time) override { m_time = time; }
    void SetTempoMap(const ITempoMap* tempoMap) override { m_tempoMap = tempoMap; }
    double GetBeat() override { return m_tempoMap ? m_tempoMap->GetBeat(m_time) : 0.0; }
    double GetDemoDeltaTime() override { return m_step; }

    std::vector<double> steps;

private:
    IEngine* m_engine;
    double m_time = 0.0;
    double m_step = 0.0;
    const ITempoMap* m_tempoMap = nullptr;
};

// --- engine ---

class k_SceneTestEngine : public IEngine
{
public:
    k_SceneTestEngine() : m_renderer(this), m_timeline(this) {}

    void Initialize() override {}
    void Update(double elapsedSeconds) override { m_renderer.RenderFrame(elapsedSeconds); }
    void Seek(double time) override { m_timeline.Seek(time); }
    IGraphics* GetGraphics() override { return &m_graphics; }
    IRenderer* GetRenderer() override { return &m_renderer; }
    IResourceFactory* GetResourceFactory() override { return nullptr; }
    IFileSystem* GetFileSystem() override { return nullptr; }
    IAnimationManager* GetAnimationManager() override { return nullptr; }
    ITimeline* GetTimeline() override { return &m_timeline; }
    ISyncTracks* GetSyncTracks() override { return &syncTracks; }
    k_SyncTracks syncTracks;
    void AddWorld(IWorld* world) override
    {
        m_worlds.push_back(world);
        world->Build();
    }
    std::vector<IWorld*> GetWorlds() override { return m_worlds; }
    void UpdateWorlds() override
    {
        for (IWorld* world : m_worlds)
            if (world->IsUpdated())
                world->Update();
    }
    void SetQuit(bool) override {}
    bool IsQuitRequested() override { return false; }
    void SetWindow(IWindow*) override {}
    IWindow* GetWindow() override { return nullptr; }

    k_SceneTestGraphics& Graphics() { return m_graphics; }
    k_Renderer& Renderer() { return m_renderer; }
    k_SceneTestTimeline& Timeline() { return m_timeline; }

private:
    k_SceneTestGraphics m_graphics;
    k_Renderer m_renderer;
    k_SceneTestTimeline m_timeline;
    std::vector<IWorld*> m_worlds;
};

// --- helpers ---

// Drains the GL error queue; returns how many errors were pending.
inline int k_SceneTestDrainErrors()
{
    int count = 0;
    while (glGetError() != GL_NO_ERROR)
        ++count;
    return count;
}

// The plain state scene tests start from: the window framebuffer and its full
// viewport, no program, lighting, depth test, culling and 2D texturing off,
// identity matrices, the window cleared to opaque black, no pending GL error.
inline void k_SceneTestPlainState()
{
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glViewport(0, 0, k_GlTestContext::k_Width, k_GlTestContext::k_Height);
    glUseProgram(0);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_TEXTURE_2D);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    k_SceneTestDrainErrors();
}
