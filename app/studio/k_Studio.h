#pragma once
// The studio's run once the engine, the window and the show are up: the
// loop that draws the show on the clock, serves the keys (pause, steps, the
// show's instants, speed, loop, pictures), keeps the music in step with demo
// time, reloads the assets saved in the watched folder, and keeps the title
// and the terminal's status line current.
#include "app/ShowProgram.h"
#include "app/studio/k_StudioMusic.h"
#include "app/studio/k_StudioOptions.h"
#include "app/studio/k_StudioStatus.h"
#include "app/studio/k_StudioTransport.h"

#include <chrono>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

class IEngine;
class IWindow;
class k_FileWatcher;
class k_Show;
class k_StudioOverlay;
class k_StudioPainter;
class k_StudioTuneMaker;
class k_SyncClient;

class k_Studio
{
public:
    // The tune's player: every call may be empty (no audio device).
    using Music = k_StudioMusic::Player;

    // Frames drawn before a time jumped to step at most this far (the show's feedback and adaptation reach
    // their look through them).
    static constexpr double MaxWarmUpStep = 0.1;

    // The show's program gives its warm-up before a time jumped to; the show (not owned) its show file,
    // schedule and sync tracks. The program must outlive the studio.
    k_Studio(const k_StudioOptions& options, const ShowProgram& program, IEngine* engine, IWindow* window, k_Show* show,
             Music music, std::ostream& status, bool statusIsTerminal);
    ~k_Studio();
    k_Studio(const k_Studio&) = delete;
    k_Studio& operator=(const k_Studio&) = delete;

    // Watches the folder for saved assets (the engine's file system serves it first already).
    void WatchAssets(const std::string& folder);
    // Paints the caption pictures again with the painter program when the caption manifest (its name in the
    // watched folder, "Captions.txt") is saved, into the folder the file system serves after the watched one
    // (call after WatchAssets).
    void PaintCaptions(const std::string& program, const std::string& manifest, const std::string& folder);
    // Makes the tune again with the maker (or measures the show file's tempo map against the recording) when a
    // saved show file changes the tempo map or the sections (call after WatchAssets); swapped is called when a
    // new tune is served, to play it and draw its waveform.
    void MakeTune(std::unique_ptr<k_StudioTuneMaker> maker, std::function<void()> swapped);
    // Connects to the sync editor of the options (--sync) and keeps connecting while it is away; its saves go
    // into the folder given (the assets folder, or the working folder without one).
    void ConnectSyncEditor(const std::string& saveFolder);
    // Draws the overlay over each frame and serves its keys and pointer (not owned; made on the window's context).
    void UseOverlay(k_StudioOverlay* overlay) { m_overlay = overlay; }
    // A key from the window (queued; served by the loop before the next frame).
    void OnKey(uint32_t code, bool shift, bool repeat);
    // Shows the start time, then runs until the window is closed, Escape or --quit-at. Returns the frames
    // drawn in play (not those of jumps) and the real seconds they took, for the frame rate.
    void Run();

    // Where F12 saves the picture of a demo time: "frame_040.000.png" in the folder, or, when a picture of that
    // time is there already (one before an edit, say), "frame_040.000-2.png", "-3" and so on: none is overwritten.
    static std::filesystem::path ShotPath(const std::filesystem::path& folder, double time);

    int64_t GetPlayedFrames() const { return m_playedFrames; }
    double GetPlayedSeconds() const { return m_playedSeconds; }

private:
    using Clock = std::chrono::steady_clock;

    // Draws the show at the demo time: the engine seeks to a little before it and draws the frames up to it,
    // presenting only the last. With a picture to save, it is read before the swap. The window is served
    // between the frames: a key or a quit arriving stops the jump (false), which is then left pending for
    // the loop (a later jump replaces it) or dropped on quit. A jump that saves its picture is stopped only
    // by a quit (the keys after the shot are served after it).
    bool ShowAt(double time, bool savePicture = false);
    // Serves the window's waiting events; true when a quit arrived, or a key when keys count.
    bool Interrupted(bool byKeys);
    // Presses the queued keys through the transport and makes one jump of them (the last target wins).
    void ServeKeys();
    // Moves the engine to the time without drawing (its seek rewinds the show and replays its schedule).
    void Seek(double time);
    // Reloads what was saved in the watched folder; true when the picture was drawn anew at once.
    bool ReloadSaved();
    bool ReloadShow(double savedAt);
    // A tune made again is played; a refused show file or the recording's fit is shown.
    void ShowTune();
    // Draws the picture again after the schedule or the sync keys changed: paused, as a jump to its time.
    void RedrawSchedule();
    // Draws the frame on screen once more at its time, the worlds' history kept.
    void RedrawFrame();
    // A finished painting's pictures loaded again; true when the picture was drawn anew at once.
    bool ShowPainted();
    void SavePicture();
    // After a frame is presented: says how long after the save the first frame with a reload came.
    void NoteReloadShown();
    void FollowMusic();
    // Applies what the sync editor sent (keys, a row to go to, pause); true when a frame was drawn.
    bool ServeSync();
    // Tells the sync editor the row of the time shown, whenever it changed (in play, and after any jump or
    // redraw while paused), so that its cursor follows the studio's.
    void TellSyncRow();
    // Reads the sync track files again after they were saved (not while an editor owns the keys).
    bool ReloadTracks();
    // Writes the sync editor's document of the show's tracks and keys beside the track files (the assets
    // folder, or where the editor's saves go), when it changed; while an editor is connected, only after a
    // save of its own (editorSaved).
    void WriteSyncDocument(bool editorSaved = false);
    // After the editor's save: the document follows it unless the save emptied keyed files, which are said.
    void NoteSyncSave();
    void UpdateStatus(bool event);
    k_StudioStatus::State Status() const;
    // --- the overlay ---
    // Draws the overlay over the frame on the back buffer, then swaps.
    void Present();
    // The pointer and the overlay's keys: while nothing is drawn (paused, a jump waiting) the overlay is drawn
    // anew over the picture on screen; a click or drag on the strip leaves its jump pending.
    void ServeOverlay();

    k_StudioOptions m_options;
    IEngine* m_engine;
    IWindow* m_window;
    const ShowProgram& m_program;
    k_Show* m_show;
    k_StudioMusic m_music;
    std::ostream& m_status;
    bool m_statusIsTerminal;
    k_StudioTransport m_transport;
    std::unique_ptr<k_FileWatcher> m_watcher;
    std::unique_ptr<k_StudioPainter> m_painter;
    std::unique_ptr<k_StudioTuneMaker> m_tuneMaker;
    std::function<void()> m_tuneSwapped;
    // How far the recording's beats lie from the show file's map, for the status line.
    std::string m_fit;
    std::unique_ptr<k_SyncClient> m_sync;
    k_StudioOverlay* m_overlay = nullptr;
    bool m_syncConnected = false;
    // When the caption manifest of the painting under way was saved (wall clock).
    double m_paintSavedAt = 0.0;
    std::string m_assets;
    // The caption manifest's name in the watched folder (empty: the captions are painted by the build).
    std::string m_manifest;
    std::deque<k_StudioTransport::Key> m_keys;
    std::string m_reload;
    // The save instant (wall clock) of the files of a reload not yet shown; 0 when none waits.
    double m_reloadSavedAt = 0.0;
    int64_t m_playedFrames = 0;
    double m_playedSeconds = 0.0;
    // The frame rate over the last second.
    double m_framesPerSecond = 0.0;
    int m_framesThisSecond = 0;
    Clock::time_point m_secondStarted;
    Clock::time_point m_lastStatus;
    bool m_active = true;
    // A quit (Escape, the window closed) taken from the window while a jump was drawn.
    bool m_quit = false;
    // The demo time the engine was last sought to: the frames drawn since go back to it.
    double m_historyFrom = 0.0;
    // A jump stopped by a key before its picture was shown, and whether its picture was to be saved.
    std::optional<double> m_pending;
    bool m_pendingShot = false;
};
