// The three kinds of run: convert one file, check files, convert files in place.
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "driver/check_report.h"
#include "driver/driver.h"
#include "driver/output_file.h"
#include "platform/platform.h"
#include "stream/file_streams.h"

namespace tenmaru {

namespace {

constexpr const char* STANDARD_OUTPUT_NAME = "standard output";

void report(const char* format, const std::string& name) {
  std::fprintf(stderr, format, name.c_str());
}

// A C file that is closed once, with the result of the closing checked.
class c_file {
 public:
  explicit c_file(std::FILE* file = nullptr) : file_(file) {}
  c_file(const c_file&) = delete;
  c_file& operator=(const c_file&) = delete;
  ~c_file() { close(); }
  std::FILE* get() const { return file_; }
  void reset(std::FILE* file) {
    close();
    file_ = file;
  }
  bool close() {
    std::FILE* file = file_;
    file_ = nullptr;
    return file == nullptr || std::fclose(file) == 0;
  }

 private:
  std::FILE* file_;
};

// An input, opened once and made ready: its first line decides the reading mode, and its
// encoding is chosen (and reported when it was detected). Every failure is reported.
class source_file {
 public:
  bool open(const command_line& cl, const std::string& name) {
    name_ = name;
    if (platform::is_directory(name)) return cannot_read();
    file_.reset(platform::open_file(name, "rb"));
    if (file_.get() == nullptr) {
      report("file %s not found.\n", name);
      return false;
    }
    source_ = std::make_unique<file_source>(file_.get(), platform::is_regular_file(name));
    in_ = std::make_unique<input_stream>(*source_);
    crlf_ = has_crlf_line_ends(*in_) != 0;
    if (in_->failed()) return cannot_read();
    in_->seek(0);
    encoding_ =
        cl.encoding == encoding_choice::utf8 ? text_encoding::utf8 : text_encoding::shift_jis;
    if (cl.encoding == encoding_choice::automatic) {
      const bool utf8 = detect_utf8(*in_);
      if (in_->failed()) return cannot_read();
      in_->seek(0);
      if (utf8) {
        encoding_ = text_encoding::utf8;
        std::fputs("input is UTF-8\n", stderr);
      }
    }
    in_->set_mode(crlf_ ? read_mode::text : read_mode::binary);
    return true;
  }

  input_stream& stream() { return *in_; }
  bool crlf() const { return crlf_; }
  text_encoding encoding() const { return encoding_; }

  // After the conversion: true when all was read and the file closed without an error.
  bool finish() {
    if (!in_->failed() && file_.close()) return true;
    return cannot_read();
  }

 private:
  bool cannot_read() {
    report("cannot read %s.\n", name_);
    return false;
  }

  std::string name_;
  c_file file_;
  std::unique_ptr<file_source> source_;
  std::unique_ptr<input_stream> in_;
  bool crlf_ = false;
  text_encoding encoding_ = text_encoding::shift_jis;
};

void configure(scanner& s, const command_line& cl, text_encoding encoding) {
  s.punct_style = cl.punct_style;
  s.encoding = encoding;
  s.keep_verbatim = cl.keep_verbatim;
  s.keep_ellipsis = cl.keep_ellipsis;
  s.extra_text_commands = cl.text_commands;
}

// Every line feed of a file read in text mode is written as CR LF. Of one read in binary mode,
// so is every line feed not after a CR (a stored CR LF stays CR LF), unless the line ends are
// to be kept as they are.
line_end_mode line_ends_for(const command_line& cl, const source_file& source) {
  if (source.crlf()) return line_end_mode::crlf;
  return cl.keep_line_ends ? line_end_mode::as_is : line_end_mode::crlf_unless_after_cr;
}

// Writes on to the replacement and compares what it writes with the file it replaces, so that a
// file that would not change can be left untouched.
class comparing_sink final : public byte_sink {
 public:
  comparing_sink(byte_sink& target, std::FILE* original) : target_(target), original_(original) {}
  bool write(const unsigned char* bytes, std::size_t size) override {
    if (same_) {
      stored_.resize(size);
      same_ = std::fread(stored_.data(), 1, size, original_) == size &&
              std::memcmp(stored_.data(), bytes, size) == 0;
    }
    return target_.write(bytes, size);
  }
  bool flush() override { return target_.flush(); }
  bool identical() { return same_ && std::fgetc(original_) == EOF && !std::ferror(original_); }

 private:
  byte_sink& target_;
  std::FILE* original_;
  std::vector<unsigned char> stored_;
  bool same_ = true;
};

bool check_file(const command_line& cl, const std::string& name, bool& changed) {
  source_file source;
  if (!source.open(cl, name)) return false;
  location_sink where(source.encoding());
  output_stream out(where, line_end_mode::as_is);
  check_report changes(name, where, source.encoding(), stdout);
  scanner s;
  configure(s, cl, source.encoding());
  s.changes = &changes;
  convert(s, source.stream(), out);
  out.flush();
  if (!source.finish()) return false;
  changed = changed || changes.count() > 0;
  return true;
}

bool convert_in_place(const command_line& cl, const std::string& name) {
  source_file source;
  if (!source.open(cl, name)) return false;
  output_file target;
  if (!platform::is_regular_file(name) || !target.open(name)) {
    report("cannot open %s.\n", name);
    return false;
  }
  c_file original(platform::open_file(name, "rb"));
  if (original.get() == nullptr) {
    report("cannot read %s.\n", name);
    return false;
  }
  file_sink file(target.stream());
  comparing_sink compared(file, original.get());
  output_stream out(compared, line_ends_for(cl, source));
  change_counter changes;
  scanner s;
  configure(s, cl, source.encoding());
  s.changes = &changes;
  convert(s, source.stream(), out);

  if (!source.finish()) return false;
  if (!out.flush()) {
    report("cannot write %s.\n", name);
    return false;
  }
  const bool identical = compared.identical();
  original.close();  // Windows cannot move a file over one that is open
  if (identical) {
    target.abandon();  // not even its time stamp changes
    report("%s: unchanged\n", name);
    return true;
  }
  if (!target.commit()) {
    report("cannot write %s.\n", name);
    return false;
  }
  const long long n = changes.count();
  std::fprintf(stderr, "%s: converted with %lld change%s\n", name.c_str(), n, n == 1 ? "" : "s");
  return true;
}

}  // namespace

// The input is opened and probed before the output is opened, so that a missing or unreadable
// input never touches the output.
int convert_file(const command_line& cl) {
  source_file source;
  if (!source.open(cl, cl.input_name)) return 1;

  const bool to_stdout = cl.output_name.empty();
  const std::string output_label = to_stdout ? STANDARD_OUTPUT_NAME : cl.output_name;
  if (!to_stdout && platform::same_file(cl.input_name, cl.output_name)) {
    report("cannot write %s: it is the input file.\n", cl.output_name);
    return 1;
  }
  output_file named_output;
  if (!to_stdout && !named_output.open(cl.output_name)) {
    report("cannot open %s.\n", cl.output_name);
    return 1;
  }
  file_sink sink(to_stdout ? stdout : named_output.stream());
  output_stream out(sink, line_ends_for(cl, source));
  scanner s;
  configure(s, cl, source.encoding());
  convert(s, source.stream(), out);

  const bool flushed = out.flush();
  if (!source.finish()) return 1;  // the temporary output is removed with named_output
  if (!flushed || !named_output.commit()) {
    report("cannot write %s.\n", output_label);
    return 1;
  }
  return 0;
}

// Exit status 0 when nothing would change, 2 when something would, 1 after any failure (the
// other files are checked all the same).
int check_files(const command_line& cl) {
  bool failed = false;
  bool changed = false;
  for (const auto& name : cl.files) {
    if (!check_file(cl, name, changed)) failed = true;
  }
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    report("cannot write %s.\n", STANDARD_OUTPUT_NAME);
    failed = true;
  }
  if (failed) return 1;
  return changed ? 2 : 0;
}

// Every file is done, whatever became of the ones before it; status 1 if any failed.
int convert_files_in_place(const command_line& cl) {
  bool failed = false;
  for (const auto& name : cl.files) {
    if (!convert_in_place(cl, name)) failed = true;
  }
  return failed ? 1 : 0;
}

}  // namespace tenmaru
