#pragma once
// The base of a demo's own show. Build reads the show file from the pack, makes the demo's worlds one step
// of the loading bar each, then the file's captions (one step each) in the world the demo names, and
// registers the file's switches and fades with the scheduler; they come back by name (Switch, Fade). A
// demo derives from it, adds a step for each world in its constructor and says what its switches and fades
// do; Rewind puts back what they change, so that a seek replays the show from its start.
#include "demo/k_ShowFile.h"
#include "interfaces/IAnimateable.h"
#include "interfaces/IEvent.h"
#include "interfaces/IRewindable.h"
#include "interfaces/IShow.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class IEngine;
class IWorld;

class k_Show : public IShow, public IEvent, public IAnimateable, public IRewindable
{
public:
    // The vocabulary names the switches and fades the show file may hold; the file is read from the pack.
    k_Show(IEngine* engine, k_ShowFile::Vocabulary vocabulary, std::wstring showFileName = L"Show.txt");
    // Destroys the captions, then the worlds, each last made first. The engine's list still refers to the
    // worlds, so it must draw no frame after this (the show goes before the window and the engine).
    ~k_Show() override;
    k_Show(const k_Show&) = delete;
    k_Show& operator=(const k_Show&) = delete;

    // The show file (a missing or malformed one, or a caption whose picture is not in the pack, ends it with
    // a wide message naming file, line and column), the world steps, the captions and the schedule.
    void Build() override;
    // Clears colour (to black) and depth (to 0) for the next frame; front faces clockwise.
    void BeginFrame() override;
    // What BeginFrame does, for shows that are not built on this class (starwane's k_Demo).
    static void ClearForFrame();
    std::vector<double> GetSectionBounds() const override;
    // The show file as read by Build (empty before).
    const k_ShowFile& GetShow() const { return *m_show; }
    // Number of progress steps of Build: one a world step and one a caption.
    int GetProgressSteps() const;

    // The scheduler's calls, handed on as Switch and Fade by name. A fade's end brings its progress 1.
    void Trigger(int code) final;
    void Animate(double progress, int code) final;
    // Puts back what Switch and Fade change (nothing here).
    void Rewind() override {}

    // The event code of a fade's end: FadeOver + the fade's code.
    static constexpr int FadeOver = 1000;
    // The base of the sync track files in the pack: "Sync/show" and "camera:x" give
    // "Sync/show_camera-3Ax.track". The worlds ask for their tracks as they are built; Build then reads the
    // tracks' files (a missing one: no keys; a damaged one ends it with a message naming the file).
    static constexpr const char* SyncTrackBase = "Sync/show";

protected:
    // One step of Build: makes a world, which the show then owns and adds to the engine (where it is built);
    // the order of the steps is the drawing order. A null world ends Build with a message.
    void AddWorldStep(std::function<std::unique_ptr<IWorld>()> make);
    // The world the captions are shown in: the last world made, unless the demo says otherwise.
    virtual IWorld* GetCaptionWorld() const;
    // The world a caption sliding out is handed to ("out slide"); none unless the demo says otherwise.
    virtual IWorld* GetHandOverWorld() const { return nullptr; }
    // A switch of the show file, at its time.
    virtual void Switch(const std::string& name);
    // A fade of the show file, progress from 0 to 1 over its span.
    virtual void Fade(const std::string& name, double progress);

    IEngine* m_engine;

private:
    void Progress();
    void MakeSchedule();
    // A cue's code: its place in the vocabulary's switches or fades, from 1.
    int CodeOf(const k_ShowFile::Cue& cue) const;

    k_ShowFile::Vocabulary m_vocabulary;
    std::wstring m_showFileName;
    std::unique_ptr<k_ShowFile> m_show;
    std::vector<std::function<std::unique_ptr<IWorld>()>> m_steps;
    std::vector<std::unique_ptr<IWorld>> m_worlds;
    std::vector<std::unique_ptr<IEvent>> m_captions;
    int m_progress = 0;
};
