/* Several threads share one loader handle: loads, existence checks and listings run at once
 * and must all see the same answers. */
#include <pthread.h>
#include <stdbool.h>
#include <stdlib.h>

#include "check.h"
#include "tarnevo.h"
#include "temp_tree.h"

enum { kThreads = 4, kRounds = 300 };

static LocaleLoader* shared_loader;
static char* expected_fr;
static char* expected_languages;
static int thread_failures[kThreads];

static void* worker(void* argument) {
  const int index = (int)(size_t)argument;
  for (int round = 0; round < kRounds; ++round) {
    char* fr = tarnevo_load_json(shared_loader, round % 2 ? "fr" : "xx");
    if (round % 2 && (fr == NULL || strcmp(fr, expected_fr) != 0)) ++thread_failures[index];
    tarnevo_free_string(fr);
    if (!tarnevo_exists(shared_loader, "fr") || tarnevo_exists(shared_loader, "xx"))
      ++thread_failures[index];
    char* languages = tarnevo_languages_json(shared_loader);
    if (languages == NULL || strcmp(languages, expected_languages) != 0) ++thread_failures[index];
    tarnevo_free_string(languages);
  }
  return NULL;
}

int main(void) {
  char dir[256];
  temp_dir(dir);
  put_file(dir, "en.json", "{\"a\":\"A\",\"b\":{\"c\":\"C\"}}");
  put_file(dir, "fr/main.json", "{\"a\":\"Fr\"}");
  put_file(dir, "fr/extra/deep.yaml", "k: v\n");

  /* The expected texts come from a separate loader, so the shared one starts uncached. */
  LocaleLoader* reference = tarnevo_create_loader(dir, NULL);
  expected_fr = tarnevo_load_json(reference, "fr");
  expected_languages = tarnevo_languages_json(reference);
  tarnevo_free_loader(reference);
  CHECK(expected_fr != NULL && expected_languages != NULL);

  shared_loader = tarnevo_create_loader(dir, NULL);
  pthread_t threads[kThreads];
  for (int i = 0; i < kThreads; ++i) pthread_create(&threads[i], NULL, worker, (void*)(size_t)i);
  for (int i = 0; i < kThreads; ++i) {
    pthread_join(threads[i], NULL);
    CHECK(thread_failures[i] == 0);
  }
  tarnevo_free_loader(shared_loader);
  tarnevo_free_string(expected_fr);
  tarnevo_free_string(expected_languages);
  remove_tree(dir);
  return check_failures == 0 ? 0 : 1;
}
