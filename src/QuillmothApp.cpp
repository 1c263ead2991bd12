#include "QuillmothApp.h"

#include "Store/RecentFilesStore.h"

#include <QApplication>

int QuillmothApp::run(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillmoth"));
    QApplication::setQuitOnLastWindowClosed(false);
    RecentFilesStore store;
    return app.exec();
}
