#include <gtest/gtest.h>

#include <string>

#include "base/Cp1251Text.h"

namespace kestrimo {
namespace {

TEST(Cp1251Text, RussianLettersBecomeSingleBytes) {
  constexpr auto name = ToCp1251(u8"Удаление логотипов");
  EXPECT_EQ(std::string(name.c_str()),
            "\xD3\xE4\xE0\xEB\xE5\xED\xE8\xE5 \xEB\xEE\xE3\xEE\xF2\xE8\xEF\xEE\xE2");
}

TEST(Cp1251Text, EdgesOfTheAlphabetAndThePunctuation) {
  constexpr auto text = ToCp1251(u8"АяЁё«№»—\n");
  EXPECT_EQ(std::string(text.c_str()), "\xC0\xFF\xA8\xB8\xAB\xB9\xBB\x97\n");
}

}  // namespace
}  // namespace kestrimo
