#pragma once
// The world drawn after the others without clearing their colour: it shows
// the logo, faded by the show through "alpha" on the logo material's pass for
// this world, and hosts the captions while they are on screen.
#include "scene/k_World.h"

class k_OrvelantLogo;
class IShaderProgram;

class k_AfterWorld : public k_World
{
public:
    // Names the world "AfterWorld".
    explicit k_AfterWorld(IEngine* engine);
    ~k_AfterWorld() override;

    // Makes the logo, adds its quad as a node and sets its "alpha" to 0. Throws a wide message when the logo
    // cannot be made or its material has no shader pass for this world.
    void Build() override;
    // Clears only the depth buffer (to the world's clear depth), keeping the colour of the worlds drawn before.
    void Clear() override;
    // Stage 1, before the nodes are drawn: the logo is drawn only while its "alpha" is above 0 (at 0 it
    // leaves the picture as it is, and its quad covers a fifth of the screen).
    void OnRenderStage(int stage) override;

    k_OrvelantLogo* GetLogo() const { return m_logo; }
    // The program of the logo material's pass for this world, or null.
    IShaderProgram* GetLogoProgram();

private:
    k_OrvelantLogo* m_logo = nullptr;
};
