#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Gaugelet"));
    std::fprintf(stderr,
                 "Gaugelet: the stat engine is built, but the status item and the application shell are not yet;\n"
                 "there is nothing to show. See README.md for what works today.\n");
    return 0;
}
