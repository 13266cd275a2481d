#include "platform/sqlite_packed_jobs.h"

#include "platform/sqlite_api.h"

#include <cstring>
#include <new>

namespace kx {

// "KXJ1", then per job: the ID's difference to the one before (zigzag varint), the kind of the
// old value (one byte) and the value: an integer as a zigzag varint, a real as 8 bytes (little
// endian), a text or blob as its length (varint) and its bytes.
namespace {

constexpr std::string_view kMagic = "KXJ1";

std::uint64_t Zigzag(std::int64_t v) {
  return (static_cast<std::uint64_t>(v) << 1) ^ static_cast<std::uint64_t>(v >> 63);
}
std::int64_t Unzigzag(std::uint64_t v) {
  return static_cast<std::int64_t>(v >> 1) ^ -static_cast<std::int64_t>(v & 1);
}

// Differences wrap around: IDs far apart on both sides of zero still pack.
std::int64_t Minus(std::int64_t a, std::int64_t b) {
  return static_cast<std::int64_t>(static_cast<std::uint64_t>(a) - static_cast<std::uint64_t>(b));
}
std::int64_t Plus(std::int64_t a, std::int64_t b) {
  return static_cast<std::int64_t>(static_cast<std::uint64_t>(a) + static_cast<std::uint64_t>(b));
}

}  // namespace

PackedJobsWriter::PackedJobsWriter() : out_(kMagic) {}

void PackedJobsWriter::Varint(std::uint64_t v) {
  while (v >= 0x80) {
    out_.push_back(static_cast<char>(v | 0x80));
    v >>= 7;
  }
  out_.push_back(static_cast<char>(v));
}

void PackedJobsWriter::Add(std::int64_t id, PackedValue::Kind kind, std::int64_t integer, double real,
                           std::string_view bytes) {
  Varint(Zigzag(Minus(id, last_)));
  last_ = id;
  out_.push_back(static_cast<char>(kind));
  switch (kind) {
    case PackedValue::Null:
      break;
    case PackedValue::Integer:
      Varint(Zigzag(integer));
      break;
    case PackedValue::Real: {
      std::uint64_t bits;
      std::memcpy(&bits, &real, sizeof bits);
      for (int i = 0; i < 8; ++i) out_.push_back(static_cast<char>(bits >> (8 * i)));
      break;
    }
    case PackedValue::Text:
    case PackedValue::Blob:
      Varint(bytes.size());
      out_.append(bytes);
      break;
  }
}

std::string PackedJobsWriter::Take() {
  std::string out = std::move(out_);
  out_ = kMagic;
  last_ = 0;
  return out;
}

PackedJobsReader::PackedJobsReader(std::string_view packed) : in_(packed) {
  if (in_.substr(0, kMagic.size()) == kMagic)
    at_ = kMagic.size();
  else
    damaged_ = true;
}

bool PackedJobsReader::Varint(std::uint64_t& v) {
  v = 0;
  for (int shift = 0; shift < 64; shift += 7) {
    if (at_ >= in_.size()) return false;
    const auto b = static_cast<unsigned char>(in_[at_++]);
    v |= static_cast<std::uint64_t>(b & 0x7f) << shift;
    if (!(b & 0x80)) return true;
  }
  return false;
}

std::optional<PackedJob> PackedJobsReader::Next() {
  if (damaged_ || at_ == in_.size()) return std::nullopt;
  PackedJob job;
  std::uint64_t v = 0;
  const auto fail = [this] {
    damaged_ = true;
    return std::nullopt;
  };
  if (!Varint(v) || at_ >= in_.size()) return fail();
  job.id = last_ = Plus(last_, Unzigzag(v));
  job.old.kind = static_cast<PackedValue::Kind>(static_cast<unsigned char>(in_[at_++]));
  switch (job.old.kind) {
    case PackedValue::Null:
      break;
    case PackedValue::Integer:
      if (!Varint(v)) return fail();
      job.old.integer = Unzigzag(v);
      break;
    case PackedValue::Real: {
      if (in_.size() - at_ < 8) return fail();
      std::uint64_t bits = 0;
      for (int i = 0; i < 8; ++i) bits |= static_cast<std::uint64_t>(static_cast<unsigned char>(in_[at_++])) << (8 * i);
      std::memcpy(&job.old.real, &bits, sizeof bits);
      break;
    }
    case PackedValue::Text:
    case PackedValue::Blob:
      if (!Varint(v) || v > in_.size() - at_) return fail();
      job.old.bytes.assign(in_.substr(at_, v));
      at_ += v;
      break;
    default:
      return fail();
  }
  return job;
}

namespace {

// ---- the capture: one per connection --------------------------------------------------------

struct Capture {
  PackedJobsWriter jobs;
  std::string taken;  // what kx_capture_take gave, until the next start: SQLite reads it after
  std::int64_t count = 0;
  std::size_t limit = 0;
  bool active = false;
  bool overflow = false;

  void Reset() {
    jobs = PackedJobsWriter();  // gives the memory back
    std::string().swap(taken);
    count = 0;
    active = overflow = false;
  }
};

Capture& CaptureOf(sqlite3_context* ctx) { return *static_cast<Capture*>(sqlite3_user_data(ctx)); }

void StartFn(sqlite3_context* ctx, int, sqlite3_value** argv) {
  Capture& c = CaptureOf(ctx);
  c.Reset();
  const sqlite3_int64 limit = sqlite3_value_int64(argv[0]);
  c.limit = limit > 0 ? static_cast<std::size_t>(limit) : 0;
  c.active = limit > 0;  // 0 ends a capture and frees its memory
  sqlite3_result_int(ctx, 1);
}

std::string_view BytesOf(sqlite3_value* v, bool text) {
  const void* p = text ? static_cast<const void*>(sqlite3_value_text(v)) : sqlite3_value_blob(v);
  const int n = sqlite3_value_bytes(v);
  return p ? std::string_view(static_cast<const char*>(p), static_cast<std::size_t>(n)) : std::string_view();
}

void CaptureFn(sqlite3_context* ctx, int, sqlite3_value** argv) {
  Capture& c = CaptureOf(ctx);
  if (!c.active || c.overflow) return sqlite3_result_error(ctx, "kx_capture: no capture was started", -1);
  if (sqlite3_value_type(argv[0]) != SQLITE_INTEGER)
    return sqlite3_result_error(ctx, "kx_capture: a job's ID must be an integer", -1);
  const std::int64_t id = sqlite3_value_int64(argv[0]);
  sqlite3_value* old = argv[1];
  try {
    switch (sqlite3_value_type(old)) {
      case SQLITE_INTEGER:
        c.jobs.Add(id, PackedValue::Integer, sqlite3_value_int64(old), 0, {});
        break;
      case SQLITE_FLOAT:
        c.jobs.Add(id, PackedValue::Real, 0, sqlite3_value_double(old), {});
        break;
      case SQLITE_TEXT:
        c.jobs.Add(id, PackedValue::Text, 0, 0, BytesOf(old, true));
        break;
      case SQLITE_BLOB:
        c.jobs.Add(id, PackedValue::Blob, 0, 0, BytesOf(old, false));
        break;
      default:
        c.jobs.Add(id, PackedValue::Null, 0, 0, {});
        break;
    }
  } catch (const std::bad_alloc&) {
    c.overflow = true;
  }
  if (c.overflow || c.jobs.Bytes().size() > c.limit) {
    c.Reset();
    c.overflow = true;
    return sqlite3_result_error(ctx, "kx_capture: the old values pass the capture's limit", -1);
  }
  ++c.count;
  sqlite3_result_value(ctx, argv[2]);
}

void CountFn(sqlite3_context* ctx, int, sqlite3_value**) {
  const Capture& c = CaptureOf(ctx);
  sqlite3_result_int64(ctx, c.overflow ? -1 : c.count);
}

void TakeFn(sqlite3_context* ctx, int, sqlite3_value**) {
  Capture& c = CaptureOf(ctx);
  if (!c.active || c.overflow) return sqlite3_result_null(ctx);
  c.taken = c.jobs.Take();  // not copied: it may be as large as the limit
  c.count = 0;
  c.active = false;
  sqlite3_result_blob64(ctx, c.taken.data(), c.taken.size(), SQLITE_STATIC);
}

void DeleteCapture(void* p) { delete static_cast<Capture*>(p); }

// ---- kx_replace_jobs(packed) -----------------------------------------------------------------

enum Column { kJobId, kOldValue, kPacked };

struct JobsCursor {
  sqlite3_vtab_cursor base{};
  std::string packed;
  std::optional<PackedJobsReader> reader;
  std::optional<PackedJob> job;
  sqlite3_int64 rowid = 0;
};

int Connect(sqlite3* db, void*, int, const char* const*, sqlite3_vtab** out, char**) {
  const int rc = sqlite3_declare_vtab(db, "CREATE TABLE x(\"JobID\" INTEGER, \"OldValue\", kx_packed HIDDEN)");
  if (rc != SQLITE_OK) return rc;
  auto* tab = static_cast<sqlite3_vtab*>(sqlite3_malloc(sizeof(sqlite3_vtab)));
  if (!tab) return SQLITE_NOMEM;
  *tab = sqlite3_vtab{};
  sqlite3_vtab_config(db, SQLITE_VTAB_INNOCUOUS);
  *out = tab;
  return SQLITE_OK;
}

int Disconnect(sqlite3_vtab* tab) {
  sqlite3_free(tab);
  return SQLITE_OK;
}

int BestIndex(sqlite3_vtab*, sqlite3_index_info* info) {
  for (int i = 0; i < info->nConstraint; ++i) {
    const auto& c = info->aConstraint[i];
    if (c.iColumn == kPacked && c.op == SQLITE_INDEX_CONSTRAINT_EQ && c.usable) {
      info->aConstraintUsage[i].argvIndex = 1;
      info->aConstraintUsage[i].omit = 1;
      info->estimatedCost = 1e6;
      info->estimatedRows = 1000000;
      return SQLITE_OK;
    }
  }
  return SQLITE_CONSTRAINT;  // without its packed value the table has no rows to give
}

int Open(sqlite3_vtab*, sqlite3_vtab_cursor** out) {
  auto* c = new (std::nothrow) JobsCursor;
  if (!c) return SQLITE_NOMEM;
  *out = &c->base;
  return SQLITE_OK;
}

int Close(sqlite3_vtab_cursor* cur) {
  delete reinterpret_cast<JobsCursor*>(cur);
  return SQLITE_OK;
}

int Step(JobsCursor* c) {
  c->job = c->reader->Next();
  if (!c->reader->Damaged()) return SQLITE_OK;
  sqlite3_vtab* tab = c->base.pVtab;
  sqlite3_free(tab->zErrMsg);
  tab->zErrMsg = sqlite3_mprintf("kx_replace_jobs: the packed jobs are damaged");
  return SQLITE_CORRUPT_VTAB;
}

int Filter(sqlite3_vtab_cursor* cur, int, const char*, int argc, sqlite3_value** argv) {
  auto* c = reinterpret_cast<JobsCursor*>(cur);
  c->job.reset();
  c->reader.reset();
  c->rowid = 0;
  c->packed.clear();
  if (argc != 1 || sqlite3_value_type(argv[0]) == SQLITE_NULL) return SQLITE_OK;
  try {
    c->packed.assign(BytesOf(argv[0], sqlite3_value_type(argv[0]) == SQLITE_TEXT));
  } catch (const std::bad_alloc&) {
    return SQLITE_NOMEM;
  }
  c->reader.emplace(c->packed);
  return Step(c);
}

int Next(sqlite3_vtab_cursor* cur) {
  auto* c = reinterpret_cast<JobsCursor*>(cur);
  ++c->rowid;
  return Step(c);
}

int Eof(sqlite3_vtab_cursor* cur) { return reinterpret_cast<JobsCursor*>(cur)->job ? 0 : 1; }

int ColumnOf(sqlite3_vtab_cursor* cur, sqlite3_context* ctx, int column) {
  const auto* c = reinterpret_cast<JobsCursor*>(cur);
  if (column == kJobId) sqlite3_result_int64(ctx, c->job->id);
  if (column != kOldValue) return SQLITE_OK;
  const PackedValue& v = c->job->old;
  switch (v.kind) {
    case PackedValue::Integer:
      sqlite3_result_int64(ctx, v.integer);
      break;
    case PackedValue::Real:
      sqlite3_result_double(ctx, v.real);
      break;
    case PackedValue::Text:
      sqlite3_result_text64(ctx, v.bytes.data(), v.bytes.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
      break;
    case PackedValue::Blob:
      sqlite3_result_blob64(ctx, v.bytes.data(), v.bytes.size(), SQLITE_TRANSIENT);
      break;
    default:
      sqlite3_result_null(ctx);
      break;
  }
  return SQLITE_OK;
}

int Rowid(sqlite3_vtab_cursor* cur, sqlite3_int64* out) {
  *out = reinterpret_cast<JobsCursor*>(cur)->rowid;
  return SQLITE_OK;
}

sqlite3_module MakeModule() {
  sqlite3_module m{};
  m.xConnect = Connect;  // no xCreate: eponymous only, used as a table-valued function
  m.xBestIndex = BestIndex;
  m.xDisconnect = Disconnect;
  m.xDestroy = Disconnect;
  m.xOpen = Open;
  m.xClose = Close;
  m.xFilter = Filter;
  m.xNext = Next;
  m.xEof = Eof;
  m.xColumn = ColumnOf;
  m.xRowid = Rowid;
  return m;
}

const sqlite3_module kJobsModule = MakeModule();

}  // namespace

int RegisterPackedJobs(sqlite3* db, bool decoderOnly) {
  int rc = sqlite3_create_module_v2(db, "kx_replace_jobs", &kJobsModule, nullptr, nullptr);
  if (rc != SQLITE_OK || decoderOnly) return rc;
  auto* capture = new (std::nothrow) Capture;
  if (!capture) return SQLITE_NOMEM;
  // Side effects: never deterministic, never from a trigger or view.
  constexpr int kFlags = SQLITE_UTF8 | SQLITE_DIRECTONLY;
  // The first registration owns the capture and frees it with the connection.
  rc = sqlite3_create_function_v2(db, "kx_capture_start", 1, kFlags, capture, StartFn, nullptr, nullptr,
                                  DeleteCapture);
  if (rc != SQLITE_OK) return rc;  // SQLite called DeleteCapture
  const auto add = [&](const char* name, int args, void (*fn)(sqlite3_context*, int, sqlite3_value**)) {
    if (rc == SQLITE_OK) rc = sqlite3_create_function(db, name, args, kFlags, capture, fn, nullptr, nullptr);
  };
  add("kx_capture", 3, CaptureFn);
  add("kx_capture_count", 0, CountFn);
  add("kx_capture_take", 0, TakeFn);
  return rc;
}

}  // namespace kx
