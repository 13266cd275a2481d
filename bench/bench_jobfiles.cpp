// The job file set and the job file import beside their shell peers, on the same trees:
//   BM_ClsFilesInitialize  a job with its own folder: 100,000 files in 1,000 folders
//   BM_FindSort            find TREE -type f | sort
//   BM_ImportJobFiles      a job of 10,000 files, 1 GiB together, copied into a new job
//   BM_CpR                 cp -r of the same job folder
// The trees live in a temp folder (under KX_BENCH_JOBFILES_DIR when set, else the system's
// temp folder) that is removed at the end; it needs about 8 GiB at its fullest. The peak
// resident memory is printed last.
#include <benchmark/benchmark.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "config/shared_state.h"
#include "fs/native_path.h"
#include "jobdata/clsRsData.h"
#include "jobfiles/ClsFiles.h"
#include "jobfiles/mdlTorvel.h"
#include "platform/database.h"
#include "platform/job_schema.h"

namespace {

namespace fsys = std::filesystem;

constexpr int kScanFolders = 1000;
constexpr int kScanFilesPerFolder = 100;
constexpr int kCopyFolders = 100;
constexpr int kCopyFilesPerFolder = 100;
constexpr std::uintmax_t kCopyBytes = 1ull << 30;

struct World {
  fsys::path root;
  std::string db;
  fsys::path Native(const std::string& rel) const { return root / "d" / rel; }
};

std::string Quote(const fsys::path& p) {
  std::string quoted = "'";  // not "'" + ...: GCC 12 -O3 warns falsely there
  quoted.append(p.string()).append("'");
  return quoted;
}

long PeakRssKiB() {
  rusage ru{};
  ::getrusage(RUSAGE_SELF, &ru);
  return ru.ru_maxrss;
}

// The tree's folder for the signal handler, which may only make async-signal-safe calls.
char g_rootForSignals[4096] = {};

// An interrupted run still removes its 1 GiB: the handler becomes "rm -rf" of the tree.
void RemoveTreeAndExit(int) {
  if (g_rootForSignals[0]) ::execl("/bin/rm", "rm", "-rf", g_rootForSignals, static_cast<char*>(nullptr));
  ::_exit(1);
}

// Trees of earlier runs that were killed without a chance to clean up ("..._<pid>_XXXXXX").
void RemoveStaleTrees(const fsys::path& parent) {
  std::error_code ec;
  for (const auto& e : fsys::directory_iterator(parent, ec)) {
    const std::string name = e.path().filename().string();
    const std::string prefix = "kx_bench_jobfiles_";
    if (name.rfind(prefix, 0) != 0) continue;
    const long pid = std::strtol(name.c_str() + prefix.size(), nullptr, 10);
    if (pid > 0 && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH) fsys::remove_all(e.path(), ec);
  }
}

World& TheWorld() {
  static World w = [] {
    World world;
    const char* parentEnv = std::getenv("KX_BENCH_JOBFILES_DIR");
    const fsys::path parent = (parentEnv && *parentEnv) ? fsys::path(parentEnv) : fsys::temp_directory_path();
    RemoveStaleTrees(parent);
    std::string tmpl = (parent / ("kx_bench_jobfiles_" + std::to_string(::getpid()) + "_XXXXXX")).string();
    if (::mkdtemp(tmpl.data()) == nullptr) {
      std::perror("mkdtemp");
      std::exit(1);
    }
    world.root = tmpl;
    if (tmpl.size() < sizeof g_rootForSignals) {
      tmpl.copy(g_rootForSignals, tmpl.size());
      for (int sig : {SIGINT, SIGTERM, SIGHUP}) ::signal(sig, RemoveTreeAndExit);
    }
    ::setenv("KESTRAFIX_DRIVE_MAP", (world.root / "no-drive-map.ini").c_str(), 1);
    fsys::create_directories(world.root / "d");
    kx::SetDriveRootForTests("D:", world.root / "d");

    world.db = (world.root / "jobs.db").string();
    kx::CreateJobDatabase(world.db);
    auto db = kx::Engine().OpenDatabase(world.db);
    db->Execute(
        "INSERT INTO MACHINE (Machine, DirectoryType, KelbDirectory, NcDirectory, KelbFileExtension, "
        "NcFileExtension) VALUES ('M1', 1, 'D:\\Jobs', 'D:\\Nc', 'cam', 'nc')");
    int number = 1;
    for (const char* job : {"SCAN", "BIG", "BIGCOPY"})
      db->Execute("INSERT INTO NCDATA (Filename, ProgramNumber, Machine) VALUES ('" + std::string(job) +
                  "', '" + std::to_string(number++) + "', 'M1')");
    db->Close();

    return world;
  }();
  return w;
}

// The job SCAN: 100,000 one-byte files in 1,000 folders.
const World& ScanWorld() {
  static const World& w = []() -> const World& {
    const World& world = TheWorld();
    char name[64];
    for (int f = 0; f < kScanFolders; ++f) {
      std::snprintf(name, sizeof name, "Jobs/SCAN/Sub%04d", f);
      const fsys::path folder = world.Native(name);
      fsys::create_directories(folder);
      for (int i = 0; i < kScanFilesPerFolder; ++i) {
        std::snprintf(name, sizeof name, "Part%05d.%s", f * kScanFilesPerFolder + i, i % 3 ? "nc" : "CAM");
        std::ofstream(folder / name).put('x');
      }
    }
    ::sync();
    return world;
  }();
  return w;
}

// The job BIG: 10,000 files of 1 GiB together in 100 folders.
const World& CopyWorld() {
  static const World& w = []() -> const World& {
    const World& world = TheWorld();
    char name[64];
    const int files = kCopyFolders * kCopyFilesPerFolder;
    std::vector<char> data(kCopyBytes / files + 1);
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>((i * 2654435761u) >> 13);
    std::uintmax_t left = kCopyBytes;
    for (int f = 0; f < kCopyFolders; ++f) {
      std::snprintf(name, sizeof name, "Jobs/BIG/Sub%03d", f);
      const fsys::path folder = world.Native(name);
      fsys::create_directories(folder);
      for (int i = 0; i < kCopyFilesPerFolder; ++i) {
        const int k = f * kCopyFilesPerFolder + i;
        const std::uintmax_t size = k == files - 1 ? left : kCopyBytes / files;
        left -= size;
        std::snprintf(name, sizeof name, "Piece%05d.nc", k);
        std::ofstream(folder / name, std::ios::binary).write(data.data(), static_cast<std::streamsize>(size));
      }
    }
    ::sync();
    return world;
  }();
  return w;
}

void BM_ClsFilesInitialize(benchmark::State& state) {
  const World& w = ScanWorld();
  kx::clsRsData rs;
  rs.Initialize(w.db, "SCAN");
  for (auto _ : state) {
    kx::ClsFiles files;
    files.Initialize(rs, 0);
    state.counters["files"] = files.Count();
  }
  state.counters["peak_rss_MiB"] = static_cast<double>(PeakRssKiB()) / 1024.0;
}
BENCHMARK(BM_ClsFilesInitialize)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_FindSort(benchmark::State& state) {
  const std::string cmd = "find " + Quote(ScanWorld().Native("Jobs/SCAN")) + " -type f | sort > /dev/null";
  for (auto _ : state) {
    if (std::system(cmd.c_str()) != 0) state.SkipWithError("find | sort failed");
  }
}
BENCHMARK(BM_FindSort)->Unit(benchmark::kMillisecond)->UseRealTime();

// Both copies start from the same state: no target, nothing dirty waiting to be written.
// The last copy is moved aside, not deleted: ext4 passes over the inodes of files deleted
// in the last minute one by one when it allocates new ones, which would time its inode
// allocator instead of the copy. Everything set aside goes when the program ends.
void ClearTarget(const fsys::path& target) {
  static int spent = 0;
  std::error_code ec;
  if (fsys::exists(target, ec)) {
    const fsys::path aside = target.parent_path().parent_path() / "spent";
    fsys::create_directories(aside, ec);
    fsys::rename(target, aside / std::to_string(++spent), ec);
    if (ec) fsys::remove_all(target, ec);
  }
  ::sync();
}

void BM_ImportJobFiles(benchmark::State& state) {
  const World& w = CopyWorld();
  const fsys::path target = w.Native("Jobs/BIGCOPY");
  for (auto _ : state) {
    state.PauseTiming();
    ClearTarget(target);
    state.ResumeTiming();
    kx::ImportJobFiles(w.db, "BIG", w.db, "BIGCOPY", true, false, false, 1, 0, "", 0);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kCopyBytes));
  state.counters["peak_rss_MiB"] = static_cast<double>(PeakRssKiB()) / 1024.0;
  ClearTarget(target);
}
BENCHMARK(BM_ImportJobFiles)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

void BM_CpR(benchmark::State& state) {
  const World& w = CopyWorld();
  const fsys::path target = w.Native("Jobs/CPCOPY");
  const std::string cmd = "cp -r " + Quote(w.Native("Jobs/BIG")) + " " + Quote(target);
  for (auto _ : state) {
    state.PauseTiming();
    ClearTarget(target);
    state.ResumeTiming();
    if (std::system(cmd.c_str()) != 0) state.SkipWithError("cp -r failed");
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kCopyBytes));
  ClearTarget(target);
}
BENCHMARK(BM_CpR)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::error_code ec;
  fsys::remove_all(TheWorld().root, ec);
  std::fprintf(stderr, "peak resident memory: %.1f MiB\n", static_cast<double>(PeakRssKiB()) / 1024.0);
  return 0;
}
