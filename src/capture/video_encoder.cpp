#include "capture/video_encoder.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "capture/yuv_frame.h"
#include "shell/file_suffix.h"

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

// Starts `program` with `arguments` (program name first) and ffmpeg's
// environment, standard input from `input`; with `quiet` its output goes to
// /dev/null. It runs in a process group of its own, so that a terminal's
// Ctrl-C reaches only this program, which then ends the video in order; and
// with default handling of the signals this program ignores. Returns the
// child's id, or -1 with `why` set.
pid_t spawn(const std::string& program, std::vector<std::string> arguments, int input, bool quiet, std::string& why)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input, STDIN_FILENO);
    if (quiet) {
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    }
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    for (const int kind : {SIGPIPE, SIGINT, SIGTERM}) sigaddset(&defaults, kind);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF);

    arguments.front() = program;
    std::vector<char*> argv;
    for (std::string& a : arguments) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> variables = ffmpegEnvironment(environ);
    std::vector<char*> envp;
    for (std::string& v : variables) envp.push_back(v.data());
    envp.push_back(nullptr);
    pid_t pid = -1;
    const int failure = posix_spawn(&pid, program.c_str(), &actions, &attributes, argv.data(), envp.data());
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (failure == 0) return pid;
    why = "cannot run " + program + ": " + std::strerror(failure);
    return -1;
}

pid_t waitFor(pid_t child, int& status)
{
    pid_t done = -1;
    do done = waitpid(child, &status, 0);
    while (done < 0 && errno == EINTR);
    return done;
}

// H.264 in yuv420p, which every player takes, at each quality.
std::vector<std::string> codecArguments(VideoQuality quality)
{
    switch (quality) {
    case VideoQuality::draft:
        // The fastest preset: the encoder shares the cores with the
        // rendering. Constrained Baseline,
        // ~33 Mbit/s for the whole show at CRF 20: level 4.1 holds that
        // (x264 would claim 3.2, whose ceiling is 20 Mbit/s).
        return {"-c:v", "libx264", "-preset", "ultrafast", "-crf", "20", "-level:v", "4.1", "-pix_fmt", "yuv420p"};
    case VideoQuality::share:
        // High profile with CABAC, 8x8 transforms and three B-frames, at the
        // slowest preset that keeps a capture in real time: the show
        // renders on one of two cores, and x264 at "superfast" needs ~11 ms
        // of CPU a frame here ("veryfast" about twice that). CRF 22 where the picture allows; busy scenes are
        // held to 9 Mbit/s (a window of 2 s), so the whole show with its
        // sound stays under 150 MB. x264 derives the level from the rate
        // cap: 3.2 fits 1024 x 768 at 60 fps and 9 Mbit/s.
        // One encoder thread: with a rate cap and frame or slice threads
        // x264's output depends on timing, and a capture must come out the
        // same in every run. That thread is the capture's pace: ~11 ms of
        // one core a frame, about 90 frames a second at best.
        return {"-c:v", "libx264", "-preset", "superfast", "-profile:v", "high", "-crf", "22", "-maxrate", "9M",
                "-bufsize", "18M", "-threads", "1", "-pix_fmt", "yuv420p"};
    case VideoQuality::master:
        // Visually lossless yet playable: CRF 12 in yuv420p (SSIM of luma
        // ~0.99 on the busiest scenes, ~48 Mbit/s there); lossless or 4:4:4
        // H.264 would need High 4:4:4, which few players decode. The cap
        // only trims rare peaks and keeps it within High level 4.2; one
        // thread for the same reason as share (~25 ms of CPU a frame).
        return {"-c:v", "libx264", "-preset", "veryfast", "-profile:v", "high", "-crf", "12", "-maxrate", "60M",
                "-bufsize", "60M", "-level:v", "4.2", "-threads", "1", "-pix_fmt", "yuv420p"};
    }
    return {};
}

}  // namespace

std::vector<std::string> ffmpegArguments(const VideoSettings& s)
{
    const std::string seconds = number(static_cast<double>(s.frames) / s.fps, "%.6f");
    std::vector<std::string> arguments = {
        s.program, "-hide_banner", "-loglevel", "error", "-nostdin", "-y",
        // The frames: raw yuv420p (yuv_frame.h), top row first, one after
        // another, fps exactly; ffmpeg has nothing to convert.
        "-f", "rawvideo", "-pix_fmt", "yuv420p", "-video_size", std::to_string(s.width) + "x" + std::to_string(s.height),
        "-framerate", std::to_string(s.fps), "-i", "pipe:0"};
    const bool music = !s.musicPath.empty();
    if (music) {
        // Read from its start (show time 0), cut to the frames' length. The
        // sound then ends with the last frame written (-shortest), also in a
        // capture stopped early; music shorter than that is padded with
        // silence (apad), which keeps -shortest from cutting the frames.
        arguments.push_back("-t");
        arguments.push_back(seconds);
        arguments.push_back("-i");
        arguments.push_back(s.musicPath);
    }
    for (const char* a : {"-map", "0:v:0"}) arguments.push_back(a);
    if (music)
        for (const char* a : {"-map", "1:a:0", "-c:a", "aac", "-b:a", "192k", "-af", "apad", "-shortest"}) arguments.push_back(a);
    for (const std::string& a : codecArguments(s.quality)) arguments.push_back(a);
    // Says how to turn the pixels back into colour: the BT.601 matrix and
    // video range of yuv_frame.h, for sRGB pictures. Untagged, players guess,
    // and most guess BT.709 for a picture of this size, shifting every hue.
    for (const char* a : {"-colorspace", "smpte170m", "-color_range", "tv", "-color_primaries", "bt709",
                          "-color_trc", "iec61966-2-1"})
        arguments.push_back(a);
    if (hasSuffixIgnoringCase(s.path, ".mp4"))
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

std::string musicProblem(const std::string& program, const std::string& musicPath)
{
    const int file = open(musicPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (file < 0) return std::strerror(errno);
    close(file);
    const std::string found = findProgram(program);
    if (found.empty()) return {};  // the video cannot start either, and says so
    // Its first second must decode to sound.
    const int nothing = open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (nothing < 0) return {};
    std::string why;
    const pid_t child = spawn(found,
                              {program, "-nostdin", "-v", "error", "-i", musicPath, "-map", "0:a:0", "-t", "1", "-f",
                               "null", "-"},
                              nothing, true, why);
    close(nothing);
    if (child < 0) return why;
    int status = 0;
    if (waitFor(child, status) < 0) return {};
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return {};
    return program + " cannot decode it";
}

VideoEncoder::~VideoEncoder()
{
    if (child > 0) discard();
}

std::string VideoEncoder::discard(bool* removed)
{
    if (removed) *removed = false;
    if (pipeToChild >= 0) close(pipeToChild);
    pipeToChild = -1;
    if (child > 0) {
        kill(child, SIGTERM);
        int status = 0;
        waitFor(child, status);
        child = -1;
    }
    // Only a file ffmpeg made: never a device or a directory given as the path.
    struct stat file {};
    if (lstat(settings.path.c_str(), &file) != 0 || !S_ISREG(file.st_mode)) return {};
    if (unlink(settings.path.c_str()) != 0) return systemError(("cannot remove " + settings.path).c_str());
    if (removed) *removed = true;
    return {};
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

    std::string why;
    const pid_t pid = spawn(program, ffmpegArguments(settings), ends[0], false, why);
    close(ends[0]);
    if (pid < 0) {
        close(ends[1]);
        return why;
    }
    child = pid;
    pipeToChild = ends[1];
    return {};
}

std::string VideoEncoder::writeFrame(const std::uint8_t* rgba)
{
    if (pipeToChild < 0) return "ffmpeg is not running";
    converted.resize(yuv420Bytes(settings.width, settings.height));
    rgbaToYuv420(rgba, settings.width, settings.height, converted.data());
    return writeYuvFrame(converted.data());
}

std::string VideoEncoder::writeYuvFrame(const std::uint8_t* yuv)
{
    if (pipeToChild < 0) return "ffmpeg is not running";
    const std::size_t frameBytes = yuv420Bytes(settings.width, settings.height);
    std::size_t written = 0;
    while (written < frameBytes) {
        const ssize_t n = write(pipeToChild, yuv + written, frameBytes - written);
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
    const pid_t done = waitFor(child, status);
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
