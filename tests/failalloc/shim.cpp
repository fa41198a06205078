/* shim.cpp - an allocator shim, preloaded, that makes one chosen allocation fail.
 *
 *   LD_PRELOAD=libk8failalloc.so K8_FAIL_AT=N program ...
 *
 * Every malloc, calloc, realloc (to a non-zero size), posix_memalign, aligned_alloc,
 * memalign and operator new of the process - its own, the C++ runtime's, SDL's - is counted
 * from 1, and call number N fails as that call fails when memory runs out (null and ENOMEM,
 * or std::bad_alloc from a throwing new); all others are served by the allocator below the
 * shim (glibc's, or a leak checker's, which has an operator new of its own). With K8_FAIL_COUNT=path the number of
 * allocations made is written to that file when the process exits normally, which is how
 * a sweep learns how many allocations a clean run makes.
 *
 * With K8_FAIL_TRACE=1 the refused call's stack is printed on standard error, to find
 * where a failing run of a sweep went wrong.
 *
 * With K8_FAIL_ESCAPE=1 the shim also ends a program that runs until a key is pressed: each
 * time the program has drained SDL's event queue it finds one Escape key press at the end,
 * so the demo quits after its first frame and runs its shutdown.
 *
 * Classic SDL 1.2 itself dereferences null on some of its own failed allocations (inside
 * SDL_VideoInit's clean-up and SDL_SetVideoMode, with the dummy driver), which no caller can
 * prevent. A segmentation fault whose instruction lies inside a library named libSDL is
 * therefore told apart: the shim prints "failalloc: fault inside <library>" and exits with
 * status 77, so a sweep can list those runs separately from faults of the program's own.
 *
 * Allocation counts are only stable while one thread allocates; SDL's audio thread allocates
 * nothing in the demo. */
#include <SDL.h>
#include <dlfcn.h>
#include <errno.h>
#include <execinfo.h>
#include <signal.h>
#include <ucontext.h>
#include <unistd.h>
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <atomic>
#include <new>

typedef void* (*MallocFn)(size_t);
typedef void* (*CallocFn)(size_t, size_t);
typedef void* (*ReallocFn)(void*, size_t);
typedef void (*FreeFn)(void*);
typedef int (*PosixMemalignFn)(void**, size_t, size_t);
typedef void* (*AlignedFn)(size_t, size_t);

static MallocFn realMalloc;
static CallocFn realCalloc;
static ReallocFn realRealloc;
static FreeFn realFree;
static PosixMemalignFn realPosixMemalign;
static AlignedFn realAlignedAlloc;
static AlignedFn realMemalign;

static std::atomic<unsigned long> calls;
static unsigned long failAt;
static int resolving;

/* dlsym may allocate while the real functions are looked up: served from here, never freed. */
alignas(16) static unsigned char bootstrap[8192];
static size_t bootstrapUsed;

static void* Bootstrap(size_t size) {
  size = (size + 15) & ~(size_t)15;
  if (bootstrapUsed + size > sizeof bootstrap) return NULL;
  void* p = bootstrap + bootstrapUsed;
  bootstrapUsed += size;
  return p;
}

static int FromBootstrap(const void* p) {
  return (const unsigned char*)p >= bootstrap && (const unsigned char*)p < bootstrap + sizeof bootstrap;
}

static void Resolve(void) {
  if (realMalloc || resolving) return;
  resolving = 1;
  realCalloc = (CallocFn)dlsym(RTLD_NEXT, "calloc");
  realRealloc = (ReallocFn)dlsym(RTLD_NEXT, "realloc");
  realFree = (FreeFn)dlsym(RTLD_NEXT, "free");
  realPosixMemalign = (PosixMemalignFn)dlsym(RTLD_NEXT, "posix_memalign");
  realAlignedAlloc = (AlignedFn)dlsym(RTLD_NEXT, "aligned_alloc");
  realMemalign = (AlignedFn)dlsym(RTLD_NEXT, "memalign");
  realMalloc = (MallocFn)dlsym(RTLD_NEXT, "malloc");
  resolving = 0;
}

/* Read once the process's environment is there: a leak checker's start-up allocates before
 * it is, and those first allocations are counted but never refused. */
__attribute__((constructor(101))) static void ReadFailAt(void) {
  const char* at = getenv("K8_FAIL_AT");
  failAt = at ? strtoul(at, NULL, 10) : 0;
}

/* True when this allocation is the one to refuse. */
static int Refuse(void) {
  unsigned long n = calls.fetch_add(1) + 1;
  if (failAt == 0 || n != failAt) return 0;
  if (getenv("K8_FAIL_TRACE")) {
    void* frames[32];
    backtrace_symbols_fd(frames, backtrace(frames, 32), 2);
  }
  return 1;
}

extern "C" {

void* malloc(size_t size) {
  Resolve();
  if (!realMalloc) return Bootstrap(size);
  if (Refuse()) {
    errno = ENOMEM;
    return NULL;
  }
  return realMalloc(size);
}

void* calloc(size_t n, size_t size) {
  Resolve();
  if (!realCalloc || resolving) {
    if (size && n > SIZE_MAX / size) return NULL;
    return Bootstrap(n * size); /* static storage: already zero */
  }
  if (Refuse()) {
    errno = ENOMEM;
    return NULL;
  }
  return realCalloc(n, size);
}

void* realloc(void* p, size_t size) {
  Resolve();
  if (FromBootstrap(p)) {
    void* q = malloc(size);
    size_t left = (size_t)(bootstrap + sizeof bootstrap - (unsigned char*)p);
    if (q) memcpy(q, p, size < left ? size : left); /* the old block's size is not kept */
    return q;
  }
  if (size != 0 && Refuse()) {
    errno = ENOMEM;
    return NULL;
  }
  return realRealloc(p, size);
}

void free(void* p) {
  if (!p || FromBootstrap(p)) return;
  Resolve();
  realFree(p);
}

int posix_memalign(void** out, size_t alignment, size_t size) {
  Resolve();
  if (Refuse()) return ENOMEM;
  return realPosixMemalign(out, alignment, size);
}

void* aligned_alloc(size_t alignment, size_t size) {
  Resolve();
  if (Refuse()) {
    errno = ENOMEM;
    return NULL;
  }
  return realAlignedAlloc(alignment, size);
}

void* memalign(size_t alignment, size_t size) {
  Resolve();
  if (Refuse()) {
    errno = ENOMEM;
    return NULL;
  }
  return realMemalign(alignment, size);
}

/* ---- Ending a demo run ---------------------------------------------------------------- */

int SDL_PollEvent(SDL_Event* event) {
  static int (*real)(SDL_Event*);
  static int pressed;
  if (!real) real = (int (*)(SDL_Event*))dlsym(RTLD_NEXT, "SDL_PollEvent");
  const char* escape = getenv("K8_FAIL_ESCAPE");
  if (!escape || strcmp(escape, "1") != 0 || !event) return real(event);
  int got = real(event);
  if (got) return got;
  if (pressed) {  /* this drain has had its key; the next one gets another */
    pressed = 0;
    return 0;
  }
  pressed = 1;
  memset(event, 0, sizeof *event);
  event->type = SDL_KEYDOWN;
  event->key.state = SDL_PRESSED;
  event->key.keysym.sym = SDLK_ESCAPE;
  return 1;
}

}  // extern "C"

/* ---- operator new -------------------------------------------------------------------- */

namespace {
using NewFn = void* (*)(size_t);
using NothrowNewFn = void* (*)(size_t, const std::nothrow_t&);

template <class Fn>
Fn Next(const char* name) {
  return reinterpret_cast<Fn>(dlsym(RTLD_NEXT, name));
}
}  // namespace

void* operator new(size_t size) {
  static NewFn real = Next<NewFn>("_Znwm");
  Resolve();
  if (Refuse()) throw std::bad_alloc();
  return real(size);
}

void* operator new[](size_t size) {
  static NewFn real = Next<NewFn>("_Znam");
  Resolve();
  if (Refuse()) throw std::bad_alloc();
  return real(size);
}

void* operator new(size_t size, const std::nothrow_t& tag) noexcept {
  static NothrowNewFn real = Next<NothrowNewFn>("_ZnwmRKSt9nothrow_t");
  Resolve();
  if (Refuse()) return nullptr;
  return real(size, tag);
}

void* operator new[](size_t size, const std::nothrow_t& tag) noexcept {
  static NothrowNewFn real = Next<NothrowNewFn>("_ZnamRKSt9nothrow_t");
  Resolve();
  if (Refuse()) return nullptr;
  return real(size, tag);
}

/* ---- Faults inside SDL ---------------------------------------------------------------- */

extern "C" {

static void Fault(int sig, siginfo_t* info, void* context) {
  (void)info;
  const void* pc = NULL;
#if defined(__x86_64__)
  pc = reinterpret_cast<const void*>(static_cast<ucontext_t*>(context)->uc_mcontext.gregs[REG_RIP]);
#else
  (void)context;
#endif
  Dl_info where;
  if (pc && dladdr(pc, &where) && where.dli_fname && strstr(where.dli_fname, "libSDL")) {
    static const char kText[] = "failalloc: fault inside ";
    write(2, kText, sizeof kText - 1);
    write(2, where.dli_fname, strlen(where.dli_fname));
    write(2, "\n", 1);
    _exit(77);
  }
  signal(sig, SIG_DFL); /* anywhere else: the fault happens again and ends the process */
}

/* Set before SDL starts, so SDL 1.2's own fault handler, which it installs only over the
 * default action, stays out of the way. */
__attribute__((constructor)) static void CatchFaults(void) {
  if (!getenv("K8_FAIL_AT")) return;
  struct sigaction action;
  memset(&action, 0, sizeof action);
  action.sa_sigaction = Fault;
  action.sa_flags = SA_SIGINFO;
  sigemptyset(&action.sa_mask);
  sigaction(SIGSEGV, &action, NULL);
}

__attribute__((destructor)) static void WriteCount(void) {
  const char* path = getenv("K8_FAIL_COUNT");
  if (!path) return;
  FILE* f = fopen(path, "w");
  if (!f) return;
  fprintf(f, "%lu\n", calls.load());
  fclose(f);
}

}  // extern "C"
