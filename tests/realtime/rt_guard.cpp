#include "tests/realtime/rt_guard.h"

#include <dlfcn.h>
#include <pthread.h>

#include <atomic>
#include <cstdlib>

extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* pointer, size_t size);
void* __libc_memalign(size_t alignment, size_t size);
void __libc_free(void* pointer);
}

namespace rtguard {
namespace {

thread_local int scopeDepth = 0;
std::atomic<std::size_t> allocations{0};
std::atomic<std::size_t> frees{0};
std::atomic<std::size_t> locks{0};

inline void Note(std::atomic<std::size_t>& counter) {
  if (scopeDepth > 0) counter.fetch_add(1, std::memory_order_relaxed);
}

// The library's own lock function of that name, looked up on first use.
template <class Function>
Function Next(Function& cached, const char* name) {
  if (!cached) cached = reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
  return cached;
}

using MutexFunction = int (*)(pthread_mutex_t*);
using RwlockFunction = int (*)(pthread_rwlock_t*);
MutexFunction realMutexLock;
MutexFunction realMutexTrylock;
RwlockFunction realRdlock;
RwlockFunction realWrlock;

}  // namespace

RealtimeScope::RealtimeScope() {
  ++scopeDepth;
}
RealtimeScope::~RealtimeScope() {
  --scopeDepth;
}

Violations Count() {
  return {allocations.load(), frees.load(), locks.load()};
}

void ResetCount() {
  allocations = 0;
  frees = 0;
  locks = 0;
}

}  // namespace rtguard

using rtguard::Next;
using rtguard::Note;

extern "C" {

void* malloc(size_t size) {
  Note(rtguard::allocations);
  return __libc_malloc(size);
}

void* calloc(size_t count, size_t size) {
  Note(rtguard::allocations);
  return __libc_calloc(count, size);
}

void* realloc(void* pointer, size_t size) {
  Note(rtguard::allocations);
  return __libc_realloc(pointer, size);
}

void* memalign(size_t alignment, size_t size) {
  Note(rtguard::allocations);
  return __libc_memalign(alignment, size);
}

void* aligned_alloc(size_t alignment, size_t size) {
  Note(rtguard::allocations);
  return __libc_memalign(alignment, size);
}

int posix_memalign(void** out, size_t alignment, size_t size) {
  Note(rtguard::allocations);
  void* pointer = __libc_memalign(alignment, size);
  if (!pointer) return 12;  // ENOMEM
  *out = pointer;
  return 0;
}

void free(void* pointer) {
  if (pointer) Note(rtguard::frees);
  __libc_free(pointer);
}

int pthread_mutex_lock(pthread_mutex_t* mutex) {
  Note(rtguard::locks);
  return Next(rtguard::realMutexLock, "pthread_mutex_lock")(mutex);
}

int pthread_mutex_trylock(pthread_mutex_t* mutex) {
  Note(rtguard::locks);
  return Next(rtguard::realMutexTrylock, "pthread_mutex_trylock")(mutex);
}

int pthread_rwlock_rdlock(pthread_rwlock_t* lock) {
  Note(rtguard::locks);
  return Next(rtguard::realRdlock, "pthread_rwlock_rdlock")(lock);
}

int pthread_rwlock_wrlock(pthread_rwlock_t* lock) {
  Note(rtguard::locks);
  return Next(rtguard::realWrlock, "pthread_rwlock_wrlock")(lock);
}

}  // extern "C"
