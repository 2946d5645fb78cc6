// kestrel_artgen: draws Kestrel's pictures into <folder>/Res and <folder>/Faces.
// Usage: kestrel_artgen <folder>     (normally the repository's data folder)
#include "Pictures.h"

#include <QDir>
#include <QGuiApplication>
#include <cstdio>

int main(int argc, char* argv[]) {
    // Text needs a font engine, hence a GUI application, but never a screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    const QStringList args = QCoreApplication::arguments();
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: kestrel_artgen <output folder>\n");
        return 2;
    }
    const QDir out(args.at(1));
    const QString res = out.filePath(QStringLiteral("Res"));
    const QString faces = out.filePath(QStringLiteral("Faces"));
    if (!QDir().mkpath(res) || !QDir().mkpath(faces)) {
        std::fprintf(stderr, "kestrel_artgen: cannot create %s\n", qPrintable(out.path()));
        return 1;
    }

    makeBanners(res);
    makeIcons(res);
    makeFaces(faces);
    std::printf("kestrel_artgen: pictures written to %s\n", qPrintable(QDir::toNativeSeparators(out.path())));
    return 0;
}
