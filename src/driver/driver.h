// The command line and the run: options and file names, the probe of the line ends, the streams,
// the scanner loop and the exit status.
#pragma once

#include <string>

#include "scanner/scanner.h"

namespace tenmaru {

enum class encoding_choice { automatic, shift_jis, utf8 };

struct command_line {
  int punct_style = DEFAULT_PUNCT_STYLE;
  std::string input_name;
  std::string output_name;  // empty: standard output
  int name_count = 0;

  // Set by long options, wherever they stand on the command line.
  bool keep_verbatim = false;
  bool keep_ellipsis = false;
  encoding_choice encoding = encoding_choice::automatic;
};

// Reads the options and file names and reports each on standard error: first the long options
// this program knows, then the rest in order. Returns false when the run must end at once with
// status 1 (a third file name).
bool parse_arguments(int argc, char** argv, command_line& cl);

// Writes the usage text to standard error.
void print_usage();

// Reads the first line from the current position: 1 when a CR comes before the first LF.
int has_crlf_line_ends(input_stream& in);

// The whole run; returns the exit status.
int run(int argc, char** argv);

}  // namespace tenmaru
