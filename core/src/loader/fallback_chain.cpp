#include "loader/fallback_chain.hpp"

namespace tarnevo::detail::loader {

std::vector<std::string_view> fallback_chain(std::string_view locale,
                                             std::string_view default_locale, Fallback fallback) {
  std::vector<std::string_view> chain{locale};
  if (fallback == Fallback::Regional) {
    for (std::string_view rest = locale;;) {
      const std::size_t cut = rest.find_last_of("-_");
      if (cut == std::string_view::npos) break;
      rest = rest.substr(0, cut);
      if (!rest.empty() && rest != default_locale) chain.push_back(rest);
    }
  }
  if (locale != default_locale) chain.push_back(default_locale);
  return chain;
}

}  // namespace tarnevo::detail::loader
