// The report of --check: one line per change a conversion would make, in the form editors and
// CI read, FILE:LINE:COLUMN: WHAT, with the line and column of the input.
#pragma once

#include <cstdio>
#include <string>

#include "scanner/scanner.h"

namespace tenmaru {

// Takes the converted text and keeps only where it is: the line, and the column counted in
// characters (a Shift-JIS or UTF-8 character counts once). Nothing is stored.
class location_sink final : public byte_sink {
 public:
  explicit location_sink(text_encoding encoding) : encoding_(encoding) {}
  bool write(const unsigned char* bytes, std::size_t size) override;
  long long line() const { return line_; }
  long long column() const { return column_; }

 private:
  text_encoding encoding_;
  long long line_ = 1;
  long long column_ = 1;
  bool second_byte_next_ = false;
};

// Counts the changes, for the report of --in-place.
class change_counter : public change_listener {
 public:
  void mark_replaced(output_stream&, int, mark_kind) override { ++count_; }
  void blanks_removed(output_stream&, long long, bool, int) override { ++count_; }
  long long count() const { return count_; }

 private:
  long long count_ = 0;
};

// Prints each change as it is told. The converted text and the input have the same lines, and
// on a line the same characters but for the blanks removed, so the input's column is the
// output's plus the blanks removed before it on that line.
class check_report final : public change_listener {
 public:
  check_report(std::string file, const location_sink& where, text_encoding encoding, std::FILE* to)
      : file_(std::move(file)), where_(where), encoding_(encoding), to_(to) {}
  void mark_replaced(output_stream& out, int from, mark_kind to) override;
  void blanks_removed(output_stream& out, long long count, bool before, int mark) override;
  long long count() const { return count_; }

 private:
  void print(output_stream& out, const std::string& what);
  std::string name_of(int mark) const;

  std::string file_;
  const location_sink& where_;
  text_encoding encoding_;
  std::FILE* to_;
  long long count_ = 0;
  long long removed_line_ = 0;  // the line of the blanks counted in removed_
  long long removed_ = 0;
};

}  // namespace tenmaru
