#pragma once
// The full-screen overlay drawn over whatever the worlds before it drew: one
// quad with "Plasma.mat", which shows either a plasma or only a fade colour.
// The show animates its "fadeColor" (RGBA) and switches the plasma on with
// "disablePlasma" (1 off, 0 on). The world never clears the framebuffer.
// Sync tracks shape it where they have keys: "fade:r", "fade:g", "fade:b",
// "fade:a" take over the fade colour's channels, "plasma:speed" is the rate
// the plasma's own clock runs at (1: demo time), "plasma:turn" turns its
// palette (1 a full turn) and "plasma:heat" blends its palettes (0 dusk, 1
// ember; unkeyed, the greetings bring the ember).
#include "engine/k_SyncValue.h"
#include "scene/k_World.h"

#include <array>

class IMaterial;
class IMeshBuffer;
class IShaderProgram;
class k_MaterialPass;

class k_PlasmaWorld : public k_World
{
public:
    // Names the world "Plasma".
    explicit k_PlasmaWorld(IEngine* engine);

    // Loads "Plasma.mat", sets "fadeColor" (0, 0, 0, 0.5), "disablePlasma" 1 and the greetings' beats (starwane's
    // own until the show says), builds the quad.
    // Throws a wide message when the material, its pass or the quad cannot be made.
    void Build() override;
    // Stage 2: draws the overlay quad, unless the plasma is off and the fade colour's alpha is 0.
    void OnRenderStage(int stage) override;
    // The names of the world's sync tracks: the fade colour's four channels, then speed, turn and heat.
    static const std::array<const char*, 7> TrackNames;
    // Does nothing: the overlay draws over the current picture.
    void Clear() override;

    // The pass of "Plasma.mat" for this world (null before Build).
    k_MaterialPass* GetPass() const { return m_pass; }
    // The program carrying "fadeColor" and "disablePlasma", or null.
    IShaderProgram* GetProgram() const;
    // Where the greetings lie in the tune's beats ("greetingsBeats"): the break before them starts at breakBeat
    // (the palette breathes there), the greetings' colours come 6 to 9 beats later and go from a beat before
    // endBeat to 3 after it. Starwane's: the break at bar 69 (beat 272), the end at bar 85 (beat 336).
    void SetGreetingsBeats(float breakBeat, float endBeat);
    static constexpr float DefaultBreakBeat = 272.0f;
    static constexpr float DefaultEndBeat = 336.0f;

private:
    k_MaterialPass* m_pass = nullptr;
    IMeshBuffer* m_quad = nullptr;
    IMaterial* m_material = nullptr;
    std::array<k_SyncValue, 7> m_tracks;
};
