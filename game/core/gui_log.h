// CEGUI's log, kept in the user's state folder: CEGUI names its log file itself ("CEGUI.log" in
// the working folder) when it starts, and this logger holds on to the file it was given instead.
// Create it before CEGUI starts and delete it after CEGUI has gone.
#pragma once

#include <CEGUI/DefaultLogger.h>

#include <string>

class CGuiLog : public CEGUI::DefaultLogger
{
public:
    explicit CGuiLog(const std::string& file);

    void setLogFilename(const CEGUI::String& filename, bool append = false) override;

private:
    std::string mFile;
};
