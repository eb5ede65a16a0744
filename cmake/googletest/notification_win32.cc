#include "notification_win32.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cstdlib>

namespace testing::internal {

Notification::Notification() : event_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
  // GoogleTest stops on a failed lock the same way.
  if (event_ == nullptr) std::abort();
}

Notification::~Notification() { CloseHandle(event_); }

void Notification::Notify() { SetEvent(event_); }

void Notification::WaitForNotification() { WaitForSingleObject(event_, INFINITE); }

}  // namespace testing::internal
