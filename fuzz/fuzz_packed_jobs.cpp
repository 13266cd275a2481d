// The packed jobs of a replace as read from a database file that may be damaged: any bytes are
// read without a fault; what reads cleanly packs again into bytes that read the same, and the
// writer never packs longer than what it read.
#include <cstdint>
#include <string_view>
#include <vector>

#include "fuzz_support.h"
#include "platform/sqlite_packed_jobs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view in(reinterpret_cast<const char*>(data), size);
  kx::PackedJobsReader reader(in);
  std::vector<kx::PackedJob> jobs;
  while (auto job = reader.Next()) jobs.push_back(std::move(*job));
  if (reader.Damaged()) return 0;
  kx::PackedJobsWriter writer;
  for (const kx::PackedJob& job : jobs) writer.Add(job.id, job.old);
  KX_FUZZ_CHECK(writer.Bytes().size() <= in.size());
  kx::PackedJobsReader again(writer.Bytes());
  for (const kx::PackedJob& job : jobs) KX_FUZZ_CHECK(again.Next() == job);
  KX_FUZZ_CHECK(!again.Next() && !again.Damaged());
  return 0;
}
