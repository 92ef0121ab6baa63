#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Gaugelet"));
    std::fprintf(stderr,
                 "Gaugelet: the application shell that starts the monitor is not built yet, so there is\n"
                 "nothing to show. See README.md for what works today.\n");
    return 0;
}
