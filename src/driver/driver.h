// The command line and the run: options and file names, the probe of the line ends, the streams,
// the scanner loop and the exit status.
#pragma once

#include <string>

#include "scanner/scanner.h"

namespace tenmaru {

struct command_line {
  int punct_style = DEFAULT_PUNCT_STYLE;
  std::string input_name;
  std::string output_name;  // empty: standard output
  int name_count = 0;
};

// Reads the options and file names in order and reports each on standard error. Returns false
// when the run must end at once with status 1 (a third file name).
bool parse_arguments(int argc, char** argv, command_line& cl);

// Writes the usage text to standard error.
void print_usage();

// Reads the first line from the current position: 1 when a CR comes before the first LF.
int has_crlf_line_ends(input_stream& in);

// The whole run; returns the exit status.
int run(int argc, char** argv);

}  // namespace tenmaru
