# libyaml, looked for before anything else so that a machine without it stops at once with one
# message that says what to install, instead of a generic "package not found" later on.
#
# Sets TARNEVO_YAML_INCLUDE_DIR (holding yaml.h) and TARNEVO_YAML_LIBRARY: the static archive
# where there is one (Debian builds it position-independent, so the shared libraries tarnevo
# ships need no libyaml at run time), else the shared library. Both are cache entries a user may
# set by hand; one that names a place without libyaml counts as missing.
include_guard(GLOBAL)

find_package(PkgConfig QUIET)
if(PKG_CONFIG_FOUND)
  pkg_check_modules(TARNEVO_YAML_PC QUIET yaml-0.1)
endif()
find_path(TARNEVO_YAML_INCLUDE_DIR yaml.h HINTS ${TARNEVO_YAML_PC_INCLUDE_DIRS})
find_library(TARNEVO_YAML_LIBRARY NAMES libyaml.a yaml HINTS ${TARNEVO_YAML_PC_LIBRARY_DIRS})

if(NOT EXISTS "${TARNEVO_YAML_INCLUDE_DIR}/yaml.h" OR NOT EXISTS "${TARNEVO_YAML_LIBRARY}")
  message(FATAL_ERROR
    "tarnevo needs libyaml and its headers, which were not found. Install them:\n"
    "  Debian, Ubuntu:  apt-get install libyaml-dev\n"
    "  Fedora:          dnf install libyaml-devel\n"
    "  Alpine:          apk add yaml-dev\n"
    "  macOS:           brew install libyaml\n"
    "or point TARNEVO_YAML_INCLUDE_DIR (yaml.h) and TARNEVO_YAML_LIBRARY at them.")
endif()
