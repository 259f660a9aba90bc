#include "common/format.h"

#include <cstdint>
#include <string>

#include <gtest/gtest.h>

namespace {

TEST(Format, Placeholders) {
  const std::string blanks = "  a b  ";
  const std::string withNul("x\0y", 3);
  struct Case {
    std::string actual;
    std::string expected;
  } cases[] = {
      {Format("Found %d Hot-Fix", {3}), "Found 3 Hot-Fix"},
      {Format("%d.%d", {4u, 0u}), "4.0"},
      {Format("%d", {std::uint32_t{0xFFFFFFFF}}), "-1"},
      {Format("%d", {std::int32_t{-2147483647 - 1}}), "-2147483648"},
      {Format("[%s] %s", {"KB1", blanks}), "[KB1]   a b  "},
      {Format("%0.4s%0.4s", {"0409", "04E4"}), "040904E4"},
      {Format("%.4s|%0.2s", {"ABCDEFG", "X"}), "ABCD|X"},
      {Format("%s", {withNul}), withNul},
      {Format("External exception %x", {0xC000001Du}),
       "External exception C000001D"},
      {Format("%p", {reinterpret_cast<const void*>(0xABC)}), "00000ABC"},
      {Format("100%% %s", {"sure"}), "100% sure"},
      {Format("missing %s and %d", {"one"}), "missing one and "},
      {Format("trailing %", {}), "trailing %"},
      {Format("\x82\xA0 %s", {"\x93\xFA"}), "\x82\xA0 \x93\xFA"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.actual, c.expected);
}

}  // namespace
