// wkregsvr [-u] <module>: registers (or with -u unregisters) the classes of
// an in-process server module in the user's settings.
#include "ComServer.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    const bool unregister = args.removeAll(QStringLiteral("-u")) > 0;
    if (args.size() != 1) {
        std::fprintf(stderr, "usage: wkregsvr [-u] <module>\n");
        return 2;
    }
    const QString module = QFileInfo(args.first()).absoluteFilePath();
    const HRESULT hr = unregister ? UnregisterComServer(module) : RegisterComServer(module);
    if (Failed(hr)) {
        QString source, description;
        if (!GetErrorInfo(source, description)) description = ComErrorText(hr);
        std::fprintf(stderr, "wkregsvr: %s: %s\n", qPrintable(module), qPrintable(description));
        return 1;
    }
    std::printf("%s %s\n", qPrintable(module), unregister ? "unregistered" : "registered");
    return 0;
}
