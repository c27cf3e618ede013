// The clock the run's backup file is named by, on Windows.
#pragma once
#include "backup/Backup.h"

namespace backup {

// The local date and time (GetLocalTime).
LocalTime LocalNow();

}  // namespace backup
