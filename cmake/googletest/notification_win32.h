// GoogleTest's Notification for a compiler without std::mutex: mingw-w64's
// win32 thread model, which the Windows program is built with. GoogleTest's
// own locks there are Windows ones already; only this class of it needs the
// standard's, and GoogleTest lets a build bring its own (see its
// include/gtest/internal/custom/README.md). Given to every file that sees
// GoogleTest's headers (-include), ahead of them.
#pragma once

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing::internal {

// Lets threads that wait go on once it is notified, and from then on.
class Notification {
 public:
  Notification();
  ~Notification();
  Notification(const Notification&) = delete;
  Notification& operator=(const Notification&) = delete;

  void Notify();
  void WaitForNotification();

 private:
  // A manual-reset event. A plain pointer here keeps <windows.h> out of
  // every file that includes GoogleTest, as GoogleTest itself does.
  void* event_;
};

}  // namespace testing::internal
