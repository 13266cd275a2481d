#pragma once
// The jobs of a replace and their old values, captured while the replace's own UPDATE passes over
// them and kept as one packed value: recording them row by row would be a second pass over the
// table and a row written per job.
//
//   kx_capture_start(limit)       starts a capture on this connection; more than limit bytes
//                                 of packed values make kx_capture fail (the caller then records
//                                 row by row); 0 ends a capture
//   kx_capture(id, old, new)      adds the job and its old value; returns new (the SET's value)
//   kx_capture_count()            jobs added; -1 once the limit was passed
//   kx_capture_take()             the packed jobs as a blob, ending the capture (the blob stays
//                                 valid until the next kx_capture_start)
//   kx_replace_jobs(packed)       table-valued: the jobs of a packed value (JobID, OldValue), in
//                                 the order they were captured; a damaged value is an error
//
// The decoder is also in the loadable extension, so the sqlite3 shell can read a history.
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

struct sqlite3;

namespace kx {

// An old value as SQLite stored it.
struct PackedValue {
  enum Kind : unsigned char { Null = 0, Integer = 1, Real = 2, Text = 3, Blob = 4 };
  Kind kind = Null;
  std::int64_t integer = 0;
  double real = 0;
  std::string bytes;  // text (UTF-8) or blob
  // The same bits: a NaN read from a damaged value equals itself, -0.0 is not 0.0.
  bool operator==(const PackedValue& o) const {
    return kind == o.kind && integer == o.integer && std::memcmp(&real, &o.real, sizeof real) == 0 &&
           bytes == o.bytes;
  }
};

struct PackedJob {
  std::int64_t id = 0;
  PackedValue old;
  bool operator==(const PackedJob&) const = default;
};

// The packed form, built job by job (the capture's buffer).
class PackedJobsWriter {
 public:
  PackedJobsWriter();
  void Add(std::int64_t id, const PackedValue& old) { Add(id, old.kind, old.integer, old.real, old.bytes); }
  void Add(std::int64_t id, PackedValue::Kind kind, std::int64_t integer, double real, std::string_view bytes);
  const std::string& Bytes() const { return out_; }
  std::string Take();

 private:
  void Varint(std::uint64_t v);
  std::string out_;
  std::int64_t last_ = 0;
};

// Reads a packed value job by job; Next gives nullopt at the end and raises nothing: Damaged()
// tells a value that ends inside a job or does not start as packed jobs do.
class PackedJobsReader {
 public:
  explicit PackedJobsReader(std::string_view packed);
  std::optional<PackedJob> Next();
  bool Damaged() const { return damaged_; }

 private:
  bool Varint(std::uint64_t& v);
  std::string_view in_;
  std::size_t at_ = 0;
  std::int64_t last_ = 0;
  bool damaged_ = false;
};

// Registers kx_replace_jobs and, unless decoderOnly, the capture functions. Returns an SQLite code.
int RegisterPackedJobs(sqlite3* db, bool decoderOnly = false);

}  // namespace kx
