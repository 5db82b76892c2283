#pragma once
// One timed caption of the show: an image on a distorted screen quad, or a
// line of extruded text carried in front of the camera. It enters world A at
// its start, fades or slides in, stays, then fades, slides out or is handed
// over to world B, and leaves at its end. Everything it does happens from the
// animation manager's calls; the constructor registers the whole schedule.
#include "interfaces/IAnimateable.h"
#include "interfaces/IEvent.h"
#include "interfaces/IRewindable.h"
#include "math/k_VectorUA.h"

#include <optional>
#include <string>
#include <vector>

class IEngine;
class IMaterial;
class IRenderable;
class IWorld;
class ITexture;

class k_TextEvent : public IEvent, public IAnimateable, public IRewindable
{
public:
    // How a caption comes in or goes out, and over how many seconds (0: no such phase).
    //   kind                 fade-in                          fade-out
    //   k_FadeNone           shown at once                    removed at the end
    //   k_FadeAlpha          "alpha" 0 -> 1                   "alpha" 1 -> 0
    //   k_FadeAnimPosAtEnd   shown at once                    "animPos" set to 1, removed at the end
    //   k_FadeSlide          slide in: "animPos" 0 -> 1       handed over to world B, removed from it at the end
    //   k_FadeSlideOut       nothing happens                  slide out: "animPos" 1 -> 0
    static constexpr int k_FadeNone = 0;
    static constexpr int k_FadeAlpha = 1;
    static constexpr int k_FadeAnimPosAtEnd = 2;
    static constexpr int k_FadeSlide = 3;
    static constexpr int k_FadeSlideOut = 4;
    struct Fade
    {
        int kind = 0;
        float seconds = 0.0f;
    };
    // Text captions' meshes, with their materials, left by captions gone, for a later caption of the same words
    // in the same font: the resource factory keeps what it makes until the engine goes, so a schedule made
    // again (a reload of the show file) takes them instead of making them anew.
    struct SpareText
    {
        std::string text;
        std::wstring font;
        IRenderable* node = nullptr;
    };
    using SpareTexts = std::vector<SpareText>;

    // Schedule codes of a caption's events and animations.
    static constexpr int k_EventStart = 1;
    static constexpr int k_EventFadeInOver = 2;
    static constexpr int k_EventFadeOutBegins = 3;
    static constexpr int k_EventEnd = 4;
    static constexpr int k_AnimateFadeIn = 1;
    static constexpr int k_AnimateFadeOut = 3;

    // Registers the whole schedule with the animation manager (the codes above).
    // An empty text makes an image caption of the file fileOrFont; otherwise the text is drawn in that font.
    // A caption whose image cannot be loaded logs a red line naming the file and registers nothing.
    k_TextEvent(IWorld* worldA, IEngine* engine, IWorld* worldB, const std::wstring& fileOrFont,
                const std::string& text, const k_VectorUA& offset, double start, double duration, Fade fadeIn,
                Fade fadeOut, SpareTexts* spares = nullptr);
    // Takes the node out of the world it is in and destroys it; a text caption's mesh goes to the spares given
    // (not owned), if any.
    ~k_TextEvent() override;
    k_TextEvent(const k_TextEvent&) = delete;
    k_TextEvent& operator=(const k_TextEvent&) = delete;

    void Trigger(int code) override;
    void Animate(double progress, int code) override;
    // Out of whichever world holds it, visible again, "alpha" and "animPos" as they were when it was made.
    void Rewind() override;

    // Where an image caption rests on screen (centre x, y in -1..1, its width) and the side it slides in from
    // (-1 left, 1 right, 0 none): "captionPlace" on every pass of its material.
    void SetPlace(float x, float y, float width, float side);

    // The caption's node (a k_DistortedQuad or a k_CameraAttachedRenderable), or null when it was skipped.
    IRenderable* GetNode() const { return m_node; }
    // The text node (owned by the resource factory) of a text caption, else null.
    IRenderable* GetTextNode() const { return m_textNode; }
    // The material whose pass for world A carries "alpha" and "animPos", or null.
    IMaterial* GetMaterial() const;

private:
    void SetUniform(const char* name, float value);
    // The value of a uniform of world A's pass, when the pass's program has it.
    std::optional<float> GetUniform(const char* name) const;

    IWorld* m_worldB;
    IWorld* m_worldA;
    IRenderable* m_node = nullptr;
    IRenderable* m_textNode = nullptr;
    SpareTexts* m_spares;
    std::string m_text;
    std::wstring m_font;
    IEngine* m_engine;
    double m_start;
    double m_duration;
    Fade m_fadeIn;
    Fade m_fadeOut;
    // What a rewind puts back.
    std::optional<float> m_initialAlpha;
    std::optional<float> m_initialAnimPos;
    bool m_initiallyVisible = true;
};
