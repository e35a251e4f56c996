#pragma once
// Starting the viewer: one new process per launch, given the shared settings
// file and the access code on its command line. The console neither waits
// for a viewer nor ends it, and viewers outlive the console; it only asks
// whether a viewer it started is still running, so that a repeated Ready does
// not start another one.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace ostiva {

// Names one viewer a launcher started, to ask later whether it still runs.
using ViewerHandle = uint64_t;
inline constexpr ViewerHandle kNoViewer = 0;

class ViewerLauncher {
  public:
    virtual ~ViewerLauncher() = default;
    // Starts one viewer for the code. False with the system's reason in
    // `error` when the program could not be started.
    virtual bool LaunchViewer(int32_t code, std::u16string* error) = 0;
    // The viewer the last successful LaunchViewer started; kNoViewer when
    // this launcher cannot follow its viewers.
    virtual ViewerHandle LastStarted() const { return kNoViewer; }
    // Whether that viewer is still running: false for kNoViewer, for a
    // handle this launcher does not know, and once the viewer has ended.
    virtual bool IsRunning(ViewerHandle viewer) const {
        (void)viewer;
        return false;
    }
    // The argument vector a launch for the code starts, for front ends that
    // report what they started; empty when the launcher cannot tell.
    virtual std::vector<std::string> ArgumentsFor(int32_t code) const {
        (void)code;
        return {};
    }
};

// The viewer's argument vector: "<dir>/ostiviewer", "-optionsfile=<dir>/info.dat"
// and "-code=<n>", as UTF-8. Each path stays one argument whatever it holds;
// no shell ever reads them.
std::vector<std::string> ViewerArguments(std::u16string_view programDir, int32_t code);

// Starts the real program beside the console.
//
// The viewer is started by a double fork: an intermediate child forks the
// viewer and exits at once, and is reaped here, so the viewer is adopted by
// init (or the nearest subreaper) and never lingers as our zombie. No process-
// wide SIGCHLD handling is needed, so other code that waits for its own
// children is not disturbed. A close-on-exec pipe carries the errno of a failed
// exec back, so a missing or non-executable program is reported; the launch
// returns as soon as the viewer has been exec'd.
//
// The viewer inherits the console's environment, current directory and
// standard streams, and nothing else: every other descriptor is marked
// close-on-exec in the child (whatever library opened it), signal
// dispositions are reset and no signal is blocked.
//
// Each viewer is followed through a process descriptor (pidfd), taken while
// the intermediate child still holds the viewer, so it names that process
// and no later one with a reused id. The descriptor is held only while the
// viewer runs: ended viewers are forgotten at the next launch.
class ProcessViewerLauncher : public ViewerLauncher {
  public:
    // With an empty `programDir` the directory of the running program is
    // worked out afresh at every launch.
    explicit ProcessViewerLauncher(std::u16string programDir = {});
    ProcessViewerLauncher(const ProcessViewerLauncher&) = delete;
    ProcessViewerLauncher& operator=(const ProcessViewerLauncher&) = delete;
    ~ProcessViewerLauncher() override;

    bool LaunchViewer(int32_t code, std::u16string* error) override;
    std::vector<std::string> ArgumentsFor(int32_t code) const override;
    ViewerHandle LastStarted() const override { return lastStarted_; }
    bool IsRunning(ViewerHandle viewer) const override;

  private:
    void ForgetEndedViewers();

    std::u16string programDir_;
    std::map<ViewerHandle, int> running_;  // handle -> the viewer's pidfd
    ViewerHandle nextHandle_ = 1;
    ViewerHandle lastStarted_ = kNoViewer;
};

}  // namespace ostiva
