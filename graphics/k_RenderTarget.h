#pragma once
// An off-screen framebuffer of fixed size with a depth renderbuffer and any
// number of colour textures (k_RenderTargetTexture). Binding selects the draw
// buffers from the flags, sets the viewport to the target and clears with the
// current world's clear colour and depth; unbinding returns to the window.
#include "interfaces/IRenderTarget.h"

#include <vector>

class IEngine;

class k_RenderTarget : public IRenderTarget
{
public:
    k_RenderTarget(IEngine* engine, int width, int height);
    ~k_RenderTarget() override;
    k_RenderTarget(const k_RenderTarget&) = delete;
    k_RenderTarget& operator=(const k_RenderTarget&) = delete;

    ITexture* AddColorTexture(int format) override;
    void Bind(int flags) override;
    void Unbind() override;
    int GetWidth() override;
    int GetHeight() override;
    std::vector<ITexture*>* GetColorTextures() override;

    // The attachments handed to glDrawBuffers at the next Bind (empty and unused when HasDrawBuffers is false).
    const std::vector<unsigned int>& GetDrawBuffers() const { return m_drawBuffers; }
    bool HasDrawBuffers() const { return m_hasDrawBuffers; }
    int GetBindFlags() const { return m_bindFlags; }
    unsigned int GetFramebuffer() const { return m_framebuffer; }
    // The sample count of the placeholder colour renderbuffer (8, or the driver's GL_MAX_SAMPLES if lower).
    int GetSampleCount() const { return m_sampleCount; }

private:
    void RebuildDrawBuffers(int flags);

    IEngine* m_engine;
    int m_width;
    int m_height;
    unsigned int m_framebuffer = 0;
    unsigned int m_renderbuffer = 0;
    unsigned int m_colourRenderbuffer = 0;
    int m_sampleCount = 0;
    std::vector<unsigned int> m_drawBuffers;
    bool m_hasDrawBuffers = false;
    std::vector<ITexture*> m_colorTextures;
    int m_bindFlags = k_ClearEverything;
};
