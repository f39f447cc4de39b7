// A user's program: loads a locale through the C++ API and prints one value and the whole tree.
#include <cstdio>
#include <tarnevo/tarnevo.hpp>

static_assert(TARNEVO_VERSION_MAJOR >= 0 && TARNEVO_VERSION_MINOR >= 0 &&
              TARNEVO_VERSION_PATCH >= 0);

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  auto loader = tarnevo::LocaleLoader::create(argv[1], "en");
  if (!loader) {
    std::fprintf(stderr, "%s\n", loader.error().message().c_str());
    return 1;
  }
  auto tree = loader->load_shared("fr");
  if (!tree) return 1;
  const tarnevo::LocaleValue* home = (*tree)->find({"nav", "home"});
  if (home == nullptr || !home->is_string()) return 1;
  std::printf("%s %s\n", home->as_string().c_str(), tarnevo::to_json(**tree).c_str());
  return 0;
}
