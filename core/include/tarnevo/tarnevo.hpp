// The whole C++ API: the loader, the value tree and its merges, errors, formats, the JSON writer
// and the version.
#pragma once

#include "tarnevo/error.hpp"
#include "tarnevo/format.hpp"
#include "tarnevo/json_writer.hpp"
#include "tarnevo/loader.hpp"
#include "tarnevo/merge.hpp"
#include "tarnevo/options.hpp"
#include "tarnevo/state.hpp"
#include "tarnevo/value.hpp"
#include "tarnevo/version.hpp"
