/* A tiny check macro for the C tests: report every failed check, fail the program at the end. */
#ifndef TARNEVO_TEST_CHECK_H
#define TARNEVO_TEST_CHECK_H

#include <stdio.h>
#include <string.h>

static int check_failures = 0;

#define CHECK(condition)                                                            \
  do {                                                                              \
    if (!(condition)) {                                                             \
      fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
      ++check_failures;                                                             \
    }                                                                               \
  } while (0)

/* Compares a returned string with the expected text and gives the string back. */
#define CHECK_TEXT(returned, expected)                                                  \
  do {                                                                                  \
    char* text_ = (returned);                                                           \
    if (text_ == NULL || strcmp(text_, (expected)) != 0) {                              \
      fprintf(stderr, "%s:%d: expected %s\n  got %s\n", __FILE__, __LINE__, (expected), \
              text_ ? text_ : "(null)");                                                \
      ++check_failures;                                                                 \
    }                                                                                   \
    tarnevo_free_string(text_);                                                         \
  } while (0)

#endif
