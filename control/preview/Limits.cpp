#include "Limits.h"

#include "sandbox/PreviewProtocol.h"

#include <algorithm>
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

namespace preview {
namespace {

constexpr rlim_t AddressSpace = 1024UL * 1024 * 1024;
constexpr rlim_t CpuSeconds = 8;
// The parent ends a child after 100 requests, 800 s at the most.
constexpr rlim_t CpuSecondsInAll = 1000;

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
    // The soft limit raises SIGXCPU, the hard one SIGKILL.
    setLimit(RLIMIT_CPU, CpuSeconds, CpuSecondsInAll);
    setLimit(RLIMIT_CORE, 0, 0);
    for (const int signal : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT})
        onSignal(signal, crashed);
    onSignal(SIGXCPU, outOfTime);
}

void startRequest()
{
    rusage used{};
    getrusage(RUSAGE_SELF, &used);
    const rlim_t spent = rlim_t(used.ru_utime.tv_sec + used.ru_stime.tv_sec) + 1;
    setLimit(RLIMIT_CPU, std::min(spent + CpuSeconds, CpuSecondsInAll), CpuSecondsInAll);
}

} // namespace preview
