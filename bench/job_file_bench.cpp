// SPDX-License-Identifier: GPL-3.0-or-later
// Loading a generated job file of 40000 item lines: the first part up to its reload row, the
// rest from task 30000 as the run loads it, and saving the loaded part (which writes the whole
// job again).
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "engine/session.h"
#include "job/job_file.h"

namespace {

namespace fs = std::filesystem;

constexpr int kLines = 40000;

// The generated job file, made once and removed at exit. Its lines look like rows the window
// adds: option letters, a parameter string of twenty fields, a wildcard input and output.
class JobFile {
 public:
  JobFile() {
    std::string pattern = (fs::temp_directory_path() / "braxel-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    folder_ = pattern;
    path_ = folder_ + "/large.bxj";
    std::ofstream out(path_, std::ios::binary);
    for (int n = 1; n <= kLines; ++n) {
      out << "RGM\t1^^^^^^^^^^^^^^^^^^^\t" << n << "\tC\t/home/user/Pictures/set" << n
          << "/*.png\t8\tpng\t/home/user/Converted/*.jpg\t1\tjpg\t\t\n";
    }
    out << "\t\t*\t\t\t\t\t\t\t\t\t\n";
    size_ = static_cast<double>(out.tellp());
  }
  ~JobFile() {
    std::error_code ec;
    fs::remove_all(folder_, ec);
  }
  const std::string& path() const { return path_; }
  const std::string& folder() const { return folder_; }
  double size() const { return size_; }

 private:
  std::string folder_;
  std::string path_;
  double size_ = 0;
};

const JobFile& GetJobFile() {
  static const JobFile file;
  return file;
}

// Loading from task `firstTask`, with a pending-events call every 1000 lines as in the window.
void BM_LoadJobFile(benchmark::State& state) {
  const int firstTask = static_cast<int>(state.range(0));
  braxel::Session session;
  int events = 0;
  session.doEvents = [&events] { ++events; };
  for (auto _ : state) {
    if (!braxel::LoadJobFile(GetJobFile().path(), firstTask, session))
      state.SkipWithError("load failed");
    benchmark::DoNotOptimize(session.fgToDo.Rows());
  }
  state.counters["rows"] = static_cast<double>(session.fgToDo.Rows());
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(GetJobFile().size()));
}
BENCHMARK(BM_LoadJobFile)->Arg(1)->Arg(30000)->Unit(benchmark::kMillisecond);

// Both parts in turn, as a run that opens the file and reaches its reload row does.
void BM_LoadWholeJobInTwoParts(benchmark::State& state) {
  braxel::Session session;
  braxel::InstallJobFileLoader(session);
  for (auto _ : state) {
    braxel::LoadJobFile(GetJobFile().path(), 1, session);
    const braxel::Grid& grid = session.fgToDo;
    const int reloadRow = grid.Rows() - 2;
    session.loadJobFile(grid.Cell(reloadRow, braxel::todo::kOutput),
                        std::stoi(grid.Cell(reloadRow, braxel::todo::kOutputType)));
    benchmark::DoNotOptimize(session.fgToDo.Rows());
  }
  state.counters["rows"] = static_cast<double>(session.fgToDo.Rows());
}
BENCHMARK(BM_LoadWholeJobInTwoParts)->Unit(benchmark::kMillisecond);

// Saving the opened part: the 29999 rows plus the 10001 lines its reload row stands for,
// written through a temporary file that is flushed to disk and renamed.
void BM_SaveOpenedJob(benchmark::State& state) {
  braxel::Session session;
  braxel::LoadJobFile(GetJobFile().path(), 1, session);
  const std::string target = GetJobFile().folder() + "/saved.bxj";
  for (auto _ : state) {
    if (!braxel::WriteJobFile(target, session.fgToDo).ok()) state.SkipWithError("save failed");
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(GetJobFile().size()));
}
BENCHMARK(BM_SaveOpenedJob)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
