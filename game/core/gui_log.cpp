// CEGUI's log file, fixed to one path.
#include "game/core/gui_log.h"

#include <CEGUI/Exceptions.h>

CGuiLog::CGuiLog(const std::string& file) : mFile(file)
{
    setLogFilename(mFile, false);
}

void CGuiLog::setLogFilename(const CEGUI::String&, bool append)
{
    // A state folder that cannot be written costs the log, not the game.
    try {
        CEGUI::DefaultLogger::setLogFilename(mFile, append);
    } catch (const CEGUI::Exception&) {
    }
}
