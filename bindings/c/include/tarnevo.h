/* tarnevo: load an application's translations from C (C99 or later) and C++.
 *
 * Results are NUL-terminated compact JSON texts in blocks that the library allocates; give each
 * one back exactly once with tarnevo_free_string, before or after its loader is freed. Failure
 * is a null or false result; no reason is kept anywhere. Every string argument must be UTF-8;
 * the library only reads it during the call. */
#ifndef TARNEVO_H
#define TARNEVO_H

#include <stdbool.h>

#if defined(__GNUC__)
#define TARNEVO_API __attribute__((visibility("default")))
#else
#define TARNEVO_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* An opaque loader. Only ever handled through a pointer returned by tarnevo_create_loader. */
typedef struct LocaleLoader LocaleLoader;

/* Creates a loader for the locale directory `dir_path` and discovers its locale files.
 * `default_locale` (may be null, meaning "en"; ill-formed UTF-8 also means "en") is used to
 * complete and stand in for other locales. Returns null when `dir_path` is null, not UTF-8, or
 * not a directory. The caller owns the loader and frees it with tarnevo_free_loader. */
TARNEVO_API LocaleLoader* tarnevo_create_loader(const char* dir_path, const char* default_locale);

/* Whether the loader discovered `locale` (byte-exact). False for a null argument. */
TARNEVO_API bool tarnevo_exists(LocaleLoader* loader, const char* locale);

/* The discovered locale names as a JSON array in ascending byte order, e.g. ["de","en"].
 * The caller owns the string (tarnevo_free_string). Null for a null loader. */
TARNEVO_API char* tarnevo_languages_json(LocaleLoader* loader);

/* The locale's values as a JSON object, completed from the default locale, or the default
 * locale's values when `locale` cannot be loaded. Null when neither loads or an argument is
 * null. The caller owns the string (tarnevo_free_string). */
TARNEVO_API char* tarnevo_load_json(LocaleLoader* loader, const char* locale);

/* Gives back a string returned by this library. Null does nothing. */
TARNEVO_API void tarnevo_free_string(char* text);

/* Frees a loader and everything it caches. Strings it returned stay valid. Null does nothing. */
TARNEVO_API void tarnevo_free_loader(LocaleLoader* loader);

#ifdef __cplusplus
}
#endif

#endif /* TARNEVO_H */
