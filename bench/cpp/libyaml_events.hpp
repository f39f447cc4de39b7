// libyaml's parser alone: every event until the end of the stream, each deleted at once. The
// floor under our YAML reader, shared by the benchmarks that set one beside the other.
#pragma once

#include <yaml.h>

#include <cstdio>
#include <string>

inline bool run_libyaml_events(const std::string& text) {
  yaml_parser_t parser;
  if (!yaml_parser_initialize(&parser)) return false;
  yaml_parser_set_input_string(&parser, reinterpret_cast<const unsigned char*>(text.data()),
                               text.size());
  bool ok = true;
  for (bool done = false; !done;) {
    yaml_event_t event;
    if (!yaml_parser_parse(&parser, &event)) {
      std::fprintf(stderr, "libyaml: %s at line %zu\n", parser.problem ? parser.problem : "error",
                   parser.problem_mark.line + 1);
      ok = false;
      break;
    }
    done = event.type == YAML_STREAM_END_EVENT;
    yaml_event_delete(&event);
  }
  yaml_parser_delete(&parser);
  return ok;
}
