#include "platform/k_VideoEncoder.h"

#include <algorithm>
#include <bit>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace
{
std::string Reason(const std::string& what)
{
    return what + ": " + std::strerror(errno);
}

// Writes all bytes, going on after partial writes and interruptions; false on failure.
bool WriteAll(int descriptor, const void* data, size_t size)
{
    const auto* bytes = static_cast<const unsigned char*>(data);
    while (size > 0)
    {
        const ssize_t done = write(descriptor, bytes, size);
        if (done < 0)
        {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes += done;
        size -= static_cast<size_t>(done);
    }
    return true;
}
} // namespace

k_VideoEncoder::k_VideoEncoder(std::string path) : m_path(std::move(path))
{
    const std::filesystem::path target(m_path);
    const std::string stem = "." + target.filename().string() + "." + std::to_string(getpid());
    m_temporary = (target.parent_path() / (stem + ".part")).string();
    m_soundFile = (target.parent_path() / (stem + ".pcm")).string();
}

k_VideoEncoder::~k_VideoEncoder()
{
    Abort();
}

bool k_VideoEncoder::Prepare(std::string& error)
{
    const int descriptor = open(m_temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (descriptor < 0)
    {
        error = Reason("cannot write the video " + m_path);
        return false;
    }
    close(descriptor);
    return true;
}

// --- encoding ---

bool k_VideoEncoder::Start(int width, int height, int fps, const Sound& sound, std::string& error)
{
    const int soundFile = open(m_soundFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (soundFile < 0 || !WriteAll(soundFile, sound.samples, sound.count * sizeof(int16_t)))
    {
        error = Reason("cannot write the video's sound beside " + m_path);
        if (soundFile >= 0)
            close(soundFile);
        return false;
    }
    close(soundFile);

    const std::string size = std::to_string(width) + "x" + std::to_string(height);
    const char* littleOrBig = std::endian::native == std::endian::little ? "s16le" : "s16be";
    std::vector<std::string> arguments = {
        "ffmpeg", "-nostdin", "-hide_banner", "-loglevel", "error", "-y",
        // pictures: raw RGB frames on standard input
        "-f", "rawvideo", "-pix_fmt", "rgb24", "-s", size, "-framerate", std::to_string(fps), "-i", "pipe:0",
        // sound: raw samples from the file
        "-f", littleOrBig, "-ar", std::to_string(sound.rate), "-ac", std::to_string(sound.channels), "-i", m_soundFile,
        "-map", "0:v", "-map", "1:a", "-c:v", "libx264", "-preset", "fast", "-crf", "18", "-pix_fmt", "yuv420p"};
    const std::vector<std::string> container =
        IsMatroska(m_path) ? std::vector<std::string>{"-c:a", "flac", "-f", "matroska", m_temporary}
                           : std::vector<std::string>{"-c:a",       "aac", "-b:a", "192k",     "-movflags",
                                                      "+faststart", "-f",  "mp4",  m_temporary};
    arguments.insert(arguments.end(), container.begin(), container.end());
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0)
    {
        error = Reason("cannot make a pipe to ffmpeg");
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, ends[0], STDIN_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    const int spawned = posix_spawnp(&m_child, "ffmpeg", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(ends[0]);
    if (spawned != 0)
    {
        close(ends[1]);
        m_child = -1;
        errno = spawned;
        error = Reason("cannot start ffmpeg (the Debian package ffmpeg encodes videos)");
        return false;
    }
    m_pipe = ends[1];
    m_frameBytes = static_cast<size_t>(width) * static_cast<size_t>(height) * 3;
    // A write to a pipe whose reader died must fail with an error here, not end the process.
    std::signal(SIGPIPE, SIG_IGN);
    return true;
}

bool k_VideoEncoder::WriteFrame(const uint8_t* rows, std::string& error)
{
    if (m_pipe < 0 || !WriteAll(m_pipe, rows, m_frameBytes))
    {
        error = "ffmpeg stopped taking frames (its message, if any, is above)";
        return false;
    }
    return true;
}

bool k_VideoEncoder::Finish(std::string& error)
{
    if (m_pipe >= 0)
        close(m_pipe);
    m_pipe = -1;
    int status = 0;
    const pid_t child = m_child;
    m_child = -1;
    while (child > 0 && waitpid(child, &status, 0) < 0 && errno == EINTR)
    {
    }
    if (child <= 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
    {
        error = "ffmpeg could not make the video " + m_path;
        RemoveTemporaries();
        return false;
    }
    std::error_code failure;
    std::filesystem::rename(m_temporary, m_path, failure);
    if (failure)
    {
        error = "cannot rename " + m_temporary + " to " + m_path + ": " + failure.message();
        RemoveTemporaries();
        return false;
    }
    RemoveTemporaries();
    return true;
}

void k_VideoEncoder::Abort()
{
    if (m_pipe >= 0)
        close(m_pipe);
    m_pipe = -1;
    if (m_child > 0)
    {
        kill(m_child, SIGTERM);
        int status = 0;
        while (waitpid(m_child, &status, 0) < 0 && errno == EINTR)
        {
        }
        m_child = -1;
    }
    RemoveTemporaries();
}

bool k_VideoEncoder::IsMatroska(const std::string& path)
{
    if (path.size() < 4)
        return false;
    std::string extension = path.substr(path.size() - 4);
    for (char& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension == ".mkv";
}

std::vector<int16_t> k_VideoEncoder::Slice(std::vector<int16_t> samples, int channels, int rate, int64_t firstFrame,
                                           int64_t frames, int fps)
{
    const auto perFrame = static_cast<size_t>(channels);
    // The sample at a frame boundary, n * rate / fps rounded half up, in integers: seconds in floating point
    // put a boundary that falls half-way between samples (24 fps at 44100 Hz) on either side by rounding,
    // so one range's end and the next one's start could miss each other by a sample.
    auto sampleAt = [rate, fps](int64_t frame) {
        return (2 * std::max<int64_t>(0, frame) * rate + fps) / (2 * static_cast<int64_t>(fps));
    };
    const int64_t firstSample = sampleAt(firstFrame);
    const int64_t endSample = sampleAt(firstFrame + std::max<int64_t>(0, frames));
    const size_t first = static_cast<size_t>(firstSample) * perFrame;
    const size_t count = static_cast<size_t>(std::max<int64_t>(0, endSample - firstSample)) * perFrame;
    samples.erase(samples.begin(), samples.begin() + static_cast<std::ptrdiff_t>(std::min(first, samples.size())));
    samples.resize(count, 0);
    return samples;
}

void k_VideoEncoder::RemoveTemporaries()
{
    std::error_code ignored;
    std::filesystem::remove(m_temporary, ignored);
    std::filesystem::remove(m_soundFile, ignored);
}
