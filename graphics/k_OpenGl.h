#pragma once
// The engine's graphics device on OpenGL: owns the rendering context made on
// the application window, checks that the driver offers the OpenGL version and
// extensions the engine calls (entry points come through libepoxy), sets the
// default state, drains and logs GL errors, and draws the loading bar.
#include "interfaces/IGraphics.h"

class IEngine;

class k_OpenGl : public IGraphics
{
public:
    explicit k_OpenGl(IEngine* engine);
    ~k_OpenGl() override = default;
    k_OpenGl(const k_OpenGl&) = delete;
    k_OpenGl& operator=(const k_OpenGl&) = delete;

    void Resize(int width, int height) override;
    bool Initialize() override;
    bool CreateContext(k_DeviceContext deviceContext) override;
    void DestroyContext() override;
    int GetMaxTextureSize() override { return m_maxTextureSize; }
    int GetWidth() override { return m_width; }
    int GetHeight() override { return m_height; }
    float GetAspectRatio() override { return m_aspectRatio; }
    void SetAspectRatio(float aspectRatio) override { m_aspectRatio = aspectRatio; }
    void CheckErrors() override;
    void DrawProgressBar(float fraction) override;

protected:
    // The next pending GL error (glGetError); GL keeps one flag per error kind, so tests feed longer queues here.
    virtual unsigned NextError();
    // The current context's desktop OpenGL version as major * 10 + minor; 0 for an OpenGL ES context.
    virtual int GlVersion();
    // Whether the current context offers the named extension.
    virtual bool HasExtension(const char* name);

private:
    // Throws the fixed message of the first missing version or extension (logged in red with its name).
    void RequireFeatures();

    IEngine* m_engine;
    int m_width = 0;
    int m_height = 0;
    int m_maxTextureSize = 0;
    float m_aspectRatio = 0.0f;
    k_RenderingContext m_context = nullptr;
    k_DeviceContext m_deviceContext = nullptr;
};
