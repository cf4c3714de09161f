#include "driver/driver.h"

#include <cstdio>
#include <string>
#include <string_view>

#include "driver/output_file.h"
#include "platform/platform.h"
#include "stream/file_streams.h"

namespace tenmaru {

namespace {

// The usage text, line by line. The marks in it and in the style messages are Shift-JIS byte
// pairs: ， 0x81 0x43, 。 0x81 0x42, ． 0x81 0x44, 、 0x81 0x41.
constexpr const char* USAGE_LINES[] = {
    "Usage:\n",
    "tenmaru [-h] [-[1-4]] filename [output-file]\n",
    "-h: show this message\n",
    "-1: use \x81\x43 and \x81\x42(default) \n",
    "-2: use \x81\x43 and \x81\x44\n",
    "-3: use \x81\x41 and \x81\x42\n",
    "-4: use \x81\x41 and \x81\x44\n",
};

// What each style switch reports, from -1 to -4.
constexpr const char* STYLE_MESSAGES[PUNCT_STYLE_COUNT] = {
    "use \x81\x43 and \x81\x42\n",
    "use \x81\x43 and \x81\x44\n",
    "use \x81\x41 and \x81\x42\n",
    "use \x81\x41 and \x81\x44\n",
};

constexpr const char* STANDARD_OUTPUT_NAME = "standard output";

// A C file that is closed once, with the result of the closing checked.
class c_file {
 public:
  explicit c_file(std::FILE* file) : file_(file) {}
  c_file(const c_file&) = delete;
  c_file& operator=(const c_file&) = delete;
  ~c_file() { close(); }
  std::FILE* get() const { return file_; }
  bool close() {
    std::FILE* file = file_;
    file_ = nullptr;
    return file == nullptr || std::fclose(file) == 0;
  }

 private:
  std::FILE* file_;
};

// The long options. Every other argument that begins with "--" is an unknown option like any
// other ("unknown option --"), as it always was.
// A name that ends in '=' takes the rest of the argument as its value; apply() returns false
// for a value it does not take, after saying so.
struct long_option {
  std::string_view name;
  bool (*apply)(command_line& cl, std::string_view value);
};

bool choose_encoding(command_line& cl, std::string_view value) {
  if (value == "auto") {
    cl.encoding = encoding_choice::automatic;
  } else if (value == "sjis") {
    cl.encoding = encoding_choice::shift_jis;
  } else if (value == "utf8") {
    cl.encoding = encoding_choice::utf8;
  } else {
    std::fprintf(stderr, "unknown encoding %.*s: use auto, sjis or utf8.\n",
                 static_cast<int>(value.size()), value.data());
    return false;
  }
  return true;
}

constexpr long_option LONG_OPTIONS[] = {
    {"--encoding=", choose_encoding},
    {"--keep-verbatim",
     [](command_line& cl, std::string_view) {
       cl.keep_verbatim = true;
       return true;
     }},
    {"--keep-ellipsis",
     [](command_line& cl, std::string_view) {
       cl.keep_ellipsis = true;
       return true;
     }},
};

// The long option that `arg` is, with its value, or null.
const long_option* find_long_option(std::string_view arg, std::string_view* value = nullptr) {
  for (const auto& option : LONG_OPTIONS) {
    const bool takes_value = option.name.back() == '=';
    if (takes_value ? arg.substr(0, option.name.size()) == option.name : arg == option.name) {
      if (value != nullptr) *value = arg.substr(option.name.size());
      return &option;
    }
  }
  return nullptr;
}

void take_option(const char* arg, command_line& cl) {
  const char option = arg[1];
  if (option == '\0') {
    std::fputs("unspecified option!", stderr);
  } else if (option >= '1' && option <= '0' + PUNCT_STYLE_COUNT) {
    cl.punct_style = option - '0';
    std::fputs(STYLE_MESSAGES[cl.punct_style - 1], stderr);
  } else if (option == 'h') {
    print_usage();
  } else {
    std::fprintf(stderr, "unknown option -%c", option);
  }
}

// The second part of the run, once the command line is read: the input is opened and probed
// before the output is opened, so that a missing or unreadable input never touches the output.
int convert_file(const command_line& cl) {
  const std::string& input_name = cl.input_name;
  if (platform::is_directory(input_name)) {
    std::fprintf(stderr, "cannot read %s.\n", input_name.c_str());
    return 1;
  }
  c_file input_file(platform::open_file(input_name, "rb"));
  if (input_file.get() == nullptr) {
    std::fprintf(stderr, "file %s not found.\n", input_name.c_str());
    return 1;
  }
  file_source source(input_file.get(), platform::is_regular_file(input_name));
  input_stream in(source);
  const bool crlf = has_crlf_line_ends(in) != 0;
  if (in.failed()) {
    std::fprintf(stderr, "cannot read %s.\n", input_name.c_str());
    return 1;
  }
  in.seek(0);
  text_encoding encoding =
      cl.encoding == encoding_choice::utf8 ? text_encoding::utf8 : text_encoding::shift_jis;
  if (cl.encoding == encoding_choice::automatic) {
    const bool utf8 = detect_utf8(in);
    if (in.failed()) {
      std::fprintf(stderr, "cannot read %s.\n", input_name.c_str());
      return 1;
    }
    in.seek(0);
    if (utf8) {
      encoding = text_encoding::utf8;
      std::fputs("input is UTF-8\n", stderr);
    }
  }
  in.set_mode(crlf ? read_mode::text : read_mode::binary);

  const bool to_stdout = cl.output_name.empty();
  const std::string& output_label = to_stdout ? STANDARD_OUTPUT_NAME : cl.output_name;
  if (!to_stdout && platform::same_file(input_name, cl.output_name)) {
    std::fprintf(stderr, "cannot write %s: it is the input file.\n", cl.output_name.c_str());
    return 1;
  }
  output_file named_output;
  if (!to_stdout && !named_output.open(cl.output_name)) {
    std::fprintf(stderr, "cannot open %s.\n", cl.output_name.c_str());
    return 1;
  }
  file_sink sink(to_stdout ? stdout : named_output.stream());
  // A CR LF pair read in binary mode stays CR LF; every other line feed is written as CR LF.
  output_stream out(sink, crlf ? line_end_mode::crlf : line_end_mode::crlf_unless_after_cr);

  scanner s;
  s.punct_style = cl.punct_style;
  s.encoding = encoding;
  s.keep_verbatim = cl.keep_verbatim;
  s.keep_ellipsis = cl.keep_ellipsis;
  convert(s, in, out);

  const bool read_ok = !in.failed() && input_file.close();
  const bool flushed = out.flush();
  if (!read_ok) {
    named_output.abandon();
    std::fprintf(stderr, "cannot read %s.\n", input_name.c_str());
    return 1;
  }
  if (!flushed || !named_output.commit()) {
    std::fprintf(stderr, "cannot write %s.\n", output_label.c_str());
    return 1;
  }
  return 0;
}

}  // namespace

void print_usage() {
  for (const char* line : USAGE_LINES) std::fputs(line, stderr);
}

bool parse_arguments(int argc, char** argv, command_line& cl) {
  for (int i = 1; i < argc; ++i) {
    std::string_view value;
    const long_option* option = find_long_option(argv[i], &value);
    if (option != nullptr && !option->apply(cl, value)) return false;
  }
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    if (find_long_option(arg) != nullptr) continue;
    if (arg[0] == '-') {
      take_option(arg, cl);
      continue;
    }
    if (cl.name_count == 2) {
      std::fputs("Too many file name specified.\n", stdout);
      std::fflush(stdout);
      print_usage();
      return false;
    }
    if (cl.name_count == 0) {
      cl.input_name = arg;
      std::fprintf(stderr, "input from %s\n", arg);
    } else {
      cl.output_name = arg;
      std::fprintf(stderr, "output to %s\n", arg);
    }
    ++cl.name_count;
  }
  return true;
}

int has_crlf_line_ends(input_stream& in) {
  for (;;) {
    const int c = in.read();
    if (c == '\r') return 1;
    if (c == '\n' || c == END_OF_INPUT) return 0;
  }
}

int run(int argc, char** argv) {
  platform::prepare_standard_streams();
  if (argc <= 1) {
    print_usage();
    return 1;
  }
  command_line cl;
  if (!parse_arguments(argc, argv, cl)) return 1;
  if (cl.input_name.empty()) {
    std::fputs("Filename unspecified.\n", stderr);
    return 1;
  }
  return convert_file(cl);
}

}  // namespace tenmaru
