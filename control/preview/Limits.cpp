#include "Limits.h"

#include "sandbox/PreviewProtocol.h"

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

namespace preview {
namespace {

constexpr rlim_t AddressSpace = 1024UL * 1024 * 1024;
constexpr rlim_t CpuSeconds = 8;

void setLimit(int resource, rlim_t soft, rlim_t hard)
{
    const rlimit limit{soft, hard};
    setrlimit(resource, &limit);
}

extern "C" void crashed(int) { _exit(sandbox::ExitCrashed); }
extern "C" void outOfTime(int) { _exit(sandbox::ExitTooLarge); }

void onSignal(int signal, void (*handler)(int))
{
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
}

} // namespace

void applyLimits()
{
    setLimit(RLIMIT_AS, AddressSpace, AddressSpace);
    // The soft limit raises SIGXCPU, the hard one a second later SIGKILL.
    setLimit(RLIMIT_CPU, CpuSeconds, CpuSeconds + 1);
    setLimit(RLIMIT_CORE, 0, 0);
    for (const int signal : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT})
        onSignal(signal, crashed);
    onSignal(SIGXCPU, outOfTime);
}

} // namespace preview
