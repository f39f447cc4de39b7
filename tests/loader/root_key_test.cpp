#include "loader/root_key.hpp"

#include <gtest/gtest.h>

#include <vector>

#include "tree_builders.hpp"

namespace tarnevo::detail::loader {
namespace {

using namespace tarnevo::testing;

TEST(RootKey, LocaleNamesCompareAcrossCaseAndSeparator) {
  EXPECT_TRUE(same_locale_name("pt-BR", "pt_br"));
  EXPECT_TRUE(same_locale_name("EN", "en"));
  EXPECT_FALSE(same_locale_name("pt", "pt_BR"));
  EXPECT_FALSE(same_locale_name("en", "fr"));
  EXPECT_FALSE(same_locale_name("e-", "e."));
}

TEST(RootKey, AutoNeedsEveryDefaultFileRootedInTheDefault) {
  const LocaleValue rooted = obj({{"EN", obj({{"hello", str("Hello")}})}});
  const LocaleValue also_rooted = obj({{"en", obj({{"bye", str("Bye")}})}});
  const LocaleValue plain = obj({{"hello", str("Hello")}});
  const LocaleValue two_keys = obj({{"en", obj({})}, {"x", str("y")}});
  const LocaleValue list = arr({str("en")});

  const std::vector<const LocaleValue*> all_rooted{&rooted, &also_rooted};
  const std::vector<const LocaleValue*> one_plain{&rooted, &plain};
  EXPECT_TRUE(directory_root_keyed(RootKey::Auto, all_rooted, "en"));
  EXPECT_FALSE(directory_root_keyed(RootKey::Auto, all_rooted, "fr"));
  EXPECT_FALSE(directory_root_keyed(RootKey::Auto, one_plain, "en"));
  EXPECT_FALSE(directory_root_keyed(RootKey::Auto, {}, "en"));
  EXPECT_FALSE(directory_root_keyed(RootKey::Off, all_rooted, "en"));
  EXPECT_TRUE(directory_root_keyed(RootKey::On, one_plain, "en"));
  EXPECT_FALSE(rooted_in(two_keys, "en"));
  EXPECT_FALSE(rooted_in(list, "en"));
}

TEST(RootKey, BeneathTheKeyOnlyWhenItNamesTheLocale) {
  const LocaleValue inner = obj({{"hello", str("Hallo")}});
  EXPECT_EQ(beneath_root_key(obj({{"de", inner}}), "de"), inner);
  EXPECT_EQ(beneath_root_key(obj({{"de_DE", inner}}), "de-de"), inner);
  const LocaleValue foreign = obj({{"fr", inner}});
  EXPECT_EQ(beneath_root_key(foreign, "de"), foreign);
}

}  // namespace
}  // namespace tarnevo::detail::loader
