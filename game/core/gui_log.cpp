// CEGUI's log file, fixed to one path.
#include "game/core/gui_log.h"

CGuiLog::CGuiLog(const std::string& file) : mFile(file)
{
    CEGUI::DefaultLogger::setLogFilename(mFile, false);
}

void CGuiLog::setLogFilename(const CEGUI::String&, bool append)
{
    CEGUI::DefaultLogger::setLogFilename(mFile, append);
}
