// The owner closes each handle once, by whoever holds it last, on every
// way out; the real kinds are seen closing over the fake platform by the
// registry, osinfo and table tests.
#include "platform/owned_handle.h"

#include <gtest/gtest.h>

#include <functional>
#include <type_traits>
#include <utility>
#include <vector>

namespace {

std::vector<int>& Closed() {
  static std::vector<int> closed;
  return closed;
}

struct CountedKind {
  typedef int Handle;
  static Handle None() { return -1; }
  static void Close(Handle handle) { Closed().push_back(handle); }
};
typedef Owned<CountedKind> Counted;

static_assert(!std::is_copy_constructible<Counted>::value &&
                  !std::is_copy_assignable<Counted>::value,
              "a copy would close its handle twice");
static_assert(std::is_nothrow_move_constructible<Counted>::value &&
                  std::is_nothrow_move_assignable<Counted>::value,
              "containers move only what cannot throw");

TEST(OwnedHandleTest, ClosesEachHandleOnceByItsLastOwner) {
  struct Case {
    const char* name;
    std::function<void()> run;
    std::vector<int> closed;  // in the order closed
  };
  const Case cases[] = {
      {"the end of its scope", [] { const Counted owner(1); }, {1}},
      {"none is never closed",
       [] {
         const Counted empty;
         const Counted none(CountedKind::None());
         EXPECT_FALSE(empty.valid() || none.valid());
       },
       {}},
      {"an exception out of its scope",
       [] {
         try {
           const Counted owner(2);
           throw 0;
         } catch (int) {
         }
       },
       {2}},
      {"moved: by the new owner alone",
       [] {
         Counted first(3);
         const Counted second(std::move(first));
         EXPECT_FALSE(first.valid());
         EXPECT_EQ(second.get(), 3);
       },
       {3}},
      {"moved onto another: the other's at once",
       [] {
         Counted first(4);
         Counted second(5);
         second = std::move(first);
         EXPECT_EQ(Closed(), std::vector<int>{5});
       },
       {5, 4}},
      {"moved onto itself: kept",
       [] {
         Counted owner(6);
         Counted& same = owner;
         owner = std::move(same);
         EXPECT_EQ(owner.get(), 6);
       },
       {6}},
      {"reset: the old one, then the new one",
       [] {
         Counted owner(7);
         owner.Reset(8);
         EXPECT_EQ(owner.get(), 8);
       },
       {7, 8}},
      {"reset to the handle it holds: kept", [] { Counted(9).Reset(9); }, {9}},
      {"released: not at all",
       [] {
         Counted owner(10);
         EXPECT_EQ(owner.Release(), 10);
         EXPECT_FALSE(owner.valid());
       },
       {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Closed().clear();
    c.run();
    EXPECT_EQ(Closed(), c.closed);
  }
}

}  // namespace
