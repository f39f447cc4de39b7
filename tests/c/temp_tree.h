/* Temporary locale directories for the C tests. */
#ifndef TARNEVO_TEST_TEMP_TREE_H
#define TARNEVO_TEST_TEMP_TREE_H

#include <ftw.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

/* Makes a fresh directory under $TMPDIR (or /tmp); `out` receives its path. */
static void temp_dir(char out[256]) {
  const char* base = getenv("TMPDIR");
  snprintf(out, 256, "%s/tarnevo-c-XXXXXX", base ? base : "/tmp");
  if (mkdtemp(out) == NULL) {
    perror("mkdtemp");
    exit(2);
  }
}

/* Writes `content` to dir/relative, creating the intermediate directories. */
static void put_file(const char* dir, const char* relative, const char* content) {
  char path[1024];
  snprintf(path, sizeof path, "%s/%s", dir, relative);
  for (char* slash = strchr(path + strlen(dir) + 1, '/'); slash; slash = strchr(slash + 1, '/')) {
    *slash = '\0';
    mkdir(path, 0755);
    *slash = '/';
  }
  FILE* file = fopen(path, "wb");
  if (file == NULL) {
    perror(path);
    exit(2);
  }
  fputs(content, file);
  fclose(file);
}

static int remove_entry(const char* path, const struct stat* info, int flag, struct FTW* walk) {
  (void)info;
  (void)flag;
  (void)walk;
  return remove(path);
}

static void remove_tree(const char* dir) {
  nftw(dir, remove_entry, 16, FTW_DEPTH | FTW_PHYS);
}

#endif
