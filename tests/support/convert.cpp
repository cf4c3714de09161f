#include "support/convert.h"

#include "stream/file_streams.h"

namespace tenmaru::test {

namespace {

class counting_listener final : public change_listener {
 public:
  void mark_replaced(output_stream&, int, mark_kind) override { ++count; }
  void blanks_removed(output_stream&, long long, bool, int) override { ++count; }
  long long count = 0;
};

}  // namespace

measured_conversion convert_measured(std::string_view input, const conversion& how) {
  memory_source source(input, how.seekable);
  input_stream in(source, how.block_size);
  in.set_mode(how.mode);
  memory_sink sink;
  output_stream out(sink, how.line_ends);
  scanner s;
  s.punct_style = how.style;
  s.encoding = how.encoding;
  s.keep_verbatim = how.keep_verbatim;
  s.keep_ellipsis = how.keep_ellipsis;
  counting_listener changes;
  s.changes = &changes;
  convert(s, in, out);
  out.flush();
  return {std::move(sink.text), in.buffered_capacity(), changes.count};
}

std::string convert_bytes(std::string_view input, const conversion& how) {
  return convert_measured(input, how).output;
}

}  // namespace tenmaru::test
