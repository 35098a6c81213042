#pragma once

#include <memory>

class TFMain;

// The process start: the main window, then the start-up screen for two seconds while the
// requests the main window queued run. Returns the main window, shown; the caller runs the loop.
std::unique_ptr<TFMain> StartUp();

inline constexpr const char* ApplicationTitle = "Ombrex 2.2";
