// kestrafix expand: placeholder expansion of a command-line template for a job.
#include <fmt/format.h>

#include <CLI/CLI.hpp>
#include <memory>
#include <ostream>

#include "cli_support.h"
#include "jobdata/clsRsData.h"
#include "json_writer.h"

namespace kx::cli {

void AddExpandCommand(CLI::App& app, CommandList& commands) {
  struct Options {
    std::string config, job, templateText, file;
    bool kelbCall = false;
    bool json = false;
  };
  auto o = std::make_shared<Options>();
  CLI::App* sub = app.add_subcommand(
      "expand",
      "Fill in the placeholders of TEMPLATE for a job, as the machine table's program calls are "
      "filled in: $(FileName), $(FullFileJob), $(FullFileNc), $(DirJob), $(DirNc) and the other file "
      "placeholders, special folders such as $(AppPath), $(Country), and any column of the job or "
      "its machine. Without --file the file placeholders name the job's own files. ('kestrafix "
      "files' shows the folders a job's files lie in.)");
  sub->add_option("--config", o->config, "Host configuration file (torvel.cfg)")
      ->required()
      ->type_name("FILE");
  sub->add_option("--job", o->job, "File name of the job")->required()->type_name("JOB");
  sub->add_option("TEMPLATE", o->templateText, "Text with $(...) placeholders")->required();
  sub->add_option("--file", o->file, "A file the file placeholders name instead")->type_name("FILE");
  sub->add_flag("--kelb-call", o->kelbCall,
                "Quote a file name holding a blank, as the CAM program's call does");
  sub->add_flag("--json", o->json, "Print the result as JSON");
  commands.push_back(
      {sub, [o](CliIo& io) {
         const HostConfig cfg = OpenHostConfig(o->config);
         RequireJob(cfg, o->job);
         clsRsData job;
         job.Initialize(cfg.torvel.DbName, o->job);
         const std::string file = o->file.empty() ? std::string() : InputPath(o->file);
         const std::string value = job.GetProgramCall(o->templateText, file, o->kelbCall);
         if (o->json) {
           io.out
               << Json(Json::Object{{"job", o->job}, {"template", o->templateText}, {"value", value}}).Dump()
               << '\n';
         } else {
           io.out << value << '\n';
         }
       }});
}

}  // namespace kx::cli
