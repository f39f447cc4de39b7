// What a load got past, told to Python's standard `logging` module on the logger "tarnevo",
// beside the value or exception that the call returns unchanged. Only a miss has anything to
// tell; a cache hit never reaches here.
#pragma once

#include "python.hpp"
#include "tarnevo/loader.hpp"

namespace tarnevo::python {

// After a miss of `locale`: WARNING for each locale whose files failed (with the file and the
// loader's message), INFO when `locale` is not in the directory and another locale answers.
void log_load_notes(const LocaleLoader& loader, std::string_view locale, const LoadNotes& notes);

// After a loader is made: WARNING when its default locale has no files in the directory.
void log_missing_default(const LocaleLoader& loader);

}  // namespace tarnevo::python
