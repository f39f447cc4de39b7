/* The C interface as a C program sees it: null and ill-formed arguments, the JSON texts byte
 * for byte, fallback and filling, and strings that outlive their loader. */
#include <stdbool.h>
#include <stdlib.h>

#include "check.h"
#include "tarnevo.h"
#include "temp_tree.h"

static const char* const kIllFormed[] = {
    "\xC0\xAF",         /* overlong "/" */
    "\xE0\x80\xAF",     /* overlong, three bytes */
    "\xED\xA0\x80",     /* encoded surrogate */
    "\xF4\x90\x80\x80", /* above U+10FFFF */
    "\xE2\x82",         /* truncated */
    "en\xFF",
};
enum { kIllFormedCount = sizeof kIllFormed / sizeof kIllFormed[0] };

static void null_and_missing_arguments(void) {
  char dir[256];
  temp_dir(dir);
  put_file(dir, "en.json", "{}");
  put_file(dir, "plain-file.json", "{}");
  char file_path[512];
  snprintf(file_path, sizeof file_path, "%s/plain-file.json", dir);
  char missing[512];
  snprintf(missing, sizeof missing, "%s/does-not-exist", dir);

  CHECK(tarnevo_create_loader(NULL, "en") == NULL);
  CHECK(tarnevo_create_loader(NULL, NULL) == NULL);
  CHECK(tarnevo_create_loader(missing, NULL) == NULL);
  CHECK(tarnevo_create_loader(file_path, NULL) == NULL);
  for (int i = 0; i < kIllFormedCount; ++i)
    CHECK(tarnevo_create_loader(kIllFormed[i], NULL) == NULL);

  CHECK(!tarnevo_exists(NULL, "en"));
  CHECK(tarnevo_load_json(NULL, "en") == NULL);
  CHECK(tarnevo_languages_json(NULL) == NULL);
  tarnevo_free_string(NULL);
  tarnevo_free_loader(NULL);

  LocaleLoader* loader = tarnevo_create_loader(dir, NULL);
  CHECK(loader != NULL);
  CHECK(!tarnevo_exists(loader, NULL));
  CHECK(tarnevo_load_json(loader, NULL) == NULL);
  for (int i = 0; i < kIllFormedCount; ++i) {
    CHECK(!tarnevo_exists(loader, kIllFormed[i]));
    CHECK(tarnevo_load_json(loader, kIllFormed[i]) == NULL);
  }
  tarnevo_free_loader(loader);
  remove_tree(dir);
}

static void default_locale_choice(void) {
  char dir[256];
  temp_dir(dir);
  put_file(dir, "en.json", "{\"from\":\"en\"}");
  put_file(dir, "de.json", "{\"from\":\"de\"}");

  /* Null and ill-formed defaults mean "en": an unknown locale falls back to it. */
  const char* const defaults_meaning_en[] = {NULL, "\xFF", "\xED\xA0\x80"};
  for (int i = 0; i < 3; ++i) {
    LocaleLoader* loader = tarnevo_create_loader(dir, defaults_meaning_en[i]);
    CHECK(loader != NULL);
    CHECK_TEXT(tarnevo_load_json(loader, "xx"), "{\"from\":\"en\"}");
    tarnevo_free_loader(loader);
  }

  LocaleLoader* german = tarnevo_create_loader(dir, "de");
  CHECK_TEXT(tarnevo_load_json(german, "xx"), "{\"from\":\"de\"}");
  tarnevo_free_loader(german);

  /* An empty default is kept: nothing named "" exists, so unknown locales find nothing. */
  LocaleLoader* empty = tarnevo_create_loader(dir, "");
  CHECK(empty != NULL);
  CHECK(tarnevo_load_json(empty, "xx") == NULL);
  CHECK_TEXT(tarnevo_load_json(empty, "de"), "{\"from\":\"de\"}");
  tarnevo_free_loader(empty);
  remove_tree(dir);
}

static void languages_and_exists(void) {
  char dir[256];
  temp_dir(dir);
  LocaleLoader* none = tarnevo_create_loader(dir, NULL);
  CHECK_TEXT(tarnevo_languages_json(none), "[]");
  tarnevo_free_loader(none);

  put_file(dir, "fr.json", "{}");
  put_file(dir, "en-US.yaml", "a: b\n");
  put_file(dir, "de.toml", "");
  put_file(dir, "en/common.json", "{}");
  put_file(dir, "notes.txt", "not a locale");
  LocaleLoader* loader = tarnevo_create_loader(dir, NULL);
  CHECK_TEXT(tarnevo_languages_json(loader), "[\"de\",\"en\",\"en-US\",\"fr\"]");
  const char* const known[] = {"de", "en", "en-US", "fr"};
  for (int i = 0; i < 4; ++i) CHECK(tarnevo_exists(loader, known[i]));
  const char* const unknown[] = {"EN", "en-us", "Fr", "", "notes", "en/common", "../en"};
  for (int i = 0; i < 7; ++i) CHECK(!tarnevo_exists(loader, unknown[i]));
  tarnevo_free_loader(loader);
  remove_tree(dir);
}

static void json_text_is_exact(void) {
  char dir[256];
  temp_dir(dir);
  put_file(dir, "en.json",
           "{\"greeting\": \"Hello, {name}!\", \"b\": [1, -2, 1.5, true, null],\n"
           " \"esc\": \"tab\\there \\\"q\\\" \\\\ / \xC3\xA9 \\u0001 \\u0000\",\n"
           " \"a\": {\"z\": 1e21, \"y\": 0.00001, \"x\": 18446744073709551615, \"w\": -0},\n"
           " \"B\": 1.0, \"empty\": {}}");
  put_file(dir, "fr.json",
           "{\"greeting\": \"Bonjour, {name} !\", \"esc\": null, \"a\": {\"y\": 2}}");
  put_file(dir, "nothing.json", "{}");
  put_file(dir, "list.json", "[1, 2]");
  put_file(dir, "broken.json", "{\"a\": ");

  LocaleLoader* loader = tarnevo_create_loader(dir, "en");
  const char* const english =
      "{\"B\":1.0,\"a\":{\"w\":-0.0,\"x\":18446744073709551615,\"y\":0.00001,\"z\":1e+21},"
      "\"b\":[1,-2,1.5,true,null],\"empty\":{},"
      "\"esc\":\"tab\\there \\\"q\\\" \\\\ / \xC3\xA9 \\u0001 \\u0000\","
      "\"greeting\":\"Hello, {name}!\"}";
  CHECK_TEXT(tarnevo_load_json(loader, "en"), english);
  /* Filled from the default: missing keys and the null leaf come from en. */
  CHECK_TEXT(tarnevo_load_json(loader, "fr"),
             "{\"B\":1.0,\"a\":{\"w\":-0.0,\"x\":18446744073709551615,\"y\":2,\"z\":1e+21},"
             "\"b\":[1,-2,1.5,true,null],\"empty\":{},"
             "\"esc\":\"tab\\there \\\"q\\\" \\\\ / \xC3\xA9 \\u0001 \\u0000\","
             "\"greeting\":\"Bonjour, {name} !\"}");
  /* Falling back: an unknown locale and an unparsable one both answer with en. */
  CHECK_TEXT(tarnevo_load_json(loader, "xx"), english);
  CHECK_TEXT(tarnevo_load_json(loader, "broken"), english);
  tarnevo_free_loader(loader);

  /* Without the default, a locale with no content is "{}" and a list contributes nothing. */
  LocaleLoader* no_default = tarnevo_create_loader(dir, "zz");
  CHECK_TEXT(tarnevo_load_json(no_default, "nothing"), "{}");
  CHECK_TEXT(tarnevo_load_json(no_default, "list"), "{}");
  CHECK(tarnevo_load_json(no_default, "xx") == NULL);
  CHECK(tarnevo_load_json(no_default, "broken") == NULL);
  tarnevo_free_loader(no_default);
  remove_tree(dir);
}

static void strings_outlive_their_loader(void) {
  char dir[256];
  temp_dir(dir);
  put_file(dir, "en.json", "{\"k\":\"v\"}");
  LocaleLoader* loader = tarnevo_create_loader(dir, NULL);
  char* languages = tarnevo_languages_json(loader);
  char* english = tarnevo_load_json(loader, "en");
  char* again = tarnevo_load_json(loader, "en");
  tarnevo_free_loader(loader);
  remove_tree(dir);
  CHECK(languages != NULL && strcmp(languages, "[\"en\"]") == 0);
  CHECK(english != NULL && strcmp(english, "{\"k\":\"v\"}") == 0);
  CHECK(english != again);
  tarnevo_free_string(languages);
  tarnevo_free_string(english);
  tarnevo_free_string(again);
}

int main(void) {
  null_and_missing_arguments();
  default_locale_choice();
  languages_and_exists();
  json_text_is_exact();
  strings_outlive_their_loader();
  if (check_failures != 0) {
    fprintf(stderr, "%d check(s) failed\n", check_failures);
    return 1;
  }
  return 0;
}
