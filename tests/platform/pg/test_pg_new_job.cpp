// Several workstations confirming one key at the same moment on the server: one job, one winner.
// (Confirming a job on each engine: tests/dialogs/test_new_job_record.cpp.)
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>

#include "../../dialogs/new_job_record_fixture.h"
#include "pg_server.h"
#include "platform/ui_services.h"

namespace kx::test {
namespace {

class PgNewJob : public NewJobRecordTest {
 protected:
  PgNewJob() : NewJobRecordTest(PgServer::Get() ? PgServer::Get()->NewSchema() : "D:\\jobs.db") {}
};

TEST_F(PgNewJob, OneOfSeveralWorkstationsConfirmingOneKeyWins) {
  constexpr int kWorkstations = 4;
  // Another user's insert of the key, not yet committed: every workstation passes its counts
  // and waits at the unique index, so they all reach the insert together.
  auto holder = db.Open();
  holder->BeginTrans();
  holder->Execute("insert into NCDATA ([Filename], [ProgramNumber]) values ('A101', 'P101')");
  std::vector<pid_t> workstations;
  for (int i = 0; i < kWorkstations; ++i) {
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      Engine().BusyTimeoutMs(60000);  // waits for the holder however slow the machine
      view.texts = {{"Text1(0)", i % 2 ? "p101" : "P101"}, {"Text1(1)", i < 2 ? "a101" : "A101"}};
      const bool stored = Confirm();
      const bool told = view.LastStatus().find(" exists") != std::string::npos && env.Ui().shown.empty();
      _exit(stored ? 0 : told ? 1 : 2);
    }
    workstations.push_back(pid);
  }
  const std::string waiting =
      "select count(*) from pg_stat_activity where wait_event_type = 'Lock' and backend_type = 'client "
      "backend'";
  for (int tries = 0; tries < 2000 && db.Count(waiting) < kWorkstations; ++tries) usleep(20000);
  EXPECT_EQ(db.Count(waiting), kWorkstations);
  holder->Rollback();

  std::vector<int> results;
  for (const pid_t pid : workstations) {
    int status = 0;
    waitpid(pid, &status, 0);
    results.push_back(WIFEXITED(status) ? WEXITSTATUS(status) : -1);
  }
  std::sort(results.begin(), results.end());
  EXPECT_EQ(results, (std::vector<int>{0, 1, 1, 1}));
  EXPECT_EQ(JobCount(), 1);
  EXPECT_EQ(db.Count("select count(*) from data where [ProgramNumber]='P101' and [Filename]='a101'"), 1);
  // The winner's row is whole: all three writes are in it.
  EXPECT_EQ(db.Count("select count(*) from data where Author = 'jdoe' and Version = 1 and Text10 = '' and "
                     "Adresstext = 'Addr1' and Createdate Is Not Null"),
            1);
}

}  // namespace
}  // namespace kx::test
