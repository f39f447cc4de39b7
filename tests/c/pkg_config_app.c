/* A user's program, built from an installed copy with pkg-config: lists and loads a locale. */
#include <stdio.h>
#include <tarnevo.h>

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  LocaleLoader* loader = tarnevo_create_loader(argv[1], NULL);
  if (loader == NULL) return 1;
  char* text = tarnevo_load_json(loader, "en");
  puts(text ? text : "(null)");
  tarnevo_free_string(text);
  tarnevo_free_loader(loader);
  return 0;
}
