#include "app/studio/k_StudioStrip.h"

#include "demo/k_ShowFile.h"
#include "engine/k_Utf8.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <imgui.h>
#include <vector>

namespace
{
// Heights of the strip's rows, in pixels.
constexpr float k_Ruler = 14.0f;
constexpr float k_SectionRow = 16.0f;
constexpr float k_CueRow = 14.0f;
constexpr float k_CaptionRow = 11.0f;
constexpr float k_WaveRow = 40.0f;
constexpr float k_Margin = 3.0f;
// The wheel zooms by this factor a notch.
constexpr double k_ZoomStep = 1.25;

// The sections' colours, in turn.
constexpr ImU32 k_SectionColours[] = {IM_COL32(70, 110, 170, 230), IM_COL32(150, 90, 60, 230),
                                      IM_COL32(80, 140, 90, 230),  IM_COL32(130, 80, 150, 230),
                                      IM_COL32(160, 140, 60, 230), IM_COL32(60, 140, 150, 230)};
constexpr ImU32 k_Background = IM_COL32(12, 14, 20, 215);
constexpr ImU32 k_CaptionColour = IM_COL32(200, 170, 90, 235);
constexpr ImU32 k_FadeShade = IM_COL32(0, 0, 0, 110);
constexpr ImU32 k_CueColour = IM_COL32(230, 120, 120, 255);
constexpr ImU32 k_FadeColour = IM_COL32(200, 90, 110, 200);
constexpr ImU32 k_InstantColour = IM_COL32(240, 220, 80, 255);
constexpr ImU32 k_LoopColour = IM_COL32(80, 200, 230, 50);
constexpr ImU32 k_LoopEdge = IM_COL32(80, 200, 230, 220);
constexpr ImU32 k_CursorColour = IM_COL32(255, 255, 255, 255);
constexpr ImU32 k_BarLine = IM_COL32(255, 255, 255, 70);
constexpr ImU32 k_BeatLine = IM_COL32(255, 255, 255, 28);
constexpr ImU32 k_Text = IM_COL32(235, 235, 235, 255);

std::string Seconds(double time)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.3f s", time);
    return text;
}

// "12.000 s (7:1)"
std::string When(const k_ShowFile& show, double time)
{
    return Seconds(time) + " (" + show.GetTempoMap().Format(time) + ")";
}

std::string FadeText(const char* which, const k_ShowFile::Fade& fade)
{
    char text[96];
    std::snprintf(text, sizeof text, "%s %s %.2f s", which, k_ShowFile::FadeKindName(fade.kind),
                  static_cast<double>(fade.seconds));
    return text;
}

std::string CaptionName(const k_ShowFile::Caption& caption)
{
    if (!caption.text.empty())
        return "\"" + caption.text + "\"";
    return k_Utf8::ToUtf8(caption.picture);
}

// Text clipped to the rectangle, when at least a few letters fit. Clipped as it is laid out, so that the labels
// add no draw calls of their own.
void Label(ImDrawList* list, ImVec2 from, ImVec2 to, const std::string& text, ImU32 colour = k_Text)
{
    if (to.x - from.x < 12.0f)
        return;
    const ImVec4 clip(from.x, from.y, to.x, to.y);
    list->AddText(ImGui::GetFont(), ImGui::GetFontSize(),
                  ImVec2(from.x + 2.0f, from.y + std::max(0.0f, (to.y - from.y - ImGui::GetFontSize()) * 0.5f)), colour,
                  text.c_str(), nullptr, 0.0f, &clip);
}

int CaptionRows(const std::vector<int>& rows)
{
    int count = 0;
    for (const int row : rows)
        count = std::max(count, row + 1);
    return std::clamp(count, 1, k_StudioStrip::MaxCaptionRows);
}

// Height in pixels of the strip at full size with so many rows of captions.
float FullHeight(int captionRows)
{
    return k_Ruler + k_SectionRow + k_CueRow + static_cast<float>(captionRows) * k_CaptionRow + k_WaveRow +
           2.0f * k_Margin;
}

std::vector<int> LayOutCaptions(const k_ShowFile& show)
{
    std::vector<k_StudioTimelineView::Interval> intervals;
    for (const k_ShowFile::Caption& caption : show.GetCaptions())
        intervals.push_back({caption.start, caption.start + caption.duration});
    std::vector<int> rows = k_StudioTimelineView::LayoutRows(intervals);
    for (int& row : rows)
        row = std::min(row, k_StudioStrip::MaxCaptionRows - 1);
    return rows;
}
} // namespace

k_StudioStrip::Layout k_StudioStrip::Fit(int captionRows, float displayHeight)
{
    // On a low display the overlapping captions share fewer rows first, then every row shrinks alike.
    const float room = std::max(0.0f, displayHeight * MaxShare);
    Layout layout;
    layout.captionRows = std::clamp(captionRows, 1, MaxCaptionRows);
    while (layout.captionRows > 1 && FullHeight(layout.captionRows) > room)
        --layout.captionRows;
    layout.scale = std::min(1.0f, room / FullHeight(layout.captionRows));
    layout.height = FullHeight(layout.captionRows) * layout.scale;
    return layout;
}

std::optional<double> k_StudioStrip::Draw(const k_ShowFile& show, const Marks& marks, const Wave& wave)
{
    const ImGuiIO& io = ImGui::GetIO();
    std::vector<int> rows = LayOutCaptions(show);
    const Layout layout = Fit(CaptionRows(rows), io.DisplaySize.y);
    const float width = io.DisplaySize.x;
    // A display without room (a minimised window reports 0 x 0) shows no strip: the GUI refuses an empty button.
    if (width < 1.0f || layout.height < 1.0f)
    {
        m_height = 0.0f;
        LetGo();
        return std::nullopt;
    }
    for (int& row : rows)
        row = std::min(row, layout.captionRows - 1);
    const float scale = layout.scale;
    const float height = layout.height;
    m_height = height;
    const float top = io.DisplaySize.y - height;
    // Text is left out of rows shrunk below the font's height.
    const bool text = scale >= 0.75f;
    m_view.SetLength(std::max(show.GetLength(), wave.seconds));
    m_view.SetPixels(0.0f, width);

    ImGui::SetNextWindowPos(ImVec2(0.0f, top));
    ImGui::SetNextWindowSize(ImVec2(width, height));
    ImGui::PushStyleVar(ImGuiStyleVar_WindowPadding, ImVec2(0.0f, 0.0f));
    ImGui::PushStyleVar(ImGuiStyleVar_WindowBorderSize, 0.0f);
    ImGui::Begin("##timeline", nullptr,
                 ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoSavedSettings |
                     ImGuiWindowFlags_NoBackground | ImGuiWindowFlags_NoFocusOnAppearing |
                     ImGuiWindowFlags_NoBringToFrontOnFocus);
    ImGui::InvisibleButton("##scrub", ImVec2(width, height));
    const bool hovered = ImGui::IsItemHovered();
    const bool active = ImGui::IsItemActive();
    ImDrawList* list = ImGui::GetWindowDrawList();

    // Zoom about the pointer, and keep the time in view while it plays.
    if (hovered && io.MouseWheel != 0.0f)
        m_view.ZoomAbout(io.MousePos.x, std::pow(k_ZoomStep, static_cast<double>(io.MouseWheel)));
    if (!active)
        m_view.Follow(marks.time);

    const double start = m_view.GetStart();
    const double end = start + m_view.GetSpan();
    auto x = [this](double time) { return m_view.TimeToX(time); };
    const float bottom = top + height;
    list->AddRectFilled(ImVec2(0.0f, top), ImVec2(width, bottom), k_Background);

    const float ruler = k_Ruler * scale;
    const float sectionRow = k_SectionRow * scale;
    const float cueRow = k_CueRow * scale;
    const float captionRow = k_CaptionRow * scale;
    float y = top + k_Margin * scale;
    const float rulerTop = y;
    y += ruler;
    const float sectionTop = y;
    y += sectionRow;
    const float cueTop = y;
    y += cueRow;
    const float captionTop = y;
    y += static_cast<float>(layout.captionRows) * captionRow;
    const float waveTop = y;
    const float waveBottom = y + k_WaveRow * scale;

    // --- the waveform and the grid ---
    // Zoomed out, the wide picture would be sampled a few texels a pixel, scattered over 1.5 MiB (about half a
    // millisecond a frame on the software renderer): the narrow one is drawn then.
    const bool narrow = wave.narrow != 0 && x(wave.seconds) - x(0.0) < 2.0f * static_cast<float>(wave.narrowColumns);
    const unsigned int waveTexture = narrow ? wave.narrow : wave.texture;
    if (waveTexture != 0 && wave.seconds > 0.0)
        list->AddImage(static_cast<ImTextureID>(reinterpret_cast<void*>(static_cast<intptr_t>(waveTexture))),
                       ImVec2(x(0.0), waveTop), ImVec2(x(wave.seconds), waveBottom), ImVec2(0.0f, 0.0f),
                       ImVec2(1.0f, 1.0f), IM_COL32(120, 200, 255, 200));
    const k_TempoMap& tempo = show.GetTempoMap();
    const double firstBeat = std::ceil(tempo.GetBeat(std::max(0.0, start)) - 1e-9);
    const double lastBeat = tempo.GetBeat(end);
    const float beatWidth = static_cast<float>(width / std::max(1.0, lastBeat - firstBeat));
    // Beats are drawn when they are apart enough to be told apart, bars likewise (else every 4th or 16th).
    const int barEvery = beatWidth * 4.0f >= 6.0f ? 1 : (beatWidth * 16.0f >= 6.0f ? 4 : 16);
    if (lastBeat - firstBeat < 20000.0)
        for (double beat = firstBeat; beat <= lastBeat; beat += 1.0)
        {
            const double time = tempo.GetTimeOfBeat(beat);
            const k_TempoMap::Position position = tempo.GetPosition(time);
            const bool downbeat = std::fabs(position.beat - 1.0) < 1e-6;
            if (downbeat && (position.bar - 1) % barEvery == 0)
            {
                list->AddLine(ImVec2(x(time), sectionTop), ImVec2(x(time), waveBottom), k_BarLine);
                if (text && beatWidth * 4.0f * static_cast<float>(barEvery) >= 28.0f)
                    list->AddText(ImVec2(x(time) + 2.0f, waveTop), k_BarLine, std::to_string(position.bar).c_str());
            }
            else if (!downbeat && beatWidth >= 5.0f)
                list->AddLine(ImVec2(x(time), waveTop), ImVec2(x(time), waveBottom), k_BeatLine);
        }

    // --- the ruler: seconds, and the instants ---
    const double spacing = m_view.GetSpan() / std::max(1.0, static_cast<double>(width) / 80.0);
    double step = 60.0;
    for (const double candidate : {0.1, 0.25, 0.5, 1.0, 2.0, 5.0, 10.0, 15.0, 30.0, 60.0})
        if (candidate >= spacing)
        {
            step = candidate;
            break;
        }
    for (double tick = std::ceil(start / step) * step; tick <= end; tick += step)
    {
        list->AddLine(ImVec2(x(tick), rulerTop + ruler - 4.0f * scale), ImVec2(x(tick), rulerTop + ruler), k_Text);
        if (!text)
            continue;
        char seconds[16];
        std::snprintf(seconds, sizeof seconds, step < 1.0 ? "%.2f" : "%.0f", tick);
        list->AddText(ImVec2(x(tick) + 2.0f, rulerTop - 1.0f), IM_COL32(200, 200, 200, 200), seconds);
    }
    for (const double instant : show.GetInstants())
        if (instant >= start && instant <= end)
            list->AddTriangleFilled(ImVec2(x(instant) - 3.0f, rulerTop + ruler - 5.0f * scale),
                                    ImVec2(x(instant) + 3.0f, rulerTop + ruler - 5.0f * scale),
                                    ImVec2(x(instant), rulerTop + ruler), k_InstantColour);

    // --- the sections, the switches and fades, the captions ---
    std::string hover;
    const ImVec2 pointer = io.MousePos;
    auto under = [&](ImVec2 from, ImVec2 to) {
        return hovered && pointer.x >= from.x && pointer.x < to.x && pointer.y >= from.y && pointer.y < to.y;
    };
    const std::vector<k_ShowFile::Section>& sections = show.GetSections();
    for (size_t i = 0; i < sections.size(); ++i)
    {
        const k_ShowFile::Section& section = sections[i];
        const ImVec2 from(x(section.start), sectionTop);
        const ImVec2 to(x(std::min(section.end, m_view.GetLength())), sectionTop + sectionRow - 1.0f);
        list->AddRectFilled(from, to, k_SectionColours[i % std::size(k_SectionColours)]);
        if (text)
            Label(list, from, to, section.name);
        if (under(from, to))
            hover = "section " + section.name + "\n" + When(show, section.start) + " to " + When(show, section.end);
    }
    for (const k_ShowFile::Cue& cue : show.GetCues())
    {
        const ImVec2 from(x(cue.start), cueTop + 1.0f);
        const ImVec2 to(cue.fade ? x(cue.end) : from.x + 2.0f, cueTop + cueRow - 1.0f);
        if (cue.fade)
            list->AddRectFilled(from, to, k_FadeColour);
        else
            list->AddRectFilled(ImVec2(from.x - 1.0f, from.y), to, k_CueColour);
        if (text)
            Label(list, ImVec2(from.x + (cue.fade ? 0.0f : 2.0f), from.y),
                  ImVec2(cue.fade ? to.x : from.x + 120.0f, to.y), cue.name);
        if (under(ImVec2(from.x - 3.0f, from.y), ImVec2(std::max(to.x, from.x + 3.0f), to.y)))
            hover = cue.fade ? "fade " + cue.name + "\n" + When(show, cue.start) + " to " + When(show, cue.end)
                             : "switch " + cue.name + "\nat " + When(show, cue.start);
    }
    const std::vector<k_ShowFile::Caption>& captions = show.GetCaptions();
    for (size_t i = 0; i < captions.size(); ++i)
    {
        const k_ShowFile::Caption& caption = captions[i];
        const double finish = caption.start + caption.duration;
        if (finish < start || caption.start > end)
            continue;
        const float rowTop = captionTop + static_cast<float>(rows[i]) * captionRow;
        const ImVec2 from(x(caption.start), rowTop + 1.0f);
        const ImVec2 to(std::max(x(finish), from.x + 2.0f), rowTop + std::max(1.0f, captionRow - 1.0f));
        list->AddRectFilled(from, to, k_CaptionColour);
        if (caption.fadeIn.seconds > 0.0f)
            list->AddRectFilled(from, ImVec2(std::min(to.x, x(caption.start + caption.fadeIn.seconds)), to.y),
                                k_FadeShade);
        if (caption.fadeOut.seconds > 0.0f)
            list->AddRectFilled(ImVec2(std::max(from.x, x(finish - caption.fadeOut.seconds)), from.y), to, k_FadeShade);
        if (text)
            Label(list, from, to, CaptionName(caption), IM_COL32(20, 20, 20, 255));
        if (under(from, to))
            hover = "caption " + CaptionName(caption) + "\n" + When(show, caption.start) + " to " + When(show, finish) +
                    "\n" + FadeText("in:", caption.fadeIn) + ", " + FadeText("out:", caption.fadeOut);
    }

    // --- the loop and the cursor ---
    if (marks.looping)
    {
        list->AddRectFilled(ImVec2(x(marks.loopFrom), top), ImVec2(x(marks.loopTo), bottom), k_LoopColour);
        list->AddLine(ImVec2(x(marks.loopFrom), top), ImVec2(x(marks.loopFrom), bottom), k_LoopEdge, 2.0f);
        list->AddLine(ImVec2(x(marks.loopTo), top), ImVec2(x(marks.loopTo), bottom), k_LoopEdge, 2.0f);
    }
    const float cursor = x(marks.time);
    list->AddLine(ImVec2(cursor, top), ImVec2(cursor, bottom), k_CursorColour, 2.0f);
    list->AddTriangleFilled(ImVec2(cursor - 5.0f, top), ImVec2(cursor + 5.0f, top), ImVec2(cursor, top + 6.0f),
                            k_CursorColour);

    // --- the pointer ---
    std::optional<double> jump;
    if (active)
    {
        const double time = m_view.TimeAt(pointer.x);
        if (!m_scrubbing || std::fabs(time - m_asked) > 1e-9)
            jump = time;
        m_asked = time;
    }
    m_scrubbing = active;
    if (hovered && !active)
    {
        if (hover.empty())
            hover = When(show, m_view.TimeAt(pointer.x));
        ImGui::SetTooltip("%s", hover.c_str());
    }
    ImGui::End();
    ImGui::PopStyleVar(2);
    return jump;
}
