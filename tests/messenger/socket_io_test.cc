// The descriptor that owns a socket is closed once, by its last owner, and
// a session, which owns one, cannot be copied.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <unistd.h>

#include <type_traits>
#include <utility>

#include "messenger/netbios_session.h"
#include "messenger/socket_io.h"

namespace wirenote::messenger {
namespace {

static_assert(!std::is_copy_constructible_v<Descriptor> && !std::is_copy_assignable_v<Descriptor>);
static_assert(std::is_nothrow_move_constructible_v<Descriptor> &&
              std::is_nothrow_move_assignable_v<Descriptor>);
static_assert(!std::is_copy_constructible_v<Session> && !std::is_copy_assignable_v<Session>);

bool IsOpen(int fd) { return fcntl(fd, F_GETFD) != -1; }

TEST(Descriptor, ClosesOnceByItsLastOwner) {
  int ends[2];
  ASSERT_EQ(pipe(ends), 0);
  close(ends[1]);
  const int fd = ends[0];
  {
    Descriptor first(fd);
    EXPECT_TRUE(first.ok());
    {
      Descriptor second(std::move(first));
      EXPECT_FALSE(first.ok());
      EXPECT_EQ(second.get(), fd);
      Descriptor third;
      EXPECT_FALSE(third.ok());
      third = std::move(second);
      EXPECT_FALSE(second.ok());
      EXPECT_EQ(third.get(), fd);
      {
        // A moved-from owner going away leaves the descriptor open.
        Descriptor gone(std::move(third));
        third = std::move(gone);
      }
      EXPECT_TRUE(IsOpen(fd));
      first = std::move(third);
    }
    EXPECT_TRUE(IsOpen(fd)) << "moved-from owners closed it";
  }
  EXPECT_FALSE(IsOpen(fd)) << "the last owner left it open";
}

TEST(Descriptor, TakingAnotherClosesTheOneItHad) {
  int a[2];
  int b[2];
  ASSERT_EQ(pipe(a), 0);
  ASSERT_EQ(pipe(b), 0);
  close(a[1]);
  close(b[1]);
  Descriptor owner(a[0]);
  owner = Descriptor(b[0]);
  EXPECT_FALSE(IsOpen(a[0]));
  EXPECT_TRUE(IsOpen(b[0]));
  EXPECT_EQ(owner.get(), b[0]);
}

}  // namespace
}  // namespace wirenote::messenger
