#pragma once
// The run log as start-up finds it, for the settings window and the
// unattended run alike.
#include <string>

#include "run/run_session.h"

namespace yx::app {

// Makes the log folder `log_dir` when it is missing and reads the month's
// log into the session's. A folder that cannot be made is only noted in the
// log, and a file that cannot be read only told: neither may cost the
// backup, and every run reads the file again.
void StartMonthLog(run::RunSession& session, const std::string& log_dir, run::SessionFront& front);

}  // namespace yx::app
