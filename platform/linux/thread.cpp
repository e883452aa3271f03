// CreateThread, Sleep and LocalFree over POSIX.
#include <pthread.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <new>

#include "platform/com.h"

namespace {

struct ThreadStart {
  LPTHREAD_START_ROUTINE routine;
  LPVOID parameter;
};

// Deliberately neither noexcept nor catching: an exception that leaves the
// routine must find no handler, so the runtime ends the process without
// unwinding anything on the way.
void* RunThreadStart(void* raw) {
  ThreadStart start = *static_cast<ThreadStart*>(raw);
  delete static_cast<ThreadStart*>(raw);
  start.routine(start.parameter);
  return nullptr;
}

}  // namespace

HANDLE CreateThread(LPSECURITY_ATTRIBUTES, SIZE_T stackSize, LPTHREAD_START_ROUTINE routine,
                    LPVOID parameter, DWORD, LPDWORD threadId) {
  ThreadStart* start = new (std::nothrow) ThreadStart{routine, parameter};
  if (start == nullptr) return nullptr;
  pthread_attr_t attributes;
  pthread_attr_init(&attributes);
  pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
  if (stackSize != 0) pthread_attr_setstacksize(&attributes, stackSize);
  pthread_t thread;
  const int failed = pthread_create(&thread, &attributes, RunThreadStart, start);
  pthread_attr_destroy(&attributes);
  if (failed != 0) {
    delete start;
    return nullptr;
  }
  if (threadId != nullptr) *threadId = static_cast<DWORD>(thread);
  // Never null on success; the program neither waits on nor closes it.
  return reinterpret_cast<HANDLE>(thread);
}

void Sleep(DWORD milliseconds) {
  timespec left{static_cast<time_t>(milliseconds / 1000),
                static_cast<long>(milliseconds % 1000) * 1000000L};
  while (nanosleep(&left, &left) != 0 && errno == EINTR) {
  }
}

HLOCAL LocalFree(HLOCAL memory) {
  std::free(memory);
  return nullptr;
}
