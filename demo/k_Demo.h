#pragma once
// The show "starwane" on k_Show: five worlds (the landscape, its tone map, the plasma overlay, the logo's world
// the captions are shown in, the drift the greetings dissolve in) and the captions, switches and fades of the
// show file ("Show.txt"). Its switches turn the landscape on and the plasma on; its fades drive the overlay's
// fade colour and the logo's alpha. A world of the show is one more AddWorldStep line in the constructor.
#include "demo/k_Show.h"

#include <array>
#include <string>

class IEngine;
class IWorld;
class k_AfterWorld;
class k_DriftWorld;
class k_PlasmaWorld;

class k_Demo : public k_Show
{
public:
    explicit k_Demo(IEngine* engine);

    // The show file's switches and fades: "landscape-on" (the landscape and its tone map on), "plasma-on" (the
    // plasma on, the landscape off); "from-black", "to-white", "from-white" (the overlay's fade colour),
    // "to-logo" (the logo in while the picture goes to black).
    static k_ShowFile::Vocabulary GetVocabulary();

    // Seconds of frames to draw before a time sought to, so that the frame-to-frame state looks as after a
    // play from the start: the luminance adaptation closes all but 1.5% of its gap in 3 s (e^-1.4 a second),
    // where 2 s left the landscape up to 2.2/255 off; the drift feedback keeps 8% of what it held (e^-0.85
    // a second), only the greeting handed over last.
    static constexpr double WarmUpSeconds = 3.0;

    // The tune's file name in the pack (Ogg Vorbis), which the player, the studio and the capture play.
    static constexpr const wchar_t* TuneFileName = L"ov-starwane.ogg";

    k_PlasmaWorld* GetPlasmaWorld() const { return m_plasmaWorld; }
    k_AfterWorld* GetAfterWorld() const { return m_afterWorld; }
    IWorld* GetTerrainWorld() const { return m_terrainWorld; }
    IWorld* GetHdrWorld() const { return m_hdrWorld; }
    k_DriftWorld* GetDriftWorld() const { return m_driftWorld; }

protected:
    // Records what Rewind puts back and draws the landscape once behind the loading bar.
    void AfterBuild() override;
    // The plasma's greetings follow the show file's sections "greetings" (the break before them) and "logo"
    // (their end); without those sections the plasma keeps its own beats.
    void ScheduleMade() override;
    // The captions are shown in the logo's world and slide out into the drift.
    IWorld* GetCaptionWorld() const override;
    IWorld* GetHandOverWorld() const override;
    void Switch(const std::string& name) override;
    void Fade(const std::string& name, double progress) override;
    // The landscape off, the overlay's fade colour and plasma switch and the logo's alpha as Build left them.
    // The worlds with history rewind themselves: the tone map's adapted luminance, the drift's feedback.
    void RewindShow() override;

private:
    // The world steps, in drawing order.
    std::unique_ptr<IWorld> MakeTerrain();
    std::unique_ptr<IWorld> MakeHdrChain();
    std::unique_ptr<IWorld> MakeAfterWorld();
    std::unique_ptr<IWorld> MakeDrift();

    void SetFadeColour(float r, float g, float b, float a);
    void SetLandscapeEnabled(bool enabled);
    void DrawLandscapeOnce();
    // The values Build leaves, which a rewind puts back.
    struct Initial
    {
        std::array<float, 4> fadeColour{};
        int disablePlasma = 1;
        float logoAlpha = 0.0f;
    };

    // The worlds (owned by the show, null before Build).
    IWorld* m_terrainWorld = nullptr;
    IWorld* m_hdrWorld = nullptr;
    k_PlasmaWorld* m_plasmaWorld = nullptr;
    k_AfterWorld* m_afterWorld = nullptr;
    k_DriftWorld* m_driftWorld = nullptr;
    Initial m_initial;
};
