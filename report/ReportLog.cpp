#include "report/ReportLog.h"

#include "report/ReportLayout.h"
#include "tables/TzDbf.h"

#include <thread>

namespace quill::report {

std::string ReportLogPath(const std::string& programFolder)
{
    return programFolder + "Reports/report3.dbf";
}

ReportLogWriter::ReportLogWriter(std::string path, tables::FileOps& files)
    : wait([](std::chrono::milliseconds d) { std::this_thread::sleep_for(d); }), m_path(std::move(path)),
      m_files(files)
{
}

ReportLogWriter::Outcome ReportLogWriter::append(const ReportRecord& r)
{
    tables::TTzDbf log(m_files);
    log.DbfFields = ReportLogFields();
    log.setDbfFileName(m_path);
    log.Open();
    log.ClearRecord();
    const char* names[] = {"sentname0", "sentname1", "sentname2", "sentname3"};
    for (std::size_t i = 0; i < 4; ++i)
        log.SetFieldText(names[i], r.sentName[i]);
    log.SetFieldText("city", r.city);
    log.SetFieldText("state", r.state);
    log.SetFieldText("zip", r.zip);
    log.SetFieldText("mailernum", r.mailerNumber);
    log.SetFieldText("postage", r.postage);
    log.SetFieldText("certified", r.certified);
    log.SetFieldText("restricted", r.restricted);
    log.SetFieldText("return", r.returnReceipt);
    log.SetFieldText("total", r.total);
    log.SetFieldText("comments", r.comments);
    log.SetFieldText("re", r.re);
    log.SetDateText("rdate", r.date);

    const auto deadline = std::chrono::steady_clock::now() + retryFor;
    std::chrono::milliseconds waited{0};
    while (!log.ALock()) {
        // The waits count too, so a test's wait that does not sleep ends the tries as well.
        if (std::chrono::steady_clock::now() >= deadline || waited >= retryFor) {
            log.Close();
            return Outcome::LockBusy;
        }
        wait(retryEvery);
        waited += retryEvery;
    }
    log.AppendRec();
    log.UnLock();
    log.Close();
    return Outcome::Logged;
}

} // namespace quill::report
