// The settings page of another process that the preview tests need: this
// test program started again with PREVIEW_HOST_SWITCH and how it should end.
#pragma once

inline constexpr const char* PREVIEW_HOST_SWITCH = "--preview-host";
inline constexpr const char* PREVIEW_HOST_CLASS = "SaverTestPreviewHost";
inline constexpr const char* HOST_WAITS_TO_BE_KILLED = "killed";
inline constexpr const char* HOST_EXITS_WITH_PREVIEW_SHOWN = "exits";

// Shows a window for the preview and waits: to be killed, or until the
// preview's window has appeared in it, when it ends its process without
// destroying the window. Ends by itself after the tests' longest wait.
int run_preview_host(const char* how);
