#pragma once
// The base of a show (starwane's k_Demo and a demo's own). Build reads the show file from the pack, makes the
// show's worlds one step of the loading bar each, then the file's captions (one step each) in the world the
// show names, and registers the file's switches and fades with the scheduler; they come back by name (Switch,
// Fade). A show derives from it, adds a step for each world in its constructor, says what its switches and
// fades do and what RewindShow puts back. A world the show file only turns on and off needs no code of the
// show's beyond its step: the step names it, and the file's switches "NAME-on" and "NAME-off" enable and
// disable it. The show file can be read again while the show runs (Reload, the studio's), and the worlds'
// sync tracks are read from the pack's track files.
//
// Rewind and the seek. A seek to T (the capture's --at, the studio's jumps) brings the show to T without
// drawing the frames before it: the engine rewinds every world that is IRewindable, the scheduler rewinds the
// show (Rewind below) and every caption, then replays every switch and fade due before T in time order. So:
// - what Switch and Fade change (enabled worlds, uniforms), RewindShow puts back as Build left it (the worlds
//   of named steps, switched by the show file alone, k_Show puts back itself);
// - what a world changes from frame to frame by itself (feedback, adaptation: its history) the world puts back
//   in its own Rewind, and the show's program says in ShowProgram::warmUpSeconds how many seconds of frames
//   before T bring that history to what a play from the start would show (starwane's: k_Demo::WarmUpSeconds);
//   the capture and the studio draw them after the seek;
// - a world without history (its picture a function of the time and the sync tracks) needs neither.
#include "demo/k_ShowFile.h"
#include "demo/k_TextEvent.h"
#include "interfaces/IAnimateable.h"
#include "interfaces/IEvent.h"
#include "interfaces/IRewindable.h"
#include "interfaces/IShow.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class IEngine;
class IWorld;

class k_Show : public IShow, public IEvent, public IAnimateable, public IRewindable
{
public:
    // The show file's name in the pack unless a show names another.
    static constexpr const wchar_t* ShowFileName = L"Show.txt";
    // The vocabulary names the switches and fades the show file may hold; the file is read from the pack.
    k_Show(IEngine* engine, k_ShowFile::Vocabulary vocabulary, std::wstring showFileName = ShowFileName);
    // Destroys the captions, then the worlds, each last made first. The engine's list still refers to the
    // worlds, so it must draw no frame after this (the show goes before the window and the engine).
    ~k_Show() override;
    k_Show(const k_Show&) = delete;
    k_Show& operator=(const k_Show&) = delete;

    // The show file (a missing or malformed one, or a caption whose picture is not in the pack, ends it with
    // a wide message naming file, line and column), the world steps, the sync track files (a damaged one ends
    // it naming the file), the captions and the schedule, then AfterBuild; the bar is drawn full last. A
    // caption whose picture is in the pack but cannot be decoded is a damaged pack: the show goes on without it.
    void Build() override;
    // Replaces the show's timeline with a new text of the show file: on success the animation manager is
    // emptied and filled again from it and the captions are made anew (the caller then seeks the show to
    // the time on screen). On errors nothing changes and the messages are returned.
    std::vector<std::string> Reload(std::string_view text);
    // Clears colour (to black) and depth (to 0) for the next frame; front faces clockwise.
    void BeginFrame() override;
    // What BeginFrame does, for shows and tools that are not built on this class.
    static void ClearForFrame();
    std::vector<double> GetSectionBounds() const override;
    // The show file as last read successfully (empty before Build).
    const k_ShowFile& GetShow() const { return *m_show; }
    // The show file's name in the pack.
    const std::wstring& GetShowFileName() const { return m_showFileName; }
    // Number of progress steps of Build before the bar is drawn full: one a world step and one a caption.
    int GetProgressSteps() const;
    // The captions' events in the show file's order (owned by the show).
    std::vector<IEvent*> GetEvents() const;

    // The scheduler's calls, handed on as Switch and Fade by name. A fade's end brings its progress 1.
    void Trigger(int code) final;
    void Animate(double progress, int code) final;
    // Enables or disables the worlds of named steps as Build left them, then RewindShow; see the seek above.
    void Rewind() final;

    // The event code of a fade's end: FadeOver + the fade's code.
    static constexpr int FadeOver = 1000;
    // The base of the sync track files in the pack and the studio's assets folder ("Sync/show" and
    // "camera:x" give "Sync/show_camera-3Ax.track"), and the free track shaders read as "syncBeat", which
    // every show has.
    static constexpr const char* SyncTrackBase = "Sync/show";
    static constexpr const char* BeatTrackName = "show:beat";
    // Reads the keys of every sync track from its file in the pack; a track without a file has no keys (read
    // again after a save, one whose file is gone loses its keys). A damaged file leaves its track as it was
    // and is named, with what is wrong with it, in the messages returned.
    static std::vector<std::string> ReadTrackFiles(IEngine* engine);

protected:
    // How a named step's world starts: enabled, or disabled until the show file's "NAME-on".
    enum class Start
    {
        Enabled,
        Disabled,
    };

    // One step of Build: makes a world, which the show then owns and adds to the engine (which builds it);
    // the order of the steps is the drawing order. A step may keep a typed pointer to its world for Switch,
    // Fade and RewindShow, and may use the worlds of the steps before it. A null world ends Build with a message.
    void AddWorldStep(std::function<std::unique_ptr<IWorld>()> make);
    // A step whose world the show file switches by name, with no code of the show's: "NAME-on" and "NAME-off"
    // join the show's switches and enable and disable the world at their times; the world starts as start
    // says and Rewind puts it back as Build left it. NAME is letters, digits, '-' and '_'; an empty one, or
    // one whose switches the show already has, ends Build with a message.
    void AddWorldStep(const std::string& name, Start start, std::function<std::unique_ptr<IWorld>()> make);
    // For a step: notes the world in the show's typed pointer and hands it on to the show, which owns it.
    template <class World> static std::unique_ptr<IWorld> Keep(World*& member, std::unique_ptr<World> world)
    {
        member = world.get();
        return world;
    }
    // What the show does once its worlds and schedule are made, still behind the loading bar (nothing here).
    virtual void AfterBuild() {}
    // The world the captions are shown in: the last world made, unless the show says otherwise.
    virtual IWorld* GetCaptionWorld() const;
    // The world a caption sliding out is handed to ("out slide"); none unless the show says otherwise.
    virtual IWorld* GetHandOverWorld() const { return nullptr; }
    // A switch of the show file, at its time (not those of named steps, which k_Show makes itself).
    virtual void Switch(const std::string& name);
    // A fade of the show file, progress from 0 to 1 over its span (1 again at its end when no other fade
    // starts there).
    virtual void Fade(const std::string& name, double progress);
    // Puts back what Switch and Fade change, as Build left it (nothing here); Rewind calls it.
    virtual void RewindShow() {}

    IEngine* m_engine;

private:
    // One more step of the loading bar, drawn and presented unless it is the last.
    void Progress();
    // The show file from the pack; throws a wide message when it is missing or malformed.
    k_ShowFile ReadShowFile() const;
    // Makes the show file's captions and registers its schedule; each caption a step of the bar when building.
    void MakeSchedule(bool progress);
    // A cue's code: its place in the vocabulary's switches or fades, from 1.
    int CodeOf(const k_ShowFile::Cue& cue) const;
    // Why a caption's picture cannot be shown ("is not in the pack", "cannot be decoded"), or null.
    const char* PictureFault(const k_ShowFile::Caption& caption) const;
    // A caption's picture fault, at the show file's place of its caption.
    std::string PictureError(const k_ShowFile::Caption& caption, const char* fault) const;
    void DeleteCaptions();

    // A world step; a named one's world is switched by the show file.
    struct Step
    {
        std::function<std::unique_ptr<IWorld>()> make;
        std::string name;
        Start start = Start::Enabled;
    };
    // The world of a named step, and whether Build left it enabled.
    struct NamedWorld
    {
        IWorld* world = nullptr;
        bool enabled = true;
    };
    // Enables or disables a named step's world for a switch of the vocabulary at index; false for the
    // show's own switches.
    bool SwitchNamedWorld(size_t index);

    // The show's own switches and fades, then "NAME-on" and "NAME-off" of each named step in the steps' order.
    k_ShowFile::Vocabulary m_vocabulary;
    // How many of the vocabulary's switches are the show's own.
    size_t m_ownSwitches = 0;
    // Why the named steps cannot be made (thrown by Build), or empty.
    std::string m_stepFault;
    std::wstring m_showFileName;
    std::unique_ptr<k_ShowFile> m_show;
    std::vector<Step> m_steps;
    // The named steps' worlds, in the steps' order (made by Build).
    std::vector<NamedWorld> m_namedWorlds;
    std::vector<std::unique_ptr<IWorld>> m_worlds;
    // The text captions' meshes the captions of an earlier schedule left (declared first: the captions hand
    // theirs back as they go).
    k_TextEvent::SpareTexts m_spareTexts;
    std::vector<std::unique_ptr<IEvent>> m_captions;
    // Steps of the loading bar taken so far.
    int m_progress = 0;
};
