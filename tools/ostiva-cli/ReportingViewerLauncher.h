#pragma once
// Starts viewers through another launcher and reports each one that started
// as a viewer event with the argument vector it was given.

#include <functional>

#include "CliEvents.h"
#include "console/ViewerLauncher.h"

namespace ostiva::cli {

class ReportingViewerLauncher : public ViewerLauncher {
  public:
    ReportingViewerLauncher(ViewerLauncher& launcher, std::function<void(Event)> emit)
        : launcher_(launcher), emit_(std::move(emit)) {}

    bool LaunchViewer(int32_t code, std::u16string* error) override {
        if (!launcher_.LaunchViewer(code, error)) return false;
        emit_(ViewerEvent(code, launcher_.ArgumentsFor(code)));
        return true;
    }
    std::vector<std::string> ArgumentsFor(int32_t code) const override {
        return launcher_.ArgumentsFor(code);
    }
    ViewerHandle LastStarted() const override { return launcher_.LastStarted(); }
    bool IsRunning(ViewerHandle viewer) const override { return launcher_.IsRunning(viewer); }

  private:
    ViewerLauncher& launcher_;
    std::function<void(Event)> emit_;
};

}  // namespace ostiva::cli
