#include "shell/platform_services.h"

#include <pthread.h>
#include <windows.h>

void wait_servicing_messages(void*, std::thread& worker) {
    // std::thread is a winpthreads thread; its Win32 handle is signalled
    // when the thread has ended.
    HANDLE handle = static_cast<HANDLE>(pthread_gethandle(worker.native_handle()));
    if (!handle) return;
    for (;;) {
        // MWMO_INPUTAVAILABLE also wakes for sent messages that were already
        // pending when the wait began, so none is left waiting for us.
        const DWORD woken = MsgWaitForMultipleObjectsEx(1, &handle, INFINITE, QS_SENDMESSAGE, MWMO_INPUTAVAILABLE);
        if (woken != WAIT_OBJECT_0 + 1) return;  // ended, or the wait failed: the join follows
        MSG message;
        PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

PlatformServices window_platform(HWND window, void (*repaint)(void* window)) {
    PlatformServices services;
    services.context = window;
    services.repaint = repaint;
    services.wait_for_worker = wait_servicing_messages;
    return services;
}
