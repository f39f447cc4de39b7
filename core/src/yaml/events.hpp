// Owning wrappers over libyaml's event parser: one parser over a borrowed text, and one event.
#pragma once

#include <yaml.h>

#include <string>
#include <string_view>

#include "yaml/position.hpp"

namespace tarnevo::detail::yaml {

// One parsed event; frees what libyaml allocated for it when replaced or destroyed.
class Event {
 public:
  Event() noexcept;
  ~Event();
  Event(const Event&) = delete;
  Event& operator=(const Event&) = delete;

  yaml_event_type_t type() const noexcept { return raw_.type; }
  const yaml_event_t& raw() const noexcept { return raw_; }
  Mark start() const noexcept;

 private:
  friend class EventParser;
  void reset() noexcept;

  yaml_event_t raw_;
};

// libyaml's parser over `text`, which must outlive it. Exhausted memory inside libyaml is an
// internal fault and surfaces as std::bad_alloc, like any other allocation failure.
class EventParser {
 public:
  explicit EventParser(std::string_view text);
  ~EventParser();
  EventParser(const EventParser&) = delete;
  EventParser& operator=(const EventParser&) = delete;

  // Replaces `event` with the next one; false when the text is not well-formed YAML, after
  // which error_message() describes why.
  bool next(Event& event);

  // libyaml's problem and context texts with their positions.
  std::string error_message() const;

 private:
  std::string_view text_;
  yaml_parser_t parser_;
};

}  // namespace tarnevo::detail::yaml
