#include "app/studio/k_StudioOverlay.h"

#include "demo/k_DriftWorld.h"
#include "demo/k_ShowFile.h"
#include "engine/k_Log.h"
#include "graphics/k_TextureBase.h"
#include "interfaces/IEngine.h"
#include "interfaces/IGraphics.h"
#include "interfaces/IRenderTarget.h"
#include "interfaces/ITexture.h"
#include "interfaces/IWindow.h"
#include "interfaces/IWorld.h"
#include "platform/k_OverlayInput.h"
#include "scene/k_HdrToLdrWorld.h"

#include <epoxy/gl.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <imgui.h>
#include <imgui_impl_opengl3.h>
#include <imgui_internal.h>

namespace
{
ImTextureID TextureId(unsigned int name)
{
    return reinterpret_cast<ImTextureID>(static_cast<intptr_t>(name));
}

// The GL name of a texture of the engine's; 0 when it has none.
unsigned int NameOf(ITexture* texture)
{
    const auto* base = dynamic_cast<k_TextureBase*>(texture);
    return base ? base->GetName() : 0u;
}

// A panel without title or frame, at a place on the display.
bool BeginPanel(const char* id, ImVec2 position, ImVec2 pivot)
{
    ImGui::SetNextWindowPos(position, ImGuiCond_Always, pivot);
    ImGui::SetNextWindowBgAlpha(0.75f);
    return ImGui::Begin(id, nullptr,
                        ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_AlwaysAutoResize |
                            ImGuiWindowFlags_NoSavedSettings | ImGuiWindowFlags_NoFocusOnAppearing |
                            ImGuiWindowFlags_NoNav | ImGuiWindowFlags_NoMove);
}

const char* const k_Help[] = {
    "Space            pause / resume",
    "Left / Right     1 s back / forward (Shift: 10 s)",
    ", / .            a beat back / forward (Shift: a bar)",
    "Page Up / Down   previous / next instant",
    "Home             back to 0",
    "[ / ]            half / double speed",
    "L                loop the section (again: stop)",
    "F12              save the picture (without the overlay)",
    "Tab              show / hide the timeline strip",
    "F1               this help",
    "F2               render targets (Shift+F2: back)",
    "Escape           quit",
    "",
    "On the strip:",
    "click            jump to the time under the pointer",
    "drag             scrub",
    "wheel            zoom about the pointer",
    "hover            what an entry is and when",
};
} // namespace

// --- start and end ---

k_StudioOverlay::k_StudioOverlay(IEngine* engine, IWindow* window) : m_engine(engine), m_window(window)
{
    IMGUI_CHECKVERSION();
    m_context = ImGui::CreateContext();
    ImGuiIO& io = ImGui::GetIO();
    io.IniFilename = nullptr;
    io.LogFilename = nullptr;
    m_input = std::make_unique<k_OverlayInput>();
    if (!m_input->Start(window->GetHandle()) || !ImGui_ImplOpenGL3_Init(nullptr))
    {
        k_Log(k_Log::Colour::Error) << "Studio: the overlay cannot start on this window; the picture shows alone";
        m_input.reset();
        ImGui::DestroyContext(m_context);
        m_context = nullptr;
        return;
    }
    ImGui::StyleColorsDark();
    ImGui::GetStyle().WindowRounding = 3.0f;
    // The strip's lines and bars lie along the pixels: without their anti-aliased fringes they cost less to
    // draw on a software renderer (about 2.4 instead of 3.3 ms a frame at 960x540) and look the same.
    ImGui::GetStyle().AntiAliasedLines = false;
    ImGui::GetStyle().AntiAliasedFill = false;
    unsigned char* pixels = nullptr;
    int width = 0;
    int height = 0;
    io.Fonts->GetTexDataAsRGBA32(&pixels, &width, &height);
    m_fontBytes = static_cast<size_t>(width) * static_cast<size_t>(height) * 4;
}

k_StudioOverlay::~k_StudioOverlay()
{
    if (m_waveform.valid())
        m_waveform.wait();
    if (!m_context)
        return;
    if (!m_costs.IsEmpty())
    {
        auto median = [](const k_StudioCosts& costs) {
            char text[32];
            std::snprintf(text, sizeof text, "%.3f", costs.GetMedian());
            return std::string(text);
        };
        k_Log() << "Studio: the overlay took " << median(m_costs) << " ms a frame (median of " << m_costs.GetCount()
                << ", " << (m_measure ? "with the GPU's work" : "calls only")
                << (m_copyCosts.IsEmpty() ? std::string()
                                          : "; keeping the paused picture " + median(m_copyCosts) + " ms")
                << "); waveform texture " << m_waveBytes << " bytes, font atlas " << m_fontBytes << " bytes";
    }
    for (GLuint texture : {m_waveTexture, m_narrowWaveTexture})
        if (texture != 0)
            glDeleteTextures(1, &texture);
    if (m_copyFramebuffer != 0)
        glDeleteFramebuffers(1, &m_copyFramebuffer);
    if (m_copyTexture != 0)
        glDeleteTextures(1, &m_copyTexture);
    ImGui_ImplOpenGL3_Shutdown();
    m_input.reset();
    ImGui::DestroyContext(m_context);
}

void k_StudioOverlay::DecodeTune(std::function<k_StudioWaveform::Sound()> decode)
{
    m_waveform = std::async(std::launch::async,
                            [decode = std::move(decode)] { return k_StudioWaveform(decode(), WaveColumns); });
}

// --- input ---

bool k_StudioOverlay::OnKey(uint32_t code, bool shift, bool repeat)
{
    if (!m_context || (code != KeyTab && code != KeyF1 && code != KeyF2))
        return false;
    if (repeat)
        return true;
    switch (code)
    {
    case KeyTab:
        // Hidden during a click or a drag, the strip lets go of the pointer at once: moves no longer count as
        // scrubbing (they would stop every jump, a loop's too).
        m_stripShown = !m_stripShown;
        if (!m_stripShown)
            m_strip.LetGo();
        break;
    case KeyF1:
        m_helpShown = !m_helpShown;
        break;
    case KeyF2: {
        // Off, then each target in turn, then off again.
        const int count = static_cast<int>(Targets().size());
        m_target = shift ? (m_target < 0 ? count - 1 : m_target - 1) : (m_target + 1 >= count ? -1 : m_target + 1);
        break;
    }
    default:
        return false;
    }
    m_keyed = true;
    return true;
}

bool k_StudioOverlay::HasInput() const
{
    if (!m_context)
        return false;
    // A waveform decoded and not yet drawn counts too: it is shown without waiting for the pointer.
    const bool waveReady =
        m_waveform.valid() && m_waveform.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
    return m_keyed || waveReady || m_input->PeekEvents() != m_seenEvents;
}

std::optional<double> k_StudioOverlay::TakeJump()
{
    std::optional<double> jump = m_jump;
    m_jump.reset();
    return jump;
}

void k_StudioOverlay::Reloaded(const std::vector<std::string>& files, const std::vector<std::string>& messages)
{
    m_errors.Reloaded(files, messages);
    m_keyed = true; // drawn anew while paused
}

void k_StudioOverlay::Notify(std::vector<std::string> notices)
{
    if (notices == m_notices)
        return;
    m_notices = std::move(notices);
    m_keyed = true;
}

// --- frames ---

void k_StudioOverlay::DrawOver(const State& state)
{
    if (!m_context)
        return;
    using Clock = std::chrono::steady_clock;
    // Paused, the picture is kept for drawing the overlay anew; in play no copy is made (it would hold up
    // every frame). The show's frame is waited for first: on Mesa's software renderer the overlay's copy and
    // its buffer uploads would wait for it anyway, slower (about 35 frames a second instead of 47 at 960x540
    // in the plasma), and so the show's own time stays out of the overlay's figures.
    const bool keep = state.status.paused;
    glFinish();
    const Clock::time_point started = Clock::now();
    m_kept = keep && KeepPicture(false);
    const Clock::time_point kept = Clock::now();
    Frame(state, true);
    if (m_measure)
        glFinish();
    m_costs.Add(std::chrono::duration<double, std::milli>(Clock::now() - started).count());
    if (keep)
        m_copyCosts.Add(std::chrono::duration<double, std::milli>(kept - started).count());
}

bool k_StudioOverlay::Redraw(const State& state)
{
    if (!m_context)
        return false;
    const bool drawn = m_kept && KeepPicture(true);
    Frame(state, drawn);
    return drawn;
}

void k_StudioOverlay::Frame(const State& state, bool draw)
{
    ImGui::SetCurrentContext(m_context);
    m_seenEvents = m_input->PeekEvents();
    m_keyed = false;
    if (m_waveform.valid() && m_waveform.wait_for(std::chrono::seconds(0)) == std::future_status::ready)
        MakeWaveTexture();
    // A panel or tooltip that appears is only measured in its first frame (the GUI shows it from the next
    // one): then the frame is made twice, so that a picture drawn once (paused) shows it.
    for (int pass = 0; pass < 2; ++pass)
    {
        if (pass == 1)
        {
            const ImVector<ImGuiWindow*>& windows = ImGui::GetCurrentContext()->Windows;
            if (std::none_of(windows.begin(), windows.end(), [](const ImGuiWindow* window) {
                    return window->Active && window->HiddenFramesCannotSkipItems > 0;
                }))
                break;
            ImGui::EndFrame();
        }
        ImGui_ImplOpenGL3_NewFrame();
        m_input->NewFrame();
        ImGui::NewFrame();
        Build(state);
    }
    if (!draw)
    {
        ImGui::EndFrame();
        return;
    }
    ImGui::Render();
    ImGui_ImplOpenGL3_RenderDrawData(ImGui::GetDrawData());
}

void k_StudioOverlay::Build(const State& state)
{
    // A minimised window's display is 0 x 0: nothing would be seen, and the GUI refuses empty items, so no
    // panel is laid out until the window has room again.
    const ImVec2 display = ImGui::GetIO().DisplaySize;
    if (display.x < 1.0f || display.y < 1.0f)
    {
        m_strip.LetGo();
        for (const char* panel : {"strip", "errors", "help", "target"})
            Record(panel, {});
        return;
    }
    if (m_stripShown && state.show)
    {
        const k_StudioStrip::Marks marks{state.status.time, state.status.looping, state.status.loopFrom,
                                         state.status.loopTo};
        if (const std::optional<double> jump = m_strip.Draw(
                *state.show, marks, {m_waveTexture, m_waveSeconds, m_narrowWaveTexture, m_narrowWaveColumns}))
            m_jump = jump;
    }
    if (m_stripShown && state.show && m_strip.GetHeight() > 0.0f)
    {
        const k_StudioTimelineView& view = m_strip.GetView();
        const ImGuiIO& io = ImGui::GetIO();
        char strip[160];
        std::snprintf(strip, sizeof strip, "%.3f to %.3f s over x 0 to %.0f, y %.0f to %.0f", view.GetStart(),
                      view.GetStart() + view.GetSpan(), static_cast<double>(io.DisplaySize.x),
                      static_cast<double>(io.DisplaySize.y - m_strip.GetHeight()),
                      static_cast<double>(io.DisplaySize.y));
        Record("strip", {strip});
    }
    else
    {
        m_strip.LetGo();
        Record("strip", {});
    }
    DrawStatus(state);
    DrawErrors();
    if (m_helpShown)
        DrawHelp();
    else
        Record("help", {});
    DrawTarget();
}

// Copies the back buffer into the kept picture, or the kept picture back onto the back buffer; false when there
// is nothing to copy (no picture, or one of another size).
bool k_StudioOverlay::KeepPicture(bool restore)
{
    const int width = m_engine->GetGraphics()->GetWidth();
    const int height = m_engine->GetGraphics()->GetHeight();
    if (width <= 0 || height <= 0 || (restore && (width != m_copyWidth || height != m_copyHeight)))
        return false;
    GLint read = 0;
    GLint draw = 0;
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &read);
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &draw);
    const GLboolean scissor = glIsEnabled(GL_SCISSOR_TEST);
    glDisable(GL_SCISSOR_TEST);
    if (width != m_copyWidth || height != m_copyHeight)
    {
        if (m_copyTexture == 0)
        {
            glGenTextures(1, &m_copyTexture);
            glGenFramebuffers(1, &m_copyFramebuffer);
        }
        GLint texture = 0;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &texture);
        glBindTexture(GL_TEXTURE_2D, m_copyTexture);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(texture));
        glBindFramebuffer(GL_FRAMEBUFFER, m_copyFramebuffer);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, m_copyTexture, 0);
        m_copyWidth = width;
        m_copyHeight = height;
    }
    glBindFramebuffer(GL_READ_FRAMEBUFFER, restore ? m_copyFramebuffer : 0);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, restore ? 0 : m_copyFramebuffer);
    if (!restore)
        glReadBuffer(GL_BACK);
    glBlitFramebuffer(0, 0, width, height, 0, 0, width, height, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(read));
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(draw));
    if (scissor)
        glEnable(GL_SCISSOR_TEST);
    return true;
}

void k_StudioOverlay::MakeWaveTexture()
{
    const k_StudioWaveform waveform = m_waveform.get();
    if (waveform.IsEmpty())
        return;
    GLint limit = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &limit);
    if (waveform.GetColumns() > limit)
        return;
    const k_StudioWaveform narrow = waveform.Narrowed(NarrowWaveColumns);
    m_waveTexture = UploadWave(waveform);
    m_narrowWaveTexture = UploadWave(narrow);
    m_narrowWaveColumns = narrow.GetColumns();
    m_waveSeconds = waveform.GetSeconds();
    m_waveBytes = (static_cast<size_t>(waveform.GetColumns()) + static_cast<size_t>(narrow.GetColumns())) * WaveRows *
                  sizeof(uint32_t);
    k_Log() << "Studio: the tune's waveform is drawn (" << waveform.GetColumns() << " and " << narrow.GetColumns()
            << " x " << WaveRows << ", " << m_waveSeconds << " s)";
}

unsigned int k_StudioOverlay::UploadWave(const k_StudioWaveform& waveform)
{
    const std::vector<uint32_t> pixels = waveform.Picture(WaveRows, 0xffffffffu);
    GLint bound = 0;
    GLint alignment = 4;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, waveform.GetColumns(), WaveRows, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 pixels.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(bound));
    glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
    return texture;
}

// --- panels ---

void k_StudioOverlay::DrawStatus(const State& state)
{
    const k_StudioStatus::State& status = state.status;
    const ImGuiIO& io = ImGui::GetIO();
    if (!BeginPanel("##status", ImVec2(io.DisplaySize.x - 6.0f, 6.0f), ImVec2(1.0f, 0.0f)))
    {
        ImGui::End();
        return;
    }
    ImGui::Text("%.3f s  %s", status.time, status.barBeat.c_str());
    ImGui::TextUnformatted(status.section.c_str());
    if (status.paused)
        ImGui::TextUnformatted("paused");
    else if (status.framesPerSecond > 0.0)
        ImGui::Text("%.1f ms  %.1f fps", 1000.0 / status.framesPerSecond, status.framesPerSecond);
    if (status.speed != 1.0)
        ImGui::Text("speed %g", status.speed);
    if (status.looping)
        ImGui::Text("loop %.3f-%.3f", status.loopFrom, status.loopTo);
    ImGui::End();
}

void k_StudioOverlay::DrawErrors()
{
    const std::vector<std::string> lines = m_errors.Lines();
    std::vector<std::string> recorded = lines;
    recorded.insert(recorded.end(), m_notices.begin(), m_notices.end());
    Record("errors", recorded);
    if (recorded.empty())
        return;
    // Left of the status figures; long lines wrap.
    const float width = ImGui::GetIO().DisplaySize.x * 0.72f;
    ImGui::SetNextWindowSizeConstraints(ImVec2(0.0f, 0.0f), ImVec2(width, ImGui::GetIO().DisplaySize.y * 0.6f));
    if (BeginPanel("##errors", ImVec2(6.0f, 6.0f), ImVec2(0.0f, 0.0f)))
    {
        ImGui::PushTextWrapPos(width - 12.0f);
        if (!lines.empty())
        {
            ImGui::PushStyleColor(ImGuiCol_Text, IM_COL32(255, 110, 100, 255));
            ImGui::TextUnformatted("reload failed; the previous version stays:");
            for (const std::string& line : lines)
                ImGui::TextUnformatted(line.c_str());
            ImGui::PopStyleColor();
        }
        if (!m_notices.empty())
        {
            ImGui::PushStyleColor(ImGuiCol_Text, IM_COL32(255, 200, 90, 255));
            ImGui::TextUnformatted("sync editor's save:");
            for (const std::string& line : m_notices)
                ImGui::TextUnformatted(line.c_str());
            ImGui::PopStyleColor();
        }
        ImGui::PopTextWrapPos();
    }
    ImGui::End();
}

void k_StudioOverlay::DrawHelp()
{
    const ImGuiIO& io = ImGui::GetIO();
    Record("help", {"keys and mouse"});
    if (BeginPanel("##help", ImVec2(io.DisplaySize.x * 0.5f, io.DisplaySize.y * 0.4f), ImVec2(0.5f, 0.5f)))
        for (const char* line : k_Help)
            ImGui::TextUnformatted(line);
    ImGui::End();
}

void k_StudioOverlay::DrawTarget()
{
    // Listed only while one is shown, anew each frame then: the worlds' targets may change with a reload.
    const std::vector<Target> targets = m_target < 0 ? std::vector<Target>() : Targets();
    if (m_target >= static_cast<int>(targets.size()))
        m_target = -1;
    if (m_target < 0)
    {
        Record("target", {});
        return;
    }
    const Target& target = targets[static_cast<size_t>(m_target)];
    char title[160];
    std::snprintf(title, sizeof title, "%s, %d x %d (%d/%zu)", target.name.c_str(), target.width, target.height,
                  m_target + 1, targets.size());
    Record("target", {title});
    const ImGuiIO& io = ImGui::GetIO();
    if (BeginPanel("##target", ImVec2(io.DisplaySize.x - 6.0f, io.DisplaySize.y * 0.22f), ImVec2(1.0f, 0.0f)))
    {
        ImGui::TextUnformatted(title);
        // Scaled to a third of the display's width at most, keeping its shape; GL's rows go up.
        const float side = std::max(64.0f, io.DisplaySize.x / 3.0f);
        const float scale = std::min(side / static_cast<float>(target.width), side / static_cast<float>(target.height));
        ImGui::Image(TextureId(target.texture),
                     ImVec2(static_cast<float>(target.width) * scale, static_cast<float>(target.height) * scale),
                     ImVec2(0.0f, 1.0f), ImVec2(1.0f, 0.0f));
    }
    ImGui::End();
}

std::vector<k_StudioOverlay::Target> k_StudioOverlay::Targets() const
{
    std::vector<Target> targets;
    auto add = [&targets](const std::string& name, ITexture* texture) {
        const unsigned int gl = NameOf(texture);
        if (gl != 0)
            targets.push_back({name, gl, texture->GetWidth(), texture->GetHeight()});
    };
    auto first = [](IRenderTarget* target) -> ITexture* {
        return target && !target->GetColorTextures()->empty() ? target->GetColorTextures()->front() : nullptr;
    };
    for (IWorld* world : m_engine->GetWorlds())
    {
        if (auto* hdr = dynamic_cast<k_HdrToLdrWorld*>(world))
        {
            const std::vector<k_HdrToLdrWorld::Level>& luminance = hdr->GetLuminanceChain();
            for (size_t i = 0; i < luminance.size(); ++i)
                add("luminance " + std::to_string(i + 1) + "/" + std::to_string(luminance.size()),
                    luminance[i].texture);
            add("adapted luminance", hdr->GetAdaptedB().texture);
            const std::vector<k_HdrToLdrWorld::Level>& glow = hdr->GetBlurChain();
            for (size_t i = 0; i < glow.size(); ++i)
                add("glow " + std::to_string(i + 1) + "/" + std::to_string(glow.size()), glow[i].texture);
        }
        else if (auto* drift = dynamic_cast<k_DriftWorld*>(world))
        {
            add("drift feedback", first(drift->GetRenderTarget()));
            add("drift feedback (auxiliary)", drift->GetAuxiliaryTexture());
        }
        else if (world->GetName() == "Terrain")
        {
            add("terrain HDR", first(world->GetRenderTarget()));
        }
    }
    // The terrain's HDR picture first: what the tone map reads.
    std::stable_partition(targets.begin(), targets.end(),
                          [](const Target& target) { return target.name == "terrain HDR"; });
    return targets;
}

void k_StudioOverlay::Record(const std::string& what, const std::vector<std::string>& lines)
{
    auto recorded =
        std::find_if(m_recorded.begin(), m_recorded.end(), [&](const auto& kept) { return kept.first == what; });
    if (recorded == m_recorded.end())
    {
        if (lines.empty())
            return;
        m_recorded.push_back({what, {}});
        recorded = m_recorded.end() - 1;
    }
    if (recorded->second == lines)
        return;
    recorded->second = lines;
    if (lines.empty())
        m_unlogged.push_back("Studio: the overlay no longer shows its " + what);
    for (const std::string& line : lines)
        m_unlogged.push_back("Studio: the overlay shows (" + what + "): " + line);
}

void k_StudioOverlay::Shown()
{
    for (const std::string& line : m_unlogged)
        k_Log() << line;
    m_unlogged.clear();
}
