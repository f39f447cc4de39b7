#include "yaml/events.hpp"

#include <cstring>
#include <new>

namespace tarnevo::detail::yaml {

namespace {

Mark to_mark(const yaml_mark_t& mark) noexcept {
  return Mark{mark.index, mark.line, mark.column};
}

}  // namespace

Event::Event() noexcept {
  std::memset(&raw_, 0, sizeof raw_);
}

Event::~Event() {
  reset();
}

void Event::reset() noexcept {
  // Deleting an empty (zeroed) event is a no-op in libyaml.
  yaml_event_delete(&raw_);
}

Mark Event::start() const noexcept {
  return to_mark(raw_.start_mark);
}

EventParser::EventParser(std::string_view text) : text_(text) {
  if (yaml_parser_initialize(&parser_) == 0) throw std::bad_alloc();
  // libyaml asserts a non-null input, which an empty view need not have.
  const char* input = text.data() != nullptr ? text.data() : "";
  yaml_parser_set_input_string(&parser_, reinterpret_cast<const unsigned char*>(input),
                               text.size());
}

EventParser::~EventParser() {
  yaml_parser_delete(&parser_);
}

bool EventParser::next(Event& event) {
  event.reset();
  if (yaml_parser_parse(&parser_, &event.raw_) != 0) return true;
  if (parser_.error == YAML_MEMORY_ERROR) throw std::bad_alloc();
  return false;
}

std::string EventParser::error_message() const {
  std::string out(parser_.problem != nullptr ? parser_.problem : "unknown YAML error");
  const yaml_mark_t& problem = parser_.problem_mark;
  const bool problem_at_start = problem.line == 0 && problem.column == 0;
  // Reader errors (bad encoding, control characters) carry a byte offset instead of a mark.
  std::size_t problem_offset = 0;
  if (problem_at_start) {
    problem_offset =
        problem.index != 0 ? byte_offset_of(text_, problem.index) : parser_.problem_offset;
  }
  append_position(out, problem.line, problem.column, problem_offset);

  if (parser_.context != nullptr) {
    out.append(", ").append(parser_.context);
    const yaml_mark_t& context = parser_.context_mark;
    if (context.line != problem.line || context.column != problem.column) {
      const bool context_at_start = context.line == 0 && context.column == 0;
      append_position(out, context.line, context.column,
                      context_at_start ? byte_offset_of(text_, context.index) : 0);
    }
  }
  return out;
}

}  // namespace tarnevo::detail::yaml
