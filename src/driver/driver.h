// The command line and the run: options and file names, the probe of the line ends, the streams,
// the scanner loop and the exit status.
#pragma once

#include <string>
#include <vector>

#include "scanner/scanner.h"

namespace tenmaru {

enum class encoding_choice { automatic, shift_jis, utf8 };

// What the run does with the file names.
enum class run_mode {
  convert,   // the first name is the input, the second (if any) the output
  check,     // every name is an input; the changes are reported, nothing is written
  in_place,  // every name is converted in place
};

struct command_line {
  int punct_style = DEFAULT_PUNCT_STYLE;
  std::string input_name;
  std::string output_name;  // empty: standard output
  int name_count = 0;

  // Set by long options, wherever they stand on the command line.
  run_mode mode = run_mode::convert;
  bool keep_line_ends = false;
  bool keep_verbatim = false;
  bool keep_ellipsis = false;
  encoding_choice encoding = encoding_choice::automatic;
  std::vector<std::string> text_commands;
  bool show_help = false;
  bool show_version = false;

  std::vector<std::string> files;  // the names, when every name is an input (check, in place)
};

// Reads the options and file names and reports each on standard error: first the long options
// this program knows, then the rest in order. Returns false when the run must end at once with
// status 1 (a third file name, a long option with a value it does not take, options that do not
// go together).
bool parse_arguments(int argc, char** argv, command_line& cl);

// Writes the usage text to standard error.
void print_usage();

// Reads the first line from the current position: 1 when a CR comes before the first LF.
int has_crlf_line_ends(input_stream& in);

// The whole run; returns the exit status.
int run(int argc, char** argv);

// The three kinds of run, once the command line is read; each returns the exit status.
int convert_file(const command_line& cl);
int check_files(const command_line& cl);
int convert_files_in_place(const command_line& cl);

}  // namespace tenmaru
