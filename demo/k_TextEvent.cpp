#include "demo/k_TextEvent.h"

#include "demo/k_CameraAttachedRenderable.h"
#include "demo/k_DistortedQuad.h"
#include "engine/k_Log.h"
#include "graphics/k_MaterialPass.h"
#include "interfaces/IAnimationManager.h"
#include "interfaces/IEngine.h"
#include "interfaces/IMaterial.h"
#include "interfaces/IRenderable.h"
#include "interfaces/IResourceFactory.h"
#include "interfaces/IShaderProgram.h"
#include "interfaces/IText.h"
#include "interfaces/ITexture.h"
#include "interfaces/ITimeline.h"
#include "interfaces/IWorld.h"

#include <algorithm>

// --- construction ---

k_TextEvent::k_TextEvent(IWorld* worldA, IEngine* engine, IWorld* worldB, const std::wstring& fileOrFont,
                         const std::string& text, const k_VectorUA& offset, double start, double duration, Fade fadeIn,
                         Fade fadeOut, SpareTexts* spares)
    : m_worldB(worldB), m_worldA(worldA), m_spares(spares), m_text(text), m_font(fileOrFont), m_engine(engine),
      m_start(start), m_duration(duration), m_fadeIn(fadeIn), m_fadeOut(fadeOut)
{
    IResourceFactory* factory = engine->GetResourceFactory();
    if (text.empty())
    {
        ITexture* texture = factory->CreateTexture(fileOrFont, fileOrFont);
        if (!texture)
        {
            // The show goes on without this caption.
            k_Log(k_Log::Colour::Error) << "k_TextEvent: Cannot load the caption image " << fileOrFont
                                        << "; the caption is skipped.";
            return;
        }
        m_node = new k_DistortedQuad(engine, texture);
    }
    else
    {
        // A spare mesh of the same words and font, with its material, is taken as it is.
        IRenderable* spare = nullptr;
        if (spares)
        {
            const auto found = std::find_if(spares->begin(), spares->end(), [&](const SpareText& kept) {
                return kept.text == text && kept.font == fileOrFont;
            });
            if (found != spares->end())
            {
                spare = found->node;
                spares->erase(found);
            }
        }
        if (spare)
        {
            m_textNode = spare;
        }
        else
        {
            // Every text caption gets a material instance of its own: "Common/TextLight.mat" and one more
            // character.
            static int textCaptions = 0;
            std::wstring materialName = L"Common/TextLight.mat";
            materialName += static_cast<wchar_t>(L'0' + textCaptions++);
            IText* textNode = factory->CreateText(text, fileOrFont, 200, 0.2f, 0);
            if (!textNode)
            {
                k_Log(k_Log::Colour::Error) << "k_TextEvent: Cannot make the text caption in the font " << fileOrFont
                                            << "; the caption is skipped.";
                return;
            }
            textNode->SetMaterial(factory->CreateMaterial(materialName, L"Common/TextLight.mat"));
            m_textNode = dynamic_cast<IRenderable*>(textNode);
        }
        m_node = new k_CameraAttachedRenderable(engine, offset);
        m_node->AddChild(m_textNode);
    }

    // The caption's start, once: the material's ripples and the drift's tint of the caption follow it.
    if (IMaterial* material = GetMaterial())
        for (k_MaterialPass* pass : material->GetPasses())
            if (pass->program)
                pass->program->SetUniformFloat("captionStart", static_cast<float>(start));

    m_initialAlpha = GetUniform("alpha");
    m_initialAnimPos = GetUniform("animPos");
    m_initiallyVisible = m_node->IsVisible();

    // --- the schedule ---
    IAnimationManager* manager = engine->GetAnimationManager();
    const double end = start + duration;
    manager->AddEvent(start, this, k_EventStart);
    if (fadeIn.seconds != 0.0f)
    {
        const double fade = static_cast<double>(fadeIn.seconds);
        manager->AddEvent(start + fade, this, k_EventFadeInOver);
        manager->AddAnimation(start, start + fade, this, k_AnimateFadeIn);
    }
    if (fadeOut.seconds != 0.0f)
    {
        const double fade = static_cast<double>(fadeOut.seconds);
        manager->AddEvent(end - fade, this, k_EventFadeOutBegins);
        manager->AddAnimation(end - fade, end, this, k_AnimateFadeOut);
    }
    manager->AddEvent(end, this, k_EventEnd);
}

void k_TextEvent::SetPlace(float x, float y, float width, float side)
{
    const float place[4] = {x, y, width, side};
    if (IMaterial* material = GetMaterial())
        for (k_MaterialPass* pass : material->GetPasses())
            if (pass->program)
                pass->program->SetUniformVector("captionPlace", place, 4);
}

k_TextEvent::~k_TextEvent()
{
    if (m_node && m_node->GetWorld())
        m_node->GetWorld()->RemoveRenderable(m_node);
    if (m_node && m_textNode && m_spares)
    {
        m_node->RemoveChild(m_textNode);
        m_spares->push_back({m_text, m_font, m_textNode});
    }
    delete m_node;
}

// --- uniforms ---

IMaterial* k_TextEvent::GetMaterial() const
{
    if (!m_node)
        return nullptr;
    if (auto* text = dynamic_cast<IText*>(m_textNode))
        return text->GetMaterial();
    if (auto* quad = dynamic_cast<k_DistortedQuad*>(m_node))
        return quad->GetMaterial();
    return nullptr;
}

void k_TextEvent::SetUniform(const char* name, float value)
{
    IMaterial* material = GetMaterial();
    if (!material)
        return;
    k_MaterialPass* pass = material->FindPass(m_worldA);
    if (pass && pass->program)
        pass->program->SetUniformFloat(name, value);
}

std::optional<float> k_TextEvent::GetUniform(const char* name) const
{
    IMaterial* material = GetMaterial();
    k_MaterialPass* pass = material ? material->FindPass(m_worldA) : nullptr;
    if (!pass || !pass->program || pass->program->GetUniformLocation(name) < 0)
        return std::nullopt;
    return pass->program->GetUniformFloat(name);
}

// --- the schedule's calls ---

// An event on a frame's exact time is triggered twice (by that frame and the next); a caption is therefore added
// to a world only when it is not in it already, or it would be listed twice and never leave the screen.
void k_TextEvent::Trigger(int code)
{
    if (!m_node)
        return;
    auto enterA = [this] {
        if (m_node->GetWorld() != m_worldA)
            m_worldA->AddRenderable(m_node);
    };
    switch (code)
    {
    case k_EventStart:
        // Triggered again by the next frame, after that frame's fade-in step: the caption in a world has started
        // already, and setting its start values again would show it unfaded for one frame.
        if (m_node->GetWorld())
            break;
        switch (m_fadeIn.kind)
        {
        case k_FadeNone:
        case k_FadeAnimPosAtEnd:
            enterA();
            break;
        case k_FadeAlpha:
            enterA();
            SetUniform("animPos", 1.0f);
            SetUniform("alpha", 0.0f);
            break;
        case k_FadeSlide:
            SetUniform("animPos", 0.0f);
            SetUniform("alpha", 1.0f);
            enterA();
            break;
        default:
            break;
        }
        break;
    case k_EventFadeInOver:
        if (m_fadeIn.kind == k_FadeAlpha)
            SetUniform("alpha", 1.0f);
        else if (m_fadeIn.kind == k_FadeSlide)
            SetUniform("animPos", 1.0f);
        break;
    case k_EventFadeOutBegins:
        if (m_fadeOut.kind == k_FadeAlpha)
            SetUniform("alpha", 1.0f);
        else if (m_fadeOut.kind == k_FadeAnimPosAtEnd)
            SetUniform("animPos", 1.0f);
        else if (m_fadeOut.kind == k_FadeSlide && m_node->GetWorld() != m_worldB)
        {
            m_worldA->RemoveRenderable(m_node);
            if (m_worldB)
            {
                m_worldB->AddRenderable(m_node);
                // World B (the drift) draws a node into its picture in its first frame there, then hides it.
                // Handed over by a seek (the timeline's last step is 0) to a time past the hand-over, that
                // frame lies before the seek: drawn now, it would imprint the caption a second time.
                ITimeline* timeline = m_engine->GetTimeline();
                const double handOver = m_start + m_duration - static_cast<double>(m_fadeOut.seconds);
                if (timeline && timeline->GetDeltaTime() == 0.0 && timeline->GetTime() > handOver)
                    m_node->SetVisible(false);
            }
        }
        break;
    case k_EventEnd:
        // Out of whichever world holds it: a hand-over without time never left world A.
        if (IWorld* world = m_node->GetWorld())
            world->RemoveRenderable(m_node);
        break;
    default:
        break;
    }
}

void k_TextEvent::Rewind()
{
    if (!m_node)
        return;
    if (IWorld* world = m_node->GetWorld())
        world->RemoveRenderable(m_node);
    m_node->SetVisible(m_initiallyVisible);
    if (m_initialAlpha)
        SetUniform("alpha", *m_initialAlpha);
    if (m_initialAnimPos)
        SetUniform("animPos", *m_initialAnimPos);
}

void k_TextEvent::Animate(double progress, int code)
{
    const float p = static_cast<float>(progress);
    if (code == k_AnimateFadeIn)
    {
        if (m_fadeIn.kind == k_FadeAlpha)
            SetUniform("alpha", p);
        else if (m_fadeIn.kind == k_FadeSlide)
            SetUniform("animPos", p);
    }
    else if (code == k_AnimateFadeOut)
    {
        if (m_fadeOut.kind == k_FadeAlpha)
            SetUniform("alpha", 1.0f - p);
        else if (m_fadeOut.kind == k_FadeSlideOut)
            SetUniform("animPos", 1.0f - p);
    }
}
