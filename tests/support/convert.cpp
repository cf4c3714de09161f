#include "support/convert.h"

#include "stream/file_streams.h"

namespace tenmaru::test {

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
  convert(s, in, out);
  out.flush();
  return {std::move(sink.text), in.buffered_capacity()};
}

std::string convert_bytes(std::string_view input, const conversion& how) {
  return convert_measured(input, how).output;
}

}  // namespace tenmaru::test
