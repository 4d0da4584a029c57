// kivo-editor: the level editor program.
#include "editor/kivo_editor.h"

#include <QApplication>
#include <QMessageBox>

#include <exception>
#include <iostream>
#include <memory>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("KIVO"));
    QApplication::setApplicationName(QStringLiteral("KIVO Editor"));
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
