#include "driver/driver.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/platform.h"

#ifndef TENMARU_VERSION
#error "TENMARU_VERSION must give the program's version"
#endif

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

void write_usage(std::FILE* to) {
  for (const char* line : USAGE_LINES) std::fputs(line, to);
}

void say(const std::string& message) { std::fputs(message.c_str(), stderr); }

bool choose_mode(command_line& cl, run_mode mode) {
  if (cl.mode != run_mode::convert && cl.mode != mode) {
    say("--check and --in-place do not go together.\n");
    return false;
  }
  cl.mode = mode;
  return true;
}

bool choose_encoding(command_line& cl, std::string_view value) {
  if (value == "auto") {
    cl.encoding = encoding_choice::automatic;
  } else if (value == "sjis") {
    cl.encoding = encoding_choice::shift_jis;
  } else if (value == "utf8") {
    cl.encoding = encoding_choice::utf8;
  } else {
    say("unknown encoding " + std::string(value) + ": use auto, sjis or utf8.\n");
    return false;
  }
  return true;
}

bool add_text_commands(command_line& cl, std::string_view value) {
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = value.find(',', start);
    const std::string_view name = value.substr(start, comma - start);
    if (name.empty()) {
      say("--text-command=" + std::string(value) + ": a command name is empty.\n");
      return false;
    }
    cl.text_commands.emplace_back(name);
    if (comma == std::string_view::npos) return true;
    start = comma + 1;
  }
}

template <bool command_line::*flag>
bool set_flag(command_line& cl, std::string_view) {
  cl.*flag = true;
  return true;
}

// The long options. A name that ends in '=' takes the rest of the argument as its value;
// apply() returns false, after saying why, for a value it does not take. Every other argument
// that begins with "--" is an unknown option like any other ("unknown option --").
struct long_option {
  std::string_view name;
  std::string_view value;  // how its value is written, for the help text
  std::string_view help;
  bool (*apply)(command_line& cl, std::string_view value);
};

constexpr long_option LONG_OPTIONS[] = {
    {"--check", "", "report what a conversion would change, write nothing",
     [](command_line& cl, std::string_view) { return choose_mode(cl, run_mode::check); }},
    {"--in-place", "", "convert every named file in place",
     [](command_line& cl, std::string_view) { return choose_mode(cl, run_mode::in_place); }},
    {"--keep-line-ends", "", "keep LF line ends as they are",
     set_flag<&command_line::keep_line_ends>},
    {"--text-command=", "NAME[,NAME...]", "convert the arguments of these commands too",
     add_text_commands},
    {"--encoding=", "auto|sjis|utf8", "the encoding of the input (default auto)", choose_encoding},
    {"--keep-verbatim", "", "leave verbatim environments and \\verb arguments unchanged",
     set_flag<&command_line::keep_verbatim>},
    {"--keep-ellipsis", "", "leave runs of ASCII full stops unchanged",
     set_flag<&command_line::keep_ellipsis>},
    {"--help", "", "show this message and exit", set_flag<&command_line::show_help>},
    {"--version", "", "show the version and exit", set_flag<&command_line::show_version>},
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

void print_help() {
  write_usage(stdout);
  for (const auto& option : LONG_OPTIONS) {
    std::string line(option.name);
    line += option.value;
    line += ": ";
    line += option.help;
    line += '\n';
    std::fputs(line.c_str(), stdout);
  }
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

// A file name: the input, then the output; with --check or --in-place, every one is an input.
bool take_name(const char* arg, command_line& cl) {
  if (cl.mode != run_mode::convert) {
    cl.files.emplace_back(arg);
    std::fprintf(stderr, "input from %s\n", arg);
  } else if (cl.name_count == 2) {
    std::fputs("Too many file name specified.\n", stdout);
    std::fflush(stdout);
    print_usage();
    return false;
  } else if (cl.name_count == 0) {
    cl.input_name = arg;
    std::fprintf(stderr, "input from %s\n", arg);
  } else {
    cl.output_name = arg;
    std::fprintf(stderr, "output to %s\n", arg);
  }
  ++cl.name_count;
  return true;
}

// Converting one file twice in place would convert it twice over.
bool names_differ(const command_line& cl) {
  for (std::size_t i = 0; i < cl.files.size(); ++i) {
    for (std::size_t j = 0; j < i; ++j) {
      if (platform::same_file(cl.files[i], cl.files[j])) {
        say(cl.files[j] + " and " + cl.files[i] + " are the same file.\n");
        return false;
      }
    }
  }
  return true;
}

bool standard_output_ok() { return std::fflush(stdout) == 0 && !std::ferror(stdout); }

}  // namespace

void print_usage() { write_usage(stderr); }

bool parse_arguments(int argc, char** argv, command_line& cl) {
  for (int i = 1; i < argc; ++i) {
    std::string_view value;
    const long_option* option = find_long_option(argv[i], &value);
    if (option != nullptr && !option->apply(cl, value)) return false;
  }
  if (cl.show_help || cl.show_version) return true;
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    if (find_long_option(arg) != nullptr) continue;
    if (arg[0] == '-') {
      take_option(arg, cl);
    } else if (!take_name(arg, cl)) {
      return false;
    }
  }
  return true;
}

// Looks at the bytes as stored, a block at a time.
int has_crlf_line_ends(input_stream& in) {
  for (;;) {
    std::size_t size = 0;
    const unsigned char* bytes = in.peek_raw(size);
    if (size == 0) return 0;
    const void* lf = std::memchr(bytes, '\n', size);
    const std::size_t before =
        lf == nullptr ? size
                      : static_cast<std::size_t>(static_cast<const unsigned char*>(lf) - bytes);
    if (std::memchr(bytes, '\r', before) != nullptr) return 1;
    if (lf != nullptr) return 0;
    in.skip_raw(size);
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
  if (cl.show_help || cl.show_version) {
    if (cl.show_help)
      print_help();
    else
      std::fputs("tenmaru " TENMARU_VERSION "\n", stdout);
    if (standard_output_ok()) return 0;
    say("cannot write standard output.\n");
    return 1;
  }
  const bool named = cl.mode == run_mode::convert ? !cl.input_name.empty() : !cl.files.empty();
  if (!named) {
    std::fputs("Filename unspecified.\n", stderr);
    return 1;
  }
  switch (cl.mode) {
    case run_mode::convert: return convert_file(cl);
    case run_mode::check: return check_files(cl);
    case run_mode::in_place: return names_differ(cl) ? convert_files_in_place(cl) : 1;
  }
  return 1;
}

}  // namespace tenmaru
