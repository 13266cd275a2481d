// An Access (Jet) file read through libmdb: tables, columns, keys and indexes as table
// descriptions, and rows whose numbers and dates are decoded from their stored bytes, since
// libmdb's text for them rounds doubles, formats currency for display and loses every date
// outside the range of the C library's time functions.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fmt/format.h>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "core/error.h"
#include "core/text.h"
#include "platform/database.h"
#include "platform/jet_columns.h"
#include "platform/table_import.h"

namespace kx {
namespace {

constexpr const char* kSource = "kestrafix.JetFile";
constexpr std::string_view kHex = "0123456789ABCDEF";

// libmdb tells of trouble only on the standard error stream. While it reads, that stream goes
// into a file of ours; anything said there marks the file as damaged, and the words become
// part of the one error the import reports.
class StderrCapture {
 public:
  StderrCapture() : file_(std::tmpfile()) {}
  ~StderrCapture() {
    if (file_) std::fclose(file_);
  }
  StderrCapture(const StderrCapture&) = delete;
  StderrCapture& operator=(const StderrCapture&) = delete;

  class Scope {
   public:
    explicit Scope(StderrCapture& c) : c_(c) {
      if (!c_.file_) return;
      std::fflush(stderr);
      saved_ = dup(STDERR_FILENO);
      if (saved_ >= 0) dup2(fileno(c_.file_), STDERR_FILENO);
    }
    ~Scope() {
      if (saved_ < 0) return;
      std::fflush(stderr);
      dup2(saved_, STDERR_FILENO);
      close(saved_);
    }
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

   private:
    StderrCapture& c_;
    int saved_ = -1;
  };

  // What was said so far, on one line.
  std::string Said() const {
    if (!file_) return {};
    std::string out;
    const long end = std::ftell(file_);
    if (end <= 0) return out;
    std::rewind(file_);
    out.resize(static_cast<std::size_t>(end));
    out.resize(std::fread(out.data(), 1, out.size(), file_));
    std::fseek(file_, 0, SEEK_END);
    out = Trim(ReplaceAll(ReplaceAll(out, "\r", ""), "\n", "; "));
    while (out.size() >= 1 && (out.back() == ';' || out.back() == ' ')) out.pop_back();
    return out;
  }

 private:
  std::FILE* file_;
};

struct MdbCloser {
  void operator()(MdbHandle* h) const noexcept { mdb_close(h); }
};
struct TableFreer {
  void operator()(MdbTableDef* t) const noexcept { mdb_free_tabledef(t); }
};
using TablePtr = std::unique_ptr<MdbTableDef, TableFreer>;

template <typename T>
T Load(const unsigned char* p) {
  T v;
  std::memcpy(&v, p, sizeof v);  // stored little-endian, as this machine reads them
  return v;
}

std::string Hex(const unsigned char* p, std::size_t n) {
  std::string out;
  out.reserve(n * 2);
  for (std::size_t i = 0; i < n; ++i) {
    out += kHex[p[i] >> 4];
    out += kHex[p[i] & 15];
  }
  return out;
}

// Currency: a whole number of ten-thousandths, written exactly.
std::string Currency(std::int64_t v) {
  const bool negative = v < 0;
  const std::uint64_t m = negative ? 0 - static_cast<std::uint64_t>(v) : static_cast<std::uint64_t>(v);
  return fmt::format("{}{}.{:04}", negative ? "-" : "", m / 10000, m % 10000);
}

// Single: the shortest decimal that gives the stored value back, as Access shows it, then
// held as a double of that decimal (0.1 stays 0.1 rather than 0.100000001490116).
double Single(float f) {
  char buf[32];
  const auto end = std::to_chars(buf, buf + sizeof buf, f).ptr;
  double d = f;
  std::from_chars(buf, end, d);
  return d;
}

// A Jet date: days since 1899-12-30, the fraction the time of day, which counts forward from
// midnight also for days before that one (-1.25 is 1899-12-29 06:00). Civil dates from the
// day number by the proleptic Gregorian calendar, so years before 1900 keep their days.
Variant JetDate(double d) {
  if (!std::isfinite(d) || d < -657434.0 || d >= 2958466.0) return Variant(d);  // no year 100..9999
  const double whole = std::trunc(d);
  long long day = static_cast<long long>(whole);
  long long seconds = std::llround(std::fabs(d - whole) * 86400.0);
  if (seconds >= 86400) {
    seconds -= 86400;
    ++day;
  }
  const long long z = day + 693899;  // days since 0000-03-01 (1970-01-01 is day 25569)
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const long long doe = z - era * 146097;
  const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  long long y = yoe + era * 400;
  const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const long long mp = (5 * doy + 2) / 153;
  const long long dd = doy - (153 * mp + 2) / 5 + 1;
  const long long mm = mp < 10 ? mp + 3 : mp - 9;
  if (mm <= 2) ++y;
  if (y < 100 || y > 9999) return Variant(d);
  return Variant::Date(fmt::format("{:04}-{:02}-{:02} {:02}:{:02}:{:02}", y, mm, dd, seconds / 3600,
                                   seconds / 60 % 60, seconds % 60));
}

// The bytes the pages of a memo or OLE value hold, following its links the way libmdb does,
// or -1 where a link leads to no piece of a long value. libmdb reads a broken chain without a
// word, so this is held against the length the row gives.
long long LongValueBytes(MdbHandle* mdb, const unsigned char* field, int len) {
  const std::uint32_t head = Load<std::uint32_t>(field);
  if (head & 0x80000000u) return len - MDB_MEMO_OVERHEAD;  // kept in the row itself
  const long long declared = head & 0x3FFFFFFF;
  const bool onePiece = (head & 0x40000000u) != 0;  // else each piece begins with the next one's link
  const int pageSize = static_cast<int>(mdb->fmt->pg_size);
  const int counts = mdb->fmt->row_count_offset;
  long long bytes = 0;
  for (std::uint32_t link = Load<std::uint32_t>(field + 4); link != 0;) {
    if (mdb_read_alt_pg(mdb, link >> 8) != mdb->fmt->pg_size) return -1;
    const unsigned char* page = mdb->alt_pg_buf;
    const unsigned row = link & 0xFF;
    if (page[0] != 0x01 || std::memcmp(page + 4, "LVAL", 4) != 0 || row >= Load<std::uint16_t>(page + counts))
      return -1;
    const int start = Load<std::uint16_t>(page + counts + 2 + 2 * row) & 0x1FFF;
    const int end = row == 0 ? pageSize : Load<std::uint16_t>(page + counts + 2 * row) & 0x1FFF;
    if (start >= end || end > pageSize) return -1;
    if (onePiece) return end - start;
    if (end - start < 4) return -1;
    link = Load<std::uint32_t>(page + start);
    bytes += end - start - 4;
    if (bytes > declared) return -1;  // also ends a chain that runs in a circle
  }
  return bytes;
}

class JetFile;

class JetRows final : public RowSource {
 public:
  JetRows(JetFile& file, TablePtr table);
  bool Next(std::vector<Variant>& row) override;

 private:
  Variant Value(MdbColumn& c, std::size_t i);
  std::string Damaged(const MdbColumn& c) const {
    return fmt::format("column '{}' of table '{}', row {}, is damaged", c.name, table_->name, read_);
  }
  long long LongValue(const MdbColumn& c, const unsigned char* p, int len);

  JetFile& file_;
  TablePtr table_;
  std::vector<std::vector<char>> bound_;
  std::vector<int> lengths_;
  long long read_ = 0;
};

class JetFile final : public TableSource {
 public:
  JetFile(std::string path, bool probe) : path_(std::move(path)) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path_, ec))
      throw KxError(dberr::FileNotFound, kSource, "No such Access database file: '" + path_ + "'.");
    if (probe) Probe();
    StderrCapture::Scope quiet(capture_);
    mdb_.reset(mdb_open(path_.c_str(), MDB_NOFLAGS));  // MDB_NOFLAGS: the file is opened for reading only
    if (!mdb_) Fail("it is not an Access (Jet) database");
    // libmdb would decrypt the pages with the key the header holds; an encrypted file is kept
    // from other readers on purpose, so it is refused rather than copied into an open one.
    if (mdb_->f->db_key != 0)
      throw KxError(dberr::BadFormat, kSource,
                    "'" + path_ +
                        "' is an encrypted Access database; nothing was imported. Decrypt it in Access "
                        "(Tools, Security, Encrypt/Decrypt Database) and import the decrypted copy.");
    mdb_set_boolean_fmt_numbers(mdb_.get());
    if (!mdb_read_catalog(mdb_.get(), MDB_TABLE)) Fail("its catalog cannot be read");
    const bool jet3 = mdb_->f->jet_version == MDB_VER_JET3;
    for (unsigned i = 0; i < mdb_->num_catalog; ++i) {
      auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb_->catalog, i));
      if (entry->object_type != MDB_TABLE) continue;
      if (mdb_is_system_table(entry)) {
        if (std::strcmp(entry->object_name, "MSysObjects") == 0) catalog_ = entry;
        continue;
      }
      TablePtr t = Open(entry);
      TableLayout spec;
      spec.name = t->name;
      for (unsigned c = 0; c < t->num_cols; ++c) {
        try {
          spec.columns.push_back(JetColumnLayout(*Column(*t, c), jet3, notes_, spec.name));
        } catch (const KxError& e) {
          Fail(e.Description());  // with the file's name
        }
      }
      for (unsigned x = 0; t->indices && x < t->indices->len; ++x) {
        const auto* ix = static_cast<const MdbIndex*>(g_ptr_array_index(t->indices, x));
        if (ix->index_type == 2 || ix->num_keys == 0) continue;  // the other side of a relation
        std::vector<std::string> keys;
        for (unsigned k = 0; k < ix->num_keys && k < MDB_MAX_IDX_COLS; ++k) {
          const int at = ix->key_col_num[k] - 1;
          if (at < 0 || at >= static_cast<int>(t->num_cols))
            Fail("an index of '" + spec.name + "' is damaged");
          keys.push_back(Column(*t, static_cast<unsigned>(at))->name);
        }
        if (ix->index_type == 1) {
          spec.primaryKey = keys;
        } else {
          // Index names are the table's own in Access, the database's in SQL.
          spec.indexes.push_back(
              {spec.name + "_" + ix->name, keys, (ix->flags & MDB_IDX_UNIQUE) != 0, false});
        }
      }
      entries_.push_back(entry);
      tables_.push_back(std::move(spec));
    }
    Check();
  }

  const std::vector<TableLayout>& Tables() const override { return tables_; }
  std::unique_ptr<RowSource> Rows(std::size_t i) override {
    StderrCapture::Scope quiet(capture_);
    return std::make_unique<JetRows>(*this, Open(entries_.at(i)));
  }
  std::vector<std::string> Notes() const override { return notes_; }

  MdbHandle* Handle() { return mdb_.get(); }
  void Probe();
  StderrCapture& Capture() { return capture_; }
  static MdbColumn* Column(MdbTableDef& t, unsigned i) {
    return static_cast<MdbColumn*>(g_ptr_array_index(t.columns, i));
  }
  // Anything libmdb complained of so far ends the import.
  void Check() {
    const std::string said = capture_.Said();
    if (!said.empty()) Fail(said);
  }
  // Reads every row of every table, and of the catalog, whose long values hold the columns'
  // properties (Required, defaults) that libmdb leaves out quietly when they are damaged;
  // "" when all went well, else why not.
  std::string ReadAll() {
    try {
      std::vector<Variant> row;
      for (std::size_t i = 0; i < tables_.size(); ++i)
        for (auto rows = Rows(i); rows->Next(row);) {
        }
      if (catalog_) {
        StderrCapture::Scope quiet(capture_);
        for (JetRows rows(*this, Open(catalog_)); rows.Next(row);) {
        }
      }
    } catch (const KxError& e) {
      return e.Description();
    }
    return {};
  }
  [[noreturn]] void Fail(const std::string& why) {
    throw KxError(dberr::BadFormat, kSource,
                  "Cannot read '" + path_ +
                      "' as an Access database (not one, damaged, truncated or encrypted): " + why + ".");
  }

 private:
  TablePtr Open(MdbCatalogEntry* entry) {
    TablePtr t(mdb_read_table(entry));
    if (!t || !mdb_read_columns(t.get()))
      Fail(std::string("table '") + entry->object_name + "' cannot be read");
    mdb_read_indices(t.get());
    if (t->num_cols != t->columns->len) Fail(std::string("table '") + entry->object_name + "' is damaged");
    return t;
  }

  std::string path_;
  StderrCapture capture_;
  std::unique_ptr<MdbHandle, MdbCloser> mdb_;
  std::vector<MdbCatalogEntry*> entries_;
  MdbCatalogEntry* catalog_ = nullptr;
  std::vector<TableLayout> tables_;
  std::vector<std::string> notes_;
};

// libmdb spends minutes writing warnings, or reads past its buffers, on some damaged files.
// So a child process reads the whole file first, with bounded output and a time limit, and
// only a file it read cleanly is read here.
void JetFile::Probe() {
  std::error_code ec;
  const auto megabytes = static_cast<long long>(std::filesystem::file_size(path_, ec) >> 20);
  const auto limit = std::chrono::seconds(10 + megabytes);
  int fds[2];
  if (pipe(fds) != 0) return;  // no child to spare: read it here
  std::fflush(nullptr);
  const pid_t pid = fork();
  if (pid < 0) {
    close(fds[0]);
    close(fds[1]);
    return;
  }
  if (pid == 0) {
    close(fds[0]);
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, STDOUT_FILENO);
    signal(SIGXFSZ, SIG_IGN);  // the warnings' file stops growing, libmdb goes on
    const rlimit size{1 << 16, 1 << 16};
    setrlimit(RLIMIT_FSIZE, &size);
    std::string why;
    try {
      why = JetFile(path_, false).ReadAll();
    } catch (const KxError& e) {
      why = e.Description();
    }
    if (why.empty()) _exit(0);
    const ssize_t written = write(fds[1], why.data(), why.size());
    _exit(written < 0 ? 2 : 1);
  }
  close(fds[1]);
  std::string why;
  const auto deadline = std::chrono::steady_clock::now() + limit;
  bool late = false;
  for (;;) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    pollfd p{fds[0], POLLIN, 0};
    if (left.count() <= 0 || poll(&p, 1, static_cast<int>(left.count())) == 0) {
      late = true;
      break;
    }
    char buf[4096];
    const ssize_t n = read(fds[0], buf, sizeof buf);
    if (n > 0) why.append(buf, static_cast<std::size_t>(n));
    if (n == 0 || (n < 0 && errno != EINTR)) break;
  }
  close(fds[0]);
  if (late) kill(pid, SIGKILL);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (late) Fail(fmt::format("reading it did not end within {} seconds", limit.count()));
  if (WIFSIGNALED(status)) Fail(fmt::format("reading it stopped with signal {}", WTERMSIG(status)));
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return;
  if (why.empty()) Fail("reading it failed");
  throw KxError(dberr::BadFormat, kSource, why);  // the child's words name the file already
}

JetRows::JetRows(JetFile& file, TablePtr table)
    : file_(file), table_(std::move(table)), bound_(table_->num_cols), lengths_(table_->num_cols) {
  for (unsigned i = 0; i < table_->num_cols; ++i) {
    bound_[i].assign(file_.Handle()->bind_size, '\0');
    mdb_bind_column(table_.get(), static_cast<int>(i + 1), bound_[i].data(), &lengths_[i]);
  }
  mdb_rewind_table(table_.get());
  file_.Check();
}

bool JetRows::Next(std::vector<Variant>& row) {
  StderrCapture::Scope quiet(file_.Capture());
  if (!mdb_fetch_row(table_.get())) {
    file_.Check();
    if (read_ != table_->num_rows)
      file_.Fail(
          fmt::format("table '{}' gave {} rows of the {} it holds", table_->name, read_, table_->num_rows));
    return false;
  }
  if (++read_ > table_->num_rows)
    file_.Fail(
        fmt::format("table '{}' gives more rows than the {} it holds", table_->name, table_->num_rows));
  row.resize(table_->num_cols);
  for (unsigned i = 0; i < table_->num_cols; ++i) row[i] = Value(*JetFile::Column(*table_, i), i);
  file_.Check();
  return true;
}

// The length a memo or OLE value's row gives, once its pages are found to hold that many bytes.
long long JetRows::LongValue(const MdbColumn& c, const unsigned char* p, int len) {
  if (len < MDB_MEMO_OVERHEAD) file_.Fail(Damaged(c));
  const long long declared = Load<std::uint32_t>(p) & 0x3FFFFFFF;
  const long long found = LongValueBytes(file_.Handle(), p, len);
  if (found != declared)
    file_.Fail(fmt::format("the {} in column '{}' of table '{}', row {}, is damaged: its pages do not hold its {} bytes",
                           c.col_type == MDB_MEMO ? "memo" : "OLE object", c.name, table_->name, read_, declared));
  return declared;
}

Variant JetRows::Value(MdbColumn& c, std::size_t i) {
  MdbHandle* mdb = file_.Handle();
  const int start = c.cur_value_start;
  const int len = c.cur_value_len;
  if (c.col_type == MDB_BOOL) return Variant(bound_[i][0] == '1');  // never Null in Access
  if (len <= 0) return Variant::Null();  // libmdb tells an empty text from Null no more than its tools do
  if (start < 0 || start + len > static_cast<int>(sizeof mdb->pg_buf))
    file_.Fail(fmt::format("a value of table '{}' lies outside its page", table_->name));
  const unsigned char* p = mdb->pg_buf + start;
  const auto fixed = [&](int n) {
    if (len != n) file_.Fail(Damaged(c));
  };
  switch (c.col_type) {
    case MDB_BYTE:
      fixed(1);
      return Variant(static_cast<int>(p[0]));
    case MDB_INT:
      fixed(2);
      return Variant(static_cast<int>(Load<std::int16_t>(p)));
    case MDB_LONGINT:
    case MDB_COMPLEX:
      fixed(4);
      return Variant(static_cast<long long>(Load<std::int32_t>(p)));
    case MDB_MONEY:
      fixed(8);
      return Variant(Currency(Load<std::int64_t>(p)));
    case MDB_FLOAT:
      fixed(4);
      return Variant(Single(Load<float>(p)));
    case MDB_DOUBLE:
      fixed(8);
      return Variant(Load<double>(p));
    case MDB_DATETIME:
      fixed(8);
      return JetDate(Load<double>(p));
    case MDB_BINARY:
      return Variant(Hex(p, static_cast<std::size_t>(len)));
    case MDB_OLE: {
      const long long declared = LongValue(c, p, len);
      std::size_t size = 0;
      void* data = mdb_ole_read_full(mdb, &c, &size);
      std::string hex = data ? Hex(static_cast<const unsigned char*>(data), size) : std::string();
      g_free(data);
      if (static_cast<long long>(size) != declared)
        file_.Fail(fmt::format("an OLE object in column '{}' of table '{}', row {}, gave {} of its {} bytes",
                               c.name, table_->name, read_, size, declared));
      return hex.empty() ? Variant::Null() : Variant(std::move(hex));
    }
    case MDB_MEMO: {
      LongValue(c, p, len);
      // The bound copy stops at the bind size; the whole memo comes from its own pages.
      char* text = mdb_col_to_string(mdb, mdb->pg_buf, start, MDB_MEMO, len);
      std::string out = text ? text : "";
      g_free(text);
      return Variant(std::move(out));
    }
    default:  // text, replication ID, decimal: libmdb's text is exact
      return Variant(std::string(bound_[i].data(), static_cast<std::size_t>(std::max(lengths_[i], 0))));
  }
}

}  // namespace

std::unique_ptr<TableSource> OpenJetFile(const std::string& nativePath) {
  return std::make_unique<JetFile>(nativePath, true);
}

}  // namespace kx
