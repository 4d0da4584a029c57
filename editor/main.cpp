// kivo-editor: the level editor program.
#include "editor/kivo_editor.h"
#include "world/paths.h"

#include <QApplication>
#include <QMessageBox>

#include <cstring>
#include <exception>
#include <iostream>
#include <memory>

namespace {

const char* const kUsage =
    "Usage: kivo-editor\n"
    "\n"
    "The KIVO level editor: builds the levels (.kivom map files) that the game kivo plays.\n"
    "  --help              show this text\n"
    "\n"
    "While a map has unsaved changes the editor keeps a recovery copy of it, at most every\n"
    "30 seconds (KIVO_EDITOR_RECOVERY_SECONDS sets another whole number of seconds); after a\n"
    "crash the next start offers to restore it.\n"
    "\n"
    "Files (XDG base directories; unset variables fall back to ~/.config, ~/.local/share and\n"
    "~/.local/state):\n"
    "  $XDG_DATA_HOME/kivo/maps/     your own maps: new maps are saved here, and the game lists\n"
    "                                them beside the shipped ones\n"
    "  $XDG_CONFIG_HOME/kivo/        ogre.cfg, the render system the game chose (shared), and\n"
    "                                kivo-editor.conf, the folder last opened and the\n"
    "                                recent maps\n"
    "  $XDG_STATE_HOME/kivo/         OgreEditor.log, and recovery/ with the recovery copies\n";

} // namespace

int main(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h")) {
            std::cout << kUsage;
            return 0;
        }
    }
    std::string folderError;
    if (!paths::makeUserFolders(folderError))
        std::cerr << "KIVO Editor: " << folderError << std::endl;
    QApplication application(argc, argv);
    // The editor's own settings (the last folder) join the game's: $XDG_CONFIG_HOME/kivo.
    QApplication::setOrganizationName(QStringLiteral("kivo"));
    QApplication::setApplicationName(QStringLiteral("kivo-editor"));
    std::unique_ptr<KIVOEditor> window;
    try {
        window = std::make_unique<KIVOEditor>();
    } catch (const std::exception& e) {
        std::cerr << "KIVO Editor: cannot start the 3D view: " << e.what() << std::endl;
        QMessageBox::critical(nullptr, KIVOEditor::kMessageTitle,
                              QStringLiteral("Can't start the 3D view:\n") + e.what());
        return 1;
    }
    window->show();
    return QApplication::exec();
}
