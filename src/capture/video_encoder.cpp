#include "capture/video_encoder.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

extern char** environ;

namespace qelo {

namespace {

std::string systemError(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

std::string number(double value, const char* format)
{
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

bool isExecutable(const std::string& path) { return access(path.c_str(), X_OK) == 0; }

// The pipe is large enough for a frame or so; ffmpeg then reads while we draw.
constexpr int pipeBytes = 4 << 20;

}  // namespace

std::vector<std::string> ffmpegArguments(const VideoSettings& s)
{
    const std::string seconds = number(static_cast<double>(s.frames) / s.fps, "%.6f");
    std::vector<std::string> arguments = {
        s.program, "-hide_banner", "-loglevel", "error", "-nostdin", "-y",
        // The frames: raw RGBA, top row first, one after another, fps exactly.
        "-f", "rawvideo", "-pix_fmt", "rgba", "-video_size", std::to_string(s.width) + "x" + std::to_string(s.height),
        "-framerate", std::to_string(s.fps), "-i", "pipe:0"};
    const bool music = !s.musicPath.empty();
    if (music) {
        // Read from its start (show time 0), cut to the frames' length.
        arguments.push_back("-t");
        arguments.push_back(seconds);
        arguments.push_back("-i");
        arguments.push_back(s.musicPath);
    }
    for (const char* a : {"-map", "0:v:0"}) arguments.push_back(a);
    if (music)
        for (const char* a : {"-map", "1:a:0", "-c:a", "aac", "-b:a", "192k"}) arguments.push_back(a);
    // The fastest preset: the encoder shares the cores with the rendering,
    // and at "veryfast" it alone needs 29 ms of CPU a frame here (10 ms at
    // "ultrafast"); CRF 20 keeps the busy scenes clean at ~27 Mbit/s.
    for (const char* a : {"-c:v", "libx264", "-preset", "ultrafast", "-crf", "20", "-pix_fmt", "yuv420p"})
        arguments.push_back(a);
    if (s.path.ends_with(".mp4"))
        for (const char* a : {"-movflags", "+faststart"}) arguments.push_back(a);
    arguments.push_back(s.path);
    return arguments;
}

std::vector<std::string> ffmpegEnvironment(const char* const* parent)
{
    // ffmpeg allocates a fresh 3 MB packet a frame; with glibc's defaults
    // each is a new mapping, faulted in and zeroed page by page. Keeping
    // such blocks on the heap halves its system time. The caller's own
    // settings come after ours, so they still win.
    const std::string heap = "glibc.malloc.mmap_threshold=33554432:glibc.malloc.trim_threshold=268435456";
    const std::string key = "GLIBC_TUNABLES=";
    std::vector<std::string> environment;
    bool merged = false;
    for (const char* const* entry = parent; entry != nullptr && *entry != nullptr; ++entry) {
        std::string variable = *entry;
        if (variable.starts_with(key)) {
            const std::string theirs = variable.substr(key.size());
            variable = key + heap + (theirs.empty() ? "" : ":" + theirs);
            merged = true;
        }
        environment.push_back(std::move(variable));
    }
    if (!merged) environment.push_back(key + heap);
    return environment;
}

std::string findProgram(const std::string& program)
{
    if (program.find('/') != std::string::npos) return isExecutable(program) ? program : std::string();
    const char* path = std::getenv("PATH");
    std::string directories = path ? path : "/usr/bin:/bin";
    std::size_t begin = 0;
    while (begin <= directories.size()) {
        std::size_t end = directories.find(':', begin);
        if (end == std::string::npos) end = directories.size();
        const std::string directory = end > begin ? directories.substr(begin, end - begin) : ".";
        const std::string candidate = directory + "/" + program;
        if (isExecutable(candidate)) return candidate;
        begin = end + 1;
    }
    return {};
}

VideoEncoder::~VideoEncoder()
{
    if (pipeToChild >= 0) close(pipeToChild);
    pipeToChild = -1;
    if (child > 0) {
        kill(child, SIGTERM);
        int status = 0;
        waitpid(child, &status, 0);
        child = -1;
    }
}

std::string VideoEncoder::start(const VideoSettings& given)
{
    settings = given;
    const std::string program = findProgram(settings.program);
    if (program.empty())
        return "the " + settings.program +
               " command was not found; it makes the video (on Debian: apt-get install ffmpeg), "
               "or capture PNG frames into a directory instead";

    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) return systemError("cannot make a pipe to ffmpeg");
    fcntl(ends[1], F_SETPIPE_SZ, pipeBytes);  // a hint; the default size works too

    // A stopped ffmpeg must show as a failed write, not end this program.
    signal(SIGPIPE, SIG_IGN);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, ends[0], STDIN_FILENO);
    std::vector<std::string> arguments = ffmpegArguments(settings);
    arguments.front() = program;
    std::vector<char*> argv;
    for (std::string& a : arguments) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> variables = ffmpegEnvironment(environ);
    std::vector<char*> envp;
    for (std::string& v : variables) envp.push_back(v.data());
    envp.push_back(nullptr);
    pid_t pid = -1;
    const int failure = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(ends[0]);
    if (failure != 0) {
        close(ends[1]);
        return "cannot run " + program + ": " + std::strerror(failure);
    }
    child = pid;
    pipeToChild = ends[1];
    return {};
}

std::string VideoEncoder::writeFrame(const std::uint8_t* rgba)
{
    if (pipeToChild < 0) return "ffmpeg is not running";
    const std::size_t frameBytes = static_cast<std::size_t>(settings.width) * 4 * static_cast<std::size_t>(settings.height);
    std::size_t written = 0;
    while (written < frameBytes) {
        const ssize_t n = write(pipeToChild, rgba + written, frameBytes - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            const std::string why = n < 0 ? std::strerror(errno) : "nothing written";
            return "ffmpeg stopped taking frames (" + why + ")";
        }
        written += static_cast<std::size_t>(n);
    }
    return {};
}

std::string VideoEncoder::waitForExit()
{
    int status = 0;
    pid_t done = -1;
    do done = waitpid(child, &status, 0);
    while (done < 0 && errno == EINTR);
    child = -1;
    if (done < 0) return systemError("cannot learn how ffmpeg ended");
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return {};
    if (WIFEXITED(status)) return "ffmpeg failed (exit status " + std::to_string(WEXITSTATUS(status)) + ")";
    if (WIFSIGNALED(status)) return "ffmpeg was killed by signal " + std::to_string(WTERMSIG(status));
    return "ffmpeg ended abnormally";
}

std::string VideoEncoder::finish()
{
    if (child <= 0) return "ffmpeg is not running";
    // End of input: ffmpeg finishes the file and exits.
    if (pipeToChild >= 0) close(pipeToChild);
    pipeToChild = -1;
    return waitForExit();
}

}  // namespace qelo
