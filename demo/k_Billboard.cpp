#include "demo/k_Billboard.h"

#include "interfaces/ITexture.h"
#include "interfaces/r_DrawStage.h"

#include <epoxy/gl.h>

k_Billboard::k_Billboard(IEngine* engine) : k_Renderable(engine) {}

int k_Billboard::GetMode()
{
    return m_mode;
}

void k_Billboard::SetMode(int mode)
{
    m_mode = mode;
}

void k_Billboard::SetTexture(ITexture* texture)
{
    m_texture = texture;
}

ITexture* k_Billboard::GetTexture()
{
    return m_texture;
}

void k_Billboard::Draw(int stage)
{
    if (stage == r_DrawStage::BeforeTransform)
    {
        if (m_mode != Spherical && m_mode != Cylindrical)
            return;
        // Replacing the rotation part of the model-view matrix with the identity
        // undoes every turn above the node, so the quad lies in the view plane.
        // The cylindrical mode keeps the second column: the quad keeps its
        // parent's vertical axis and only turns about it.
        GLfloat m[16];
        glGetFloatv(GL_MODELVIEW_MATRIX, m);
        m[0] = 1, m[1] = 0, m[2] = 0;
        m[8] = 0, m[9] = 0, m[10] = 1;
        if (m_mode == Spherical)
            m[4] = 0, m[5] = 1, m[6] = 0;
        glLoadMatrixf(m);
        return;
    }
    if (stage != r_DrawStage::Geometry || m_texture == nullptr || m_texture->GetHeight() == 0)
        return;
    const float aspect = static_cast<float>(m_texture->GetWidth()) / static_cast<float>(m_texture->GetHeight());
    const float e = aspect * 0.5f;
    glUseProgram(0);
    m_texture->Bind(0);
    glDisable(GL_LIGHTING);
    glBegin(GL_QUADS);
    glTexCoord2f(1, 1);
    glVertex2f(e, 0.5f);
    glTexCoord2f(0, 1);
    glVertex2f(-e, 0.5f);
    glTexCoord2f(0, 0);
    glVertex2f(-e, -0.5f);
    glTexCoord2f(1, 0);
    glVertex2f(e, -0.5f);
    glEnd();
    glEnable(GL_LIGHTING);
}
