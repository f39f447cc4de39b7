#include "tarnevo/error.hpp"

#include <cstring>
#include <string_view>

#include "text/utf8.hpp"

namespace tarnevo {

LoaderError LoaderError::fsm(LoaderState from, LoaderState to) {
  LoaderError error(Kind::Fsm, std::string());
  error.from_ = from;
  error.to_ = to;
  return error;
}

LoaderError LoaderError::parse(const FormatError& error) {
  return {Kind::Parse, error.message()};
}

LoaderError LoaderError::io_os(int error_code) {
  // The GNU strerror_r may return a static text instead of filling the buffer.
  char buffer[256];
  const char* description = ::strerror_r(error_code, buffer, sizeof buffer);
  std::string detail(description);
  detail.append(" (os error ").append(std::to_string(error_code)).append(")");
  return {Kind::Io, std::move(detail)};
}

LoaderError LoaderError::io_message(std::string message) {
  return {Kind::Io, std::move(message)};
}

LoaderError LoaderError::invalid_utf8() {
  return io_message("stream did not contain valid UTF-8");
}

LoaderError LoaderError::locale_not_found(std::string locale) {
  return {Kind::LocaleNotFound, std::move(locale)};
}

LoaderError LoaderError::directory_not_found(std::string_view path) {
  return {Kind::DirectoryNotFound, detail::text::to_utf8_lossy(path)};
}

std::string LoaderError::message() const {
  std::string_view prefix;
  switch (kind_) {
    case Kind::Fsm: {
      std::string text("FSM Error: Invalid state transition from ");
      text.append(state_name(from_)).append(" to ").append(state_name(to_));
      return text;
    }
    case Kind::Parse:
      prefix = "Parse Error: ";
      break;
    case Kind::Io:
      prefix = "IO Error: ";
      break;
    case Kind::LocaleNotFound:
      prefix = "Locale not found: ";
      break;
    case Kind::DirectoryNotFound:
      prefix = "Directory not found: ";
      break;
  }
  std::string text;
  text.reserve(prefix.size() + detail_.size());
  text.append(prefix).append(detail_);
  return text;
}

}  // namespace tarnevo
