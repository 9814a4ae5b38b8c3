#include "ServerLog.h"

Q_LOGGING_CATEGORY(lcServer, "artcal.server", QtInfoMsg)
