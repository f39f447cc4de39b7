// The core's one error type. Callers see it only through its display text.
#pragma once

#include <cstdint>
#include <string>
#include <variant>

#include "tarnevo/format.hpp"
#include "tarnevo/state.hpp"

namespace tarnevo {

class LoaderError {
 public:
  enum class Kind : std::uint8_t { Fsm, Parse, Io, LocaleNotFound, DirectoryNotFound };

  // A refused state transition.
  static LoaderError fsm(LoaderState from, LoaderState to);
  // A locale file that does not read as its format.
  static LoaderError parse(const FormatError& error);
  // An operating-system error, shown as its description and "(os error N)".
  static LoaderError io_os(int error_code);
  // A file-system error described by a fixed message.
  static LoaderError io_message(std::string message);
  // A locale file whose bytes are not UTF-8.
  static LoaderError invalid_utf8();
  static LoaderError locale_not_found(std::string locale);
  // `path` is the caller's bytes; invalid UTF-8 in it is shown as U+FFFD.
  static LoaderError directory_not_found(std::string_view path);

  Kind kind() const noexcept { return kind_; }
  // The display text: "FSM Error: ...", "Parse Error: ...", "IO Error: ...",
  // "Locale not found: ..." or "Directory not found: ...".
  std::string message() const;

  // The refused transition, for Fsm errors.
  LoaderState fsm_from() const noexcept { return from_; }
  LoaderState fsm_to() const noexcept { return to_; }

  // The locale file that the error came from (the loader's directory path as given, then the
  // file's path below it); empty when it came from no file. Not part of message().
  const std::string& path() const noexcept { return path_; }
  LoaderError&& with_path(std::string path) && {
    path_ = std::move(path);
    return std::move(*this);
  }

 private:
  LoaderError(Kind kind, std::string detail) : kind_(kind), detail_(std::move(detail)) {}

  Kind kind_;
  LoaderState from_ = LoaderState::Uninitialized;
  LoaderState to_ = LoaderState::Uninitialized;
  // The carried item's own text: the FormatError's message, the OS text, the name or the path.
  std::string detail_;
  std::string path_;
};

}  // namespace tarnevo
