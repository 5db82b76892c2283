#pragma once
// The show "starwane": builds its five worlds and the captions of the show
// file ("Show.txt") behind the loading bar, clears the screen before each
// frame, and at the times the file gives switches worlds on and off and drives
// the fade colour of the plasma overlay and the logo's alpha. It owns the
// worlds and captions it makes; the engine's world list only refers to them.
// The show file can be read again while the show runs (the studio's reload).
#include "demo/k_ShowFile.h"
#include "interfaces/IAnimateable.h"
#include "interfaces/IEvent.h"
#include "interfaces/IRewindable.h"
#include "interfaces/IShow.h"

#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class IEngine;
class IWorld;
class k_AfterWorld;
class k_DriftWorld;
class k_PlasmaWorld;

class k_Demo : public IShow, public IEvent, public IAnimateable, public IRewindable
{
public:
    explicit k_Demo(IEngine* engine);
    // Destroys the captions, then the worlds, each last created first. The engine's list still refers to the
    // worlds, so it must draw no frame after this (the demo goes before the window and the engine).
    ~k_Demo() override;
    k_Demo(const k_Demo&) = delete;
    k_Demo& operator=(const k_Demo&) = delete;

    // Codes of the show's own schedule. Events (Trigger): the landscape and its tone map on; the plasma on and
    // the landscape off.
    static constexpr int k_LandscapeOn = 1;
    static constexpr int k_PlasmaOn = 3;
    // Animations (Animate): fade from black, to white, from white; the logo in while the picture goes to black.
    static constexpr int k_FadeFromBlack = 1;
    static constexpr int k_FadeToWhite = 2;
    static constexpr int k_FadeFromWhite = 3;
    static constexpr int k_FadeToLogo = 4;

    // Scene switches: k_LandscapeOn, k_PlasmaOn. A fade's end (FadeOver + its code) sets its last value: frames
    // that pass the end leave it where their last frame inside it was.
    void Trigger(int code) override;
    // Reads the show file, then builds every world, caption and schedule of the show, advancing and presenting
    // the loading bar. A show file that is missing or malformed, or a world, target or material that cannot be
    // made, ends it with a wide message naming it (the show file's with its file, line and column).
    void Build() override;
    // Replaces the show's timeline with a new text of the show file: on success the animation manager is
    // emptied and filled again from it and the captions are made anew (the caller then seeks the show to
    // the time on screen). On errors nothing changes and the messages are returned.
    std::vector<std::string> Reload(std::string_view text);
    // Clears colour and depth (depth to 0) for the next frame; front faces clockwise.
    void BeginFrame() override;
    // Fades: k_FadeFromBlack, k_FadeToWhite, k_FadeFromWhite, k_FadeToLogo.
    void Animate(double progress, int code) override;
    // The landscape off, the overlay's fade colour and plasma switch and the logo's alpha as Build left them.
    void Rewind() override;

    // Seconds of frames to draw before a time sought to, so that the frame-to-frame state looks as after a
    // play from the start: the luminance adaptation closes all but 1.5% of its gap in 3 s (e^-1.4 a second),
    // where 2 s left the landscape up to 2.2/255 off; the drift feedback keeps 8% of what it held (e^-0.85
    // a second), only the greeting handed over last.
    static constexpr double WarmUpSeconds = 3.0;

    k_PlasmaWorld* GetPlasmaWorld() const { return m_plasmaWorld.get(); }
    k_AfterWorld* GetAfterWorld() const { return m_afterWorld.get(); }
    IWorld* GetTerrainWorld() const { return m_terrainWorld.get(); }
    IWorld* GetHdrWorld() const { return m_hdrWorld.get(); }
    k_DriftWorld* GetDriftWorld() const { return m_driftWorld.get(); }
    // The captions in creation order (owned).
    const std::vector<IEvent*>& GetEvents() const { return m_events; }

    // The event code of a fade's end: FadeOver + the fade's animation code.
    static constexpr int FadeOver = 10;
    // The show file's name in the pack, and the names its switches and fades may take.
    static constexpr const wchar_t* ShowFileName = L"Show.txt";
    // The base of the sync tracks' files in the pack and the studio's assets folder ("Sync/show" and
    // "camera:x" give "Sync/show_camera-3Ax.track"), and the free track shaders read as "syncBeat".
    static constexpr const char* SyncTrackBase = "Sync/show";
    static constexpr const char* BeatTrackName = "show:beat";
    // Reads the keys of every sync track from its file in the pack; a track without a file has no keys (read
    // again after a save, one whose file is gone loses its keys). A damaged file leaves its track as it was
    // and is named, with what is wrong with it, in the messages returned.
    static std::vector<std::string> ReadTrackFiles(IEngine* engine);
    // The tune's file name in the pack (Ogg Vorbis), which the player, the studio and the capture play.
    static constexpr const wchar_t* TuneFileName = L"ov-starwane.ogg";
    static k_ShowFile::Vocabulary GetVocabulary();
    // Reads the show file from the engine's file system (so an overlay folder serves an edited copy);
    // throws a wide message when it is missing or malformed.
    static k_ShowFile ReadShowFile(IEngine* engine);

    // --- the show's timeline for tools (the studio's jumps, loops and status, the bench's sections) ---
    // The show file as last read successfully (empty before Build).
    const k_ShowFile& GetShow() const { return *m_show; }
    std::vector<double> GetSectionBounds() const override;
    // Number of progress steps of Build before the bar is drawn full: one a world and one a caption.
    int GetProgressSteps() const;

    // Build's world steps in order: each makes a world (and what it draws into) and adds it to the engine, so
    // the list is also the drawing order. A new world is one more step here, its member below, and its
    // entries in the show file.
    using WorldStep = void (k_Demo::*)();

private:
    void MakeTerrain();
    void MakeHdrChain();
    void MakePlasma();
    void MakeAfterWorld();
    void MakeDrift();
    static constexpr WorldStep k_WorldSteps[] = {&k_Demo::MakeTerrain, &k_Demo::MakeHdrChain, &k_Demo::MakePlasma,
                                                 &k_Demo::MakeAfterWorld, &k_Demo::MakeDrift};

    // Makes the show file's captions and registers its schedule; each caption advances the bar when drawing.
    void MakeSchedule(const k_ShowFile& show, bool progress);
    // Why a caption's picture cannot be shown ("is not in the pack", "cannot be decoded"), or null.
    const char* PictureFault(const k_ShowFile::Caption& caption) const;
    // A caption's picture fault, at the show file's place of its caption.
    static std::string PictureError(const k_ShowFile::Caption& caption, const char* fault);
    void Progress();
    void Progress(float fraction);
    void SetFadeColour(float r, float g, float b, float a);
    void SetLandscapeEnabled(bool enabled);
    // The values Build leaves, which a rewind puts back.
    struct Initial
    {
        std::array<float, 4> fadeColour{};
        int disablePlasma = 1;
        float logoAlpha = 0.0f;
    };
    void DrawLandscapeOnce();

    IEngine* m_engine;
    std::unique_ptr<k_ShowFile> m_show;
    // Steps of the loading bar taken so far.
    int m_progress = 0;
    std::vector<IEvent*> m_events;
    // In creation order, so that they are destroyed last made first.
    std::unique_ptr<IWorld> m_terrainWorld;
    std::unique_ptr<IWorld> m_hdrWorld;
    std::unique_ptr<k_PlasmaWorld> m_plasmaWorld;
    std::unique_ptr<k_AfterWorld> m_afterWorld;
    std::unique_ptr<k_DriftWorld> m_driftWorld;
    Initial m_initial;
};
