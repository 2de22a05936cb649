#include "platform/MappedMemory.h"

#include <csetjmp>
#include <csignal>
#include <mutex>

namespace verdane::platform {

namespace {

// Where the read under way on this thread goes back to; null while no read runs here.
thread_local sigjmp_buf* t_readPoint = nullptr;
struct sigaction g_previous {};

void onBusError(int signal, siginfo_t* info, void* context) {
    if (sigjmp_buf* point = t_readPoint) {
        t_readPoint = nullptr;
        siglongjmp(*point, 1);
    }
    // Not ours: whatever handled the signal before (or the system's default) has it.
    if (g_previous.sa_flags & SA_SIGINFO) {
        g_previous.sa_sigaction(signal, info, context);
        return;
    }
    if (g_previous.sa_handler != SIG_IGN && g_previous.sa_handler != SIG_DFL) {
        g_previous.sa_handler(signal);
        return;
    }
    ::sigaction(SIGBUS, &g_previous, nullptr);
    ::raise(SIGBUS);
}

void installHandler() {
    struct sigaction action {};
    action.sa_sigaction = &onBusError;
    // Not blocked while handled: the jump back leaves the handler without the system unblocking it, and a later
    // fault must still reach it.
    action.sa_flags = SA_SIGINFO | SA_NODEFER;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGBUS, &action, &g_previous);
}

} // namespace

bool readMappedRaw(void (*read)(void*), void* context) {
    static std::once_flag installed;
    std::call_once(installed, installHandler);
    sigjmp_buf point;
    // The signal mask is not saved: the handler never blocks the signal, and saving it costs a system call.
    if (sigsetjmp(point, 0) != 0)
        return false;
    t_readPoint = &point;
    read(context);
    t_readPoint = nullptr;
    return true;
}

} // namespace verdane::platform
