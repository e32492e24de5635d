// A preload that counts the frames a program shows: every call of glXSwapBuffers is one
// frame. The Linux game reaches glXSwapBuffers through freeglut's ordinary link to libGL, so
// the function below takes its place. Wine's X11 driver opens libGL itself, looks up
// glXGetProcAddressARB with dlsym on that library's handle (which no preload can take the
// place of) and asks it for glXSwapBuffers; so dlsym is wrapped too, and hands out the
// wrappers below for those two names. A Windows game's SwapBuffers ends in that
// glXSwapBuffers, so the same preload on `wine` counts the Windows game's frames.
//
// With VANTORA_SWAP_COUNT_FILE set, the count and the moment of the swap that reached it
// (CLOCK_MONOTONIC, nanoseconds) are written as one line "COUNT NANOSECONDS" to that file
// at the first swap and then at most every 100 ms, always right after a swap. The line goes
// to a file beside it that is then renamed over it, so that a reader always sees a whole
// line. Frames per second between two readings: the difference of the counts over the
// difference of the times. A process that never swaps writes nothing.
#include <GL/glx.h>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <string>
#include <time.h>

namespace {

using SwapBuffers = void (*)(Display*, GLXDrawable);
using GetProcAddress = __GLXextFuncPtr (*)(const GLubyte*);
using Dlsym = void* (*)(void*, const char*);

std::atomic<unsigned long long> swapCount{0};
std::atomic<long long> lastWrite{0};
// What the wrappers call: taken from the look-up that handed out the wrapper, else from the
// libraries after this one.
std::atomic<SwapBuffers> realSwap{nullptr};
std::atomic<GetProcAddress> realGetProcAddress{nullptr};

// The C library's own dlsym, found by version so that the dlsym below is not found again:
// glibc 2.34 moved it into libc under a new version, older ones have only the first.
Dlsym realDlsym()
{
    static const Dlsym found = [] {
        void* symbol = dlvsym(RTLD_NEXT, "dlsym", "GLIBC_2.34");
        if (!symbol) symbol = dlvsym(RTLD_NEXT, "dlsym", "GLIBC_2.2.5");
        return reinterpret_cast<Dlsym>(symbol);
    }();
    return found;
}

// Whether an address lies in this library: a look-up in the global scope finds the wrappers
// here first, and they must never call themselves.
bool inThisLibrary(void* address)
{
    static const void* const base = [] {
        Dl_info self{};
        return dladdr(reinterpret_cast<void*>(&realDlsym), &self) ? self.dli_fbase : nullptr;
    }();
    Dl_info info{};
    return dladdr(address, &info) && info.dli_fbase == base;
}

// Keeps the first real function found for a wrapper.
template <typename Function>
void keepReal(std::atomic<Function>& real, void* found)
{
    if (!found || inThisLibrary(found)) return;
    Function function = reinterpret_cast<Function>(found);
    Function none = nullptr;
    real.compare_exchange_strong(none, function);
}

template <typename Function>
Function realOrNext(std::atomic<Function>& real, const char* name)
{
    Function function = real.load();
    if (!function) {
        Dlsym lookUp = realDlsym();
        if (lookUp) keepReal(real, lookUp(RTLD_NEXT, name));
        function = real.load();
    }
    return function;
}

long long monotonicNanoseconds()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

void writeCount(unsigned long long count, long long now)
{
    static const char* const path = std::getenv("VANTORA_SWAP_COUNT_FILE");
    if (!path || !*path) return;
    const std::string partial = std::string(path) + ".partial";
    std::FILE* file = std::fopen(partial.c_str(), "w");
    if (!file) return;
    std::fprintf(file, "%llu %lld\n", count, now);
    if (std::fclose(file) == 0) std::rename(partial.c_str(), path);
}

} // namespace

extern "C" {

void glXSwapBuffers(Display* display, GLXDrawable drawable)
{
    if (SwapBuffers swap = realOrNext(realSwap, "glXSwapBuffers"))
        swap(display, drawable);
    const unsigned long long count = ++swapCount;
    const long long now = monotonicNanoseconds();
    long long last = lastWrite.load();
    if ((count == 1 || now - last >= 100000000LL) && lastWrite.compare_exchange_strong(last, now))
        writeCount(count, now);
}

__GLXextFuncPtr glXGetProcAddressARB(const GLubyte* name)
{
    if (name && std::strcmp(reinterpret_cast<const char*>(name), "glXSwapBuffers") == 0) {
        GetProcAddress get = realOrNext(realGetProcAddress, "glXGetProcAddressARB");
        if (get) keepReal(realSwap, reinterpret_cast<void*>(get(name)));
        return reinterpret_cast<__GLXextFuncPtr>(&glXSwapBuffers);
    }
    GetProcAddress get = realOrNext(realGetProcAddress, "glXGetProcAddressARB");
    return get ? get(name) : nullptr;
}

void (*glXGetProcAddress(const GLubyte* name))(void)
{
    return glXGetProcAddressARB(name);
}

// Looking up glXSwapBuffers or glXGetProcAddress(ARB) in a library's handle gets the wrapper
// above, which then calls what the look-up found; every other look-up is the C library's.
// The last call is a tail call, so that a look-up with RTLD_NEXT still starts after the
// library that asked (the C library tells it by the return address): build this file with
// optimisation.
void* dlsym(void* handle, const char* name)
{
    Dlsym lookUp = realDlsym();
    if (!lookUp) return nullptr;
    if (handle != RTLD_NEXT) {
        if (std::strcmp(name, "glXSwapBuffers") == 0) {
            void* found = lookUp(handle, name);
            if (!found) return nullptr;
            keepReal(realSwap, found);
            return reinterpret_cast<void*>(&glXSwapBuffers);
        }
        if (std::strcmp(name, "glXGetProcAddressARB") == 0 ||
            std::strcmp(name, "glXGetProcAddress") == 0) {
            void* found = lookUp(handle, name);
            if (!found) return nullptr;
            keepReal(realGetProcAddress, found);
            return reinterpret_cast<void*>(&glXGetProcAddressARB);
        }
    }
    return lookUp(handle, name);
}

} // extern "C"
